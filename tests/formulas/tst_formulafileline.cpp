#include "formulas/FormulaFileLine.h"
#include "formulas/FormulaTextExport.h"

#include <QTest>

using namespace quorvel;
using Outcome = FormulaFileLine::Outcome;
using FormulaText::Shape;

Q_DECLARE_METATYPE(FormulaFileLine::Outcome)
Q_DECLARE_METATYPE(FormulaText::Shape)

class TestFormulaFileLine : public QObject
{
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void exportReadsBack();
};

void TestFormulaFileLine::classify_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("text");    // the code of a formula, the written text of an unrecognised line
    QTest::addColumn<QString>("display"); // of a formula
    QTest::addColumn<int>("position");    // 0: none named
    QTest::addColumn<int>("kill");        // -1: not read from the line

    const auto formula = Outcome::Formula;
    const auto unknown = Outcome::Unrecognised;
    const auto skip = Outcome::Skip;

    QTest::newRow("suffix kill") << "第一码+第二大小+5=下期杀第一" << formula << "L1A+L2B+5"
                                 << "第一码+第二大小+5=下期杀第一" << 1 << 1;
    QTest::newRow("export line: full-width filler and remark cut")
        << "  第一码+5=下期生第三　　　　连准：12期" << formula << "L1A+5"
        << "第一码+5=下期生第三" << 3 << 0;
    QTest::newRow("bracket at character 4") << "[第一]第一码+5" << formula << "L1A+5"
                                            << "[第一]第一码+5" << 1 << -1;
    QTest::newRow("bracket form") << "\t[第二杀]第一码+连跳号+3\t" << formula << "L1A+L3K+3"
                                  << "[第二杀]第一码+连跳号+3" << 2 << -1;
    QTest::newRow("MOD of imported codes") << "第一码 MOD 3+1=下期生第二" << formula << "L1A MOD 3+1"
                                           << "第一码 MOD 3+1=下期生第二" << 2 << 0;

    QTest::newRow("empty line") << "" << skip << ""
                                << "" << 0 << -1;
    QTest::newRow("ASCII and full-width blanks") << " \t　　 " << skip << ""
                                                 << "" << 0 << -1;
    QTest::newRow("remark alone") << "　连准：3期" << skip << ""
                                  << "" << 0 << -1;
    QTest::newRow("bracket with nothing after it") << "[第一杀]　" << skip << ""
                                                   << "" << 0 << -1;
    QTest::newRow("nothing before 下期") << "=下期杀第一" << skip << ""
                                         << "" << 0 << -1;
    QTest::newRow("seven characters take the 7th as bracket, leaving nothing")
        << "[第一杀杀杀杀" << skip << ""
        << "" << 0 << -1;

    QTest::newRow("no position mark, codes") << "L1A+L2A+L3A+5" << unknown << "L1A+L2A+L3A+5"
                                             << "" << 0 << -1;
    QTest::newRow("no position mark, names") << "第一码+第二码+第三码" << unknown << "L1A+L2A+L3A"
                                             << "" << 0 << -1;
    QTest::newRow("export header") << "本组公式由《Zorvane》软件搜索而来" << unknown
                                   << "本组公式由《Zorvane》软件搜索而来"
                                   << "" << 0 << -1;
    QTest::newRow("bracket line too short for its bracket") << "[第一杀x" << unknown << "[L1杀x"
                                                            << "" << 0 << -1;
    QTest::newRow("下期 at the very start") << "下期杀第一" << unknown << "下期杀L1"
                                            << "" << 0 << -1;
    QTest::newRow("unknown name") << "第一码+第二某某+5=下期杀第一" << unknown << "L1A+L2某某+5"
                                  << "" << 0 << -1;
    QTest::newRow("unknown column L9Z") << "L9Z+5=下期杀第一" << unknown << "L9Z+5"
                                        << "" << 0 << -1;
    QTest::newRow("unclosed parenthesis") << "(第一码+5=下期杀第一" << unknown << "(L1A+5"
                                          << "" << 0 << -1;
}

void TestFormulaFileLine::classify()
{
    QFETCH(QString, line);
    QFETCH(Outcome, outcome);
    QFETCH(QString, text);
    QFETCH(QString, display);
    QFETCH(int, position);
    QFETCH(int, kill);

    const FormulaFileLine read = FormulaFileLine::classify(line);
    QCOMPARE(read.outcome, outcome);
    if (outcome == Outcome::Unrecognised)
        QCOMPARE(read.unrecognisedText, text);
    if (outcome != Outcome::Formula)
        return;
    QCOMPARE(read.code, text);
    QCOMPARE(read.displayText, display);
    QCOMPARE(read.position.value_or(0), position);
    QCOMPARE(read.kill.has_value(), kill >= 0);
    if (read.kill)
        QCOMPARE(*read.kill, kill == 1);
    QCOMPARE(read.shape, display.startsWith(u'[') ? Shape::Prefix : Shape::Suffix);
}

void TestFormulaFileLine::exportReadsBack()
{
    std::vector<FormulaTextExport::Row> rows;
    for (int i = 0; i < 60; ++i) {
        rows.push_back({i % 2 ? QStringLiteral("[第三杀]第一码+%1").arg(i)
                              : QStringLiteral("第二平方+和数个位+%1=下期生第八").arg(i),
                        i});
    }
    std::array<std::vector<FormulaTextExport::Row>, kPositionCount> byPosition;
    byPosition[2] = rows;
    for (const QStringList& lines :
         {FormulaTextExport::shownList(rows), FormulaTextExport::allPositions(byPosition)}) {
        QStringList readBack;
        for (const QString& line : lines) {
            const FormulaFileLine read = FormulaFileLine::classify(line);
            if (read.outcome == Outcome::Formula)
                readBack << read.displayText;
        }
        QStringList exported;
        for (const auto& row : rows)
            exported << row.displayText;
        QCOMPARE(readBack, exported);
    }
}

QTEST_GUILESS_MAIN(TestFormulaFileLine)
#include "tst_formulafileline.moc"
