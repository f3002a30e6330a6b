#include "support/WorkbookReader.h"

#include <QProcess>
#include <QXmlStreamReader>

#include <vector>

namespace quorvel {
namespace WorkbookReader {

namespace {

QByteArray unzipped(const QString& path, const QString& member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0) {
        qWarning("unzip -p %s %s failed", qPrintable(path), qPrintable(member));
        return {};
    }
    return unzip.readAllStandardOutput();
}

// The solid fill colour of every cell format, by format index.
std::vector<QString> formatFills(const QByteArray& styles)
{
    std::vector<QString> fills;
    std::vector<QString> formats;
    QXmlStreamReader xml(styles);
    bool inFormats = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"fill")
            fills.emplace_back();
        else if (xml.isStartElement() && xml.name() == u"fgColor" && !fills.empty())
            fills.back() = xml.attributes().value(QLatin1String("rgb")).toString().right(6);
        else if (xml.name() == u"cellXfs")
            inFormats = xml.isStartElement();
        else if (inFormats && xml.isStartElement() && xml.name() == u"xf")
            formats.push_back(fills.at(xml.attributes().value(QLatin1String("fillId")).toUInt()));
    }
    return formats;
}

} // namespace

std::map<QString, SheetCell> readSheet(const QString& path)
{
    const std::vector<QString> fills = formatFills(unzipped(path, QStringLiteral("xl/styles.xml")));
    std::map<QString, SheetCell> cells;
    QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    SheetCell* cell = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"c") {
            cell = &cells[xml.attributes().value(QLatin1String("r")).toString()];
            const QStringView type = xml.attributes().value(QLatin1String("t"));
            cell->number = type.isEmpty() || type == u"n";
            if (xml.attributes().hasAttribute(QLatin1String("s")))
                cell->fill = fills.at(xml.attributes().value(QLatin1String("s")).toUInt());
        } else if ((xml.name() == u"v" || xml.name() == u"t") && cell != nullptr) {
            cell->value = xml.readElementText();
        }
    }
    if (xml.hasError())
        qWarning("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return cells;
}

QStringList sheetNames(const QString& path)
{
    QStringList names;
    QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/workbook.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"sheet")
            names << xml.attributes().value(QLatin1String("name")).toString();
    }
    return names;
}

QString reference(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

} // namespace WorkbookReader
} // namespace quorvel
