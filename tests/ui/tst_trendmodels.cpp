#include "ui/models/TrendChartModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace quorvel;

class TestTrendModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chartShowsBallsOmissionsAndShape();
    void footerFollowsTheChart();
};

namespace {

// Draws whose numbers are 1..8 shifted by the draw's index, oldest first.
std::shared_ptr<const DrawTable> shiftedHistory(int draws)
{
    std::vector<Draw> list;
    for (int t = 0; t < draws; ++t) {
        Draw draw;
        draw.issue = 26010101 + t;
        for (int position = 1; position <= kPositionCount; ++position)
            draw.values[std::size_t(numberTermIndex(position))] = (position - 1 + t) % kHighestNumber + 1;
        list.push_back(draw);
    }
    return std::make_shared<const DrawTable>(list);
}

} // namespace

void TestTrendModels::chartShowsBallsOmissionsAndShape()
{
    TrendChartModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setChart(shiftedHistory(12), TrendScope{}, 5);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 1 + 20 + 5);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("26010108"));
    // The range's first draw (index 7) holds 8..15; 16 was never drawn before it.
    QCOMPARE(model.index(0, 8).data().toString(), QStringLiteral("08"));
    QVERIFY(model.index(0, 8).data(TrendChartModel::HitRole).toBool());
    QCOMPARE(model.index(0, 16).data().toString(), QStringLiteral("8"));
    // 1 was last drawn in draw 1, so its omission runs through every row of the range.
    QVERIFY(model.index(0, 1).data(TrendChartModel::LayerRole).toBool());
    QVERIFY(!model.index(4, 19).data(TrendChartModel::LayerRole).toBool()); // hit in the newest draw
    QCOMPARE(model.index(1, 21).data().toInt(), 9 + 10 + 11 + 12 + 13 + 14 + 15 + 16);
    QCOMPARE(model.index(1, 25).data().toString(), QStringLiteral("7"));
    QCOMPARE(model.headerData(22, Qt::Horizontal).toString(), QStringLiteral("跨度"));

    model.setOmissionsShown(false);
    QVERIFY(model.index(0, 16).data().toString().isEmpty());
    model.setChart(shiftedHistory(12), TrendScope{3}, 0);
    QCOMPARE(model.columnCount(), 21);
    QCOMPARE(model.rowCount(), 12);
}

void TestTrendModels::footerFollowsTheChart()
{
    TrendChartModel chart;
    TrendFooterModel footer(chart);
    QAbstractItemModelTester tester(&footer, QAbstractItemModelTester::FailureReportingMode::QtTest);
    chart.setChart(shiftedHistory(12), TrendScope{}, 100);
    QCOMPARE(footer.columnCount(), chart.columnCount());
    QCOMPARE(footer.index(5, 0).data().toString(), QStringLiteral("随机概率"));
    QCOMPARE(footer.index(0, 1).data().toInt(), 1);  // 1: drawn once, in the first draw
    QCOMPARE(footer.index(4, 1).data().toInt(), 11); // and missed since
    QCOMPARE(footer.index(5, 1).data().toString(), QStringLiteral("0.36%")); // 0.6^11
}

QTEST_GUILESS_MAIN(TestTrendModels)
#include "tst_trendmodels.moc"
