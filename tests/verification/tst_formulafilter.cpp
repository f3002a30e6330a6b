#include "verification/FormulaFilter.h"
#include "verification/LimitValues.h"

#include <QTest>

using namespace quorvel;

namespace {

FilterRow rowWith(int statistic, int value, std::optional<int> limit = std::nullopt)
{
    FilterRow row;
    int* fields[] = {&row.statistics.maxMisses, &row.statistics.maxHits, &row.statistics.lastMisses,
                     &row.statistics.lastHits};
    *fields[statistic] = value;
    row.limit = limit;
    return row;
}

std::optional<int> optionalOf(int value)
{
    return value < 0 ? std::nullopt : std::optional<int>(value);
}

} // namespace

class TestFormulaFilter : public QObject
{
    Q_OBJECT

private slots:
    void limitFilter_data();
    void limitFilter();
    void rangeFilter_data();
    void rangeFilter();
    void prefilledBoundsKeepEverySelectedFormula();
    void limitUpdate_data();
    void limitUpdate();
};

void TestFormulaFilter::limitFilter_data()
{
    QTest::addColumn<int>("lastMisses");
    QTest::addColumn<int>("limit"); // -1: empty
    QTest::addColumn<bool>("selectedBefore");
    QTest::addColumn<bool>("selectedAfter");
    QTest::newRow("last misses 5 reach limit 5") << 5 << 5 << true << true;
    QTest::newRow("last misses 4 below limit 5") << 4 << 5 << true << false;
    QTest::newRow("limit 0 always stays") << 0 << 0 << true << true;
    QTest::newRow("an empty limit reads 0") << 0 << -1 << true << true;
    QTest::newRow("an unselected formula stays unselected") << 9 << 1 << false << false;
}

void TestFormulaFilter::limitFilter()
{
    QFETCH(int, lastMisses);
    QFETCH(int, limit);
    QFETCH(bool, selectedBefore);
    QFETCH(bool, selectedAfter);
    // A second formula that always stays selected shows in the count.
    const std::vector<FilterRow> rows{rowWith(2, lastMisses, optionalOf(limit)), rowWith(2, 3, 3)};
    std::vector<char> marks{char(selectedBefore), 1};
    QCOMPARE(FormulaFilter::applyLimitFilter(rows, marks), selectedAfter ? 2 : 1);
    QCOMPARE(bool(marks[0]), selectedAfter);
}

void TestFormulaFilter::rangeFilter_data()
{
    QTest::addColumn<int>("statistic"); // 0 max misses, 1 max hits, 2 last misses, 3 last hits
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("stays");
    QTest::newRow("max misses 3 within 0 to 3") << 0 << "0"
                                                << "3" << 3 << true;
    QTest::newRow("max misses 4 above 0 to 3") << 0 << "0"
                                               << "3" << 4 << false;
    QTest::newRow("upper bound widened by 0.0001") << 1 << "0"
                                                   << "2.99995" << 3 << true;
    QTest::newRow("upper bound 0.0002 short") << 1 << "0"
                                              << "2.9998" << 3 << false;
    QTest::newRow("lower bound widened by 0.0001") << 2 << "3.00005"
                                                   << "9" << 3 << true;
    QTest::newRow("lower bound 0.0002 over") << 2 << "3.0002"
                                             << "9" << 3 << false;
    QTest::newRow("text that is not a number reads 0, value 0 stays") << 3 << "x"
                                                                      << "abc" << 0 << true;
    QTest::newRow("text that is not a number reads 0, value 1 goes") << 3 << ""
                                                                     << "abc" << 1 << false;
}

void TestFormulaFilter::rangeFilter()
{
    QFETCH(int, statistic);
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    QFETCH(int, value);
    QFETCH(bool, stays);
    std::array<QString, 8> texts;
    texts.fill(QStringLiteral("99999"));
    for (std::size_t s = 0; s < 4; ++s)
        texts[2 * s] = QStringLiteral("0");
    texts[std::size_t(2 * statistic)] = lower;
    texts[std::size_t(2 * statistic + 1)] = upper;
    const std::vector<FilterRow> rows{rowWith(statistic, value)};
    std::vector<char> marks{1};
    QCOMPARE(FormulaFilter::applyRangeFilter(rows, FormulaFilter::boundsFromTexts(texts), marks), int(stays));
    QCOMPARE(FormulaFilter::resultMessage(int(stays)),
             stays ? QStringLiteral("过滤后公式剩余1条") : QStringLiteral("过滤后公式剩余0条"));
}

void TestFormulaFilter::prefilledBoundsKeepEverySelectedFormula()
{
    std::vector<FilterRow> rows(3);
    rows[0].statistics = {4, 2, 1, 0};
    rows[1].statistics = {7, 1, 0, 3};
    rows[2].statistics = {99, 99, 99, 99}; // unselected: outside the ranges, stays unselected
    std::vector<char> marks{1, 1, 0};
    const std::array<int, 8> bounds = FormulaFilter::prefilledBounds(rows, marks);
    QCOMPARE(bounds, (std::array<int, 8>{4, 7, 1, 2, 0, 1, 0, 3}));
    std::array<QString, 8> texts;
    for (std::size_t i = 0; i < 8; ++i)
        texts[i] = QString::number(bounds[i]);
    QCOMPARE(FormulaFilter::applyRangeFilter(rows, FormulaFilter::boundsFromTexts(texts), marks), 2);

    const std::vector<char> none{0, 0, 0};
    QCOMPARE(FormulaFilter::prefilledBounds(rows, none),
             (std::array<int, 8>{32767, 0, 32767, 0, 32767, 0, 32767, 0}));
}

void TestFormulaFilter::limitUpdate_data()
{
    QTest::addColumn<int>("limit");     // -1: empty
    QTest::addColumn<int>("maxMisses"); // -1: no stored statistics
    QTest::addColumn<int>("raised");    // -1: unchanged
    QTest::newRow("limit 3, max misses 7: raised to 7") << 3 << 7 << 7;
    QTest::newRow("limit 9, max misses 7: kept") << 9 << 7 << -1;
    QTest::newRow("equal: kept") << 7 << 7 << -1;
    QTest::newRow("empty limit reads 0: raised to max misses") << -1 << 4 << 4;
    QTest::newRow("no stored statistics: kept") << 2 << -1 << -1;
}

void TestFormulaFilter::limitUpdate()
{
    QFETCH(int, limit);
    QFETCH(int, maxMisses);
    QFETCH(int, raised);
    FormulaRecord record;
    record.rowId = 42;
    record.limit = optionalOf(limit);
    if (maxMisses >= 0)
        record.statistics = RunStatistics{maxMisses, 0, 0, 0};
    const std::vector<LimitChange> changes = LimitValues::raisedLimits({FormulaRecord{}, record});
    QCOMPARE(int(changes.size()), raised < 0 ? 0 : 1);
    if (raised >= 0) {
        QCOMPARE(changes.front().rowId, qint64(42));
        QCOMPARE(changes.front().limit, raised);
    }
}

QTEST_GUILESS_MAIN(TestFormulaFilter)
#include "tst_formulafilter.moc"
