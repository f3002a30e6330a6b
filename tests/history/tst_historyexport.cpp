#include "core/DrawParameters.h"
#include "core/TextFile.h"
#include "history/HistoryTextExport.h"
#include "history/HistoryTextImport.h"

#include <QDir>
#include <QTest>

using namespace quorvel;

class TestHistoryExport : public QObject
{
    Q_OBJECT

private slots:
    void fileNameAndLines();
    void readsBackUnchanged_data();
    void readsBackUnchanged();
};

void TestHistoryExport::fileNameAndLines()
{
    QCOMPARE(HistoryTextExport::fileName(QStringLiteral("25120801")),
             QStringLiteral("更新至25120801期历史号码.txt"));

    const std::vector<Draw> draws{
        makeDraw({3, 4, 6, 15, 20, 11, 9, 17}, 1010101, std::nullopt, 84, EntryPath::Online),
        makeDraw({10, 1, 2, 19, 5, 7, 8, 12}, 25120784, DrawNumbers{3, 4, 6, 15, 20, 11, 9, 17}, 84,
                 EntryPath::Manual),
    };
    QCOMPARE(HistoryTextExport::lines(DrawTable(draws)),
             (QStringList{QStringLiteral("01010101 03 04 06 15 20 11 09 17"),
                          QStringLiteral("25120784 10 01 02 19 05 07 08 12")}));
    QCOMPARE(HistoryTextExport::lines(DrawTable()), QStringList{});
}

void TestHistoryExport::readsBackUnchanged_data()
{
    QTest::addColumn<QString>("fileName");
    const QDir data(QStringLiteral(QUORVEL_TEST_DATA));
    for (const QString& file : data.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file)) << file;
}

void TestHistoryExport::readsBackUnchanged()
{
    QFETCH(QString, fileName);
    const Result<QStringList> source =
        TextFile::readLines(QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(fileName), 1 << 24);
    QVERIFY2(source.ok(), qPrintable(source.error()));
    const Result<std::vector<HistoryTextImport::Line>> read =
        HistoryTextImport::parse(source->join(QLatin1Char('\n')));
    QVERIFY2(read.ok(), qPrintable(read.error()));
    std::vector<Draw> draws;
    for (const HistoryTextImport::Line& line : *read)
        draws.push_back(makeDraw(line.numbers, line.issue, std::nullopt, 84, EntryPath::Online));

    // Through the bytes the export writes: GB18030, CR LF.
    const Result<QByteArray> bytes = TextFile::encodeLines(HistoryTextExport::lines(DrawTable(draws)));
    QVERIFY(bytes.ok());
    const Result<std::vector<HistoryTextImport::Line>> back =
        HistoryTextImport::parse(TextFile::decode(*bytes).value());
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back->size(), read->size());
    for (std::size_t i = 0; i < read->size(); ++i) {
        QCOMPARE((*back)[i].issue, (*read)[i].issue);
        QCOMPARE((*back)[i].numbers, (*read)[i].numbers);
    }
}

QTEST_GUILESS_MAIN(TestHistoryExport)
#include "tst_historyexport.moc"
