#include "history/HistoryTextImport.h"

#include "core/IssueNumber.h"
#include "history/DrawEntry.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <map>

namespace quorvel {

namespace {

constexpr int kFieldCount = 1 + kPositionCount;

Failure lineFailure(int lineNumber, const QString& reason)
{
    return Failure{QStringLiteral("line %1: %2").arg(QString::number(lineNumber), reason)};
}

bool sameNumbers(const DrawNumbers& a, const DrawNumbers& b)
{
    return std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

Result<QString> HistoryTextImport::decode(const QByteArray& bytes)
{
    {
        QStringDecoder utf8(QStringConverter::Utf8);
        QString text = utf8(bytes);
        if (!utf8.hasError()) {
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
            return text;
        }
    }
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        return Failure{QStringLiteral("文件不是UTF-8文本，且本机无法解码GB18030文本")};
    QString text = gb18030(bytes);
    if (gb18030.hasError())
        return Failure{QStringLiteral("文件既不是UTF-8文本也不是GB18030文本")};
    return text;
}

Result<std::vector<HistoryTextImport::Line>> HistoryTextImport::parse(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,，]+"));
    std::vector<Line> lines;
    const QStringList rawLines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const QString trimmed = rawLines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = trimmed.split(separators, Qt::SkipEmptyParts);
        if (fields.size() != kFieldCount) {
            return lineFailure(lineNumber,
                               QStringLiteral("应为期号和8个号码，实际有%1项").arg(fields.size()));
        }
        const Result<qint32> issue = IssueNumber::parse(fields[0]);
        if (!issue)
            return lineFailure(lineNumber, issue.error());
        Line line;
        line.lineNumber = lineNumber;
        line.issue = *issue;
        for (int p = 1; p <= kPositionCount; ++p) {
            bool ok = false;
            const int n = fields[p].toInt(&ok);
            if (!ok)
                return lineFailure(lineNumber, QStringLiteral("“%1”不是数字").arg(fields[p]));
            line.numbers[std::size_t(p - 1)] = n;
        }
        if (const Status valid = validateDrawNumbers(line.numbers); !valid)
            return lineFailure(lineNumber, valid.error());
        lines.push_back(line);
    }
    return lines;
}

Result<HistoryTextImport::Summary> HistoryTextImport::importFile(Database& database, const QString& filePath,
                                                                 int drawsPerDay, EntryPath path)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{
            QStringLiteral("无法打开%1：%2").arg(QDir::toNativeSeparators(filePath), file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure{
            QStringLiteral("无法读取%1：%2").arg(QDir::toNativeSeparators(filePath), file.errorString())};
    const Result<QString> text = decode(bytes);
    if (!text)
        return Failure{text.error()};
    return importText(database, *text, drawsPerDay, path);
}

Result<HistoryTextImport::Summary> HistoryTextImport::importText(Database& database, const QString& text,
                                                                 int drawsPerDay, EntryPath path)
{
    const Result<std::vector<Line>> lines = parse(text);
    if (!lines)
        return Failure{lines.error()};
    const Result<std::vector<Draw>> stored = database.readHistory();
    if (!stored)
        return Failure{stored.error()};

    // Every draw by issue: the stored ones and the file's new ones. A repeated issue of the file
    // with the same numbers is a copy and skipped; with other numbers the file contradicts itself.
    std::map<qint32, DrawNumbers> byIssue;
    for (const Draw& draw : *stored)
        byIssue.emplace(draw.issue, draw.numbers());
    std::map<qint32, int> newIssues; // issue -> line number
    Summary summary;
    for (const Line& line : *lines) {
        if (const auto seen = newIssues.find(line.issue); seen != newIssues.end()) {
            if (!sameNumbers(byIssue.at(line.issue), line.numbers)) {
                return lineFailure(line.lineNumber, QStringLiteral("期号%1在第%2行已出现，号码不同")
                                                        .arg(DrawEntry::issueText(line.issue))
                                                        .arg(seen->second));
            }
            ++summary.skipped;
            continue;
        }
        if (byIssue.count(line.issue) > 0) {
            ++summary.skipped;
            continue;
        }
        byIssue.emplace(line.issue, line.numbers);
        newIssues.emplace(line.issue, line.lineNumber);
    }

    std::vector<Draw> draws;
    draws.reserve(newIssues.size());
    std::optional<DrawNumbers> previous;
    for (const auto& [issue, numbers] : byIssue) {
        if (newIssues.count(issue) > 0)
            draws.push_back(makeDraw(numbers, issue, previous, drawsPerDay, path));
        previous = numbers;
    }
    if (Status stored = database.appendDraws(draws); !stored)
        return Failure{stored.error()};
    summary.imported = int(draws.size());
    return summary;
}

} // namespace quorvel
