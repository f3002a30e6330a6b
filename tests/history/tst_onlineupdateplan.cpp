#include "history/OnlineUpdatePlan.h"

#include <QTest>

using namespace quorvel;

class TestOnlineUpdatePlan : public QObject
{
    Q_OBJECT

private slots:
    void compute_data();
    void compute();
    void newestAfterTodayFails();
    void dateOutsideIssueYearsFails();
    void resultsAddress_data();
    void resultsAddress();
};

void TestOnlineUpdatePlan::compute_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("historyDays");
    QTest::addColumn<int>("drawsPerDay");
    QTest::addColumn<qint32>("oldest"); // 0: empty history
    QTest::addColumn<qint32>("newest");
    QTest::addColumn<bool>("replaces");
    QTest::addColumn<int>("days");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint32>("first");
    QTest::addColumn<qint32>("last");
    QTest::addColumn<bool>("continues");
    QTest::addColumn<int>("issueCount");
    QTest::addColumn<qint32>("firstLooked"); // 0 when nothing is looked for
    QTest::addColumn<qint32>("lastLooked");

    const QDate dec7(2025, 12, 7);
    QTest::newRow("empty history asks for (H + 2) x D")
        << dec7 << 3 << 84 << 0 << 0 << false << 4 << qint64(420) << 25120401 << 25120784 << false << 4 * 84
        << 25120401 << 25120784;
    QTest::newRow("newest from yesterday")
        << dec7 << 3 << 84 << 25120601 << 25120684 << false << 2 << qint64(252) << 25120685 << 25120784
        << true << 84 << 25120701 << 25120784;
    QTest::newRow("newest from earlier today")
        << dec7 << 3 << 84 << 25120601 << 25120740 << false << 1 << qint64(168) << 25120741 << 25120784
        << true << 44 << 25120741 << 25120784;
    QTest::newRow("oldest exactly H days old is kept")
        << dec7 << 3 << 84 << 25120401 << 25120650 << false << 2 << qint64(252) << 25120651 << 25120784
        << true << 34 + 84 << 25120651 << 25120784;
    QTest::newRow("oldest H + 1 days old replaces the history")
        << dec7 << 3 << 84 << 25120384 << 25120750 << true << 4 << qint64(420) << 25120401 << 25120784
        << false << 4 * 84 << 25120401 << 25120784;
    QTest::newRow("empty history over a month end")
        << QDate(2025, 12, 1) << 3 << 84 << 0 << 0 << false << 4 << qint64(420) << 25112801 << 25120184
        << false << 4 * 84 << 25112801 << 25120184;
    QTest::newRow("leap day lies in the range")
        << QDate(2024, 3, 1) << 2 << 84 << 0 << 0 << false << 3 << qint64(336) << 24022801 << 24030184
        << false << 3 * 84 << 24022801 << 24030184;
    QTest::newRow("newest is the last draw of the year")
        << QDate(2026, 1, 1) << 3 << 84 << 25123001 << 25123184 << false << 2 << qint64(252) << 25123185
        << 26010184 << true << 84 << 26010101 << 26010184;
    QTest::newRow("D = 97 goes on past sequence 84")
        << dec7 << 3 << 97 << 25120601 << 25120784 << false << 1 << qint64(194) << 25120785 << 25120797
        << true << 13 << 25120785 << 25120797;
    QTest::newRow("newest + 1 spells no date")
        << QDate(2026, 1, 1) << 3 << 97 << 25123101 << 25123199 << false << 2 << qint64(291) << 25123200
        << 26010197 << true << 97 << 26010101 << 26010197;
    QTest::newRow("newest is today's last draw")
        << dec7 << 3 << 84 << 25120601 << 25120784 << false << 1 << qint64(168) << 25120785 << 25120784
        << true << 0 << 0 << 0;
}

void TestOnlineUpdatePlan::compute()
{
    QFETCH(QDate, today);
    QFETCH(int, historyDays);
    QFETCH(int, drawsPerDay);
    QFETCH(qint32, oldest);
    QFETCH(qint32, newest);

    const std::optional<qint32> oldestIssue = oldest ? std::optional<qint32>(oldest) : std::nullopt;
    const std::optional<qint32> newestIssue = newest ? std::optional<qint32>(newest) : std::nullopt;
    const Result<OnlineUpdatePlan> plan =
        OnlineUpdatePlan::compute(today, historyDays, drawsPerDay, oldestIssue, newestIssue);
    QVERIFY2(plan.ok(), qPrintable(plan.error()));
    QTEST(plan->replacesHistory, "replaces");
    QTEST(plan->days, "days");
    QTEST(plan->requestCount, "count");
    QTEST(plan->firstIssue, "first");
    QTEST(plan->lastIssue, "last");
    QTEST(plan->continuesHistory, "continues");

    const std::vector<qint32> issues = plan->issues();
    QTEST(int(issues.size()), "issueCount");
    QCOMPARE(plan->isUpToDate(), issues.empty());
    QTEST(issues.empty() ? 0 : issues.front(), "firstLooked");
    QTEST(issues.empty() ? 0 : issues.back(), "lastLooked");
    QVERIFY(std::is_sorted(issues.begin(), issues.end()));
    for (const qint32 issue : issues)
        QVERIFY(issue % 100 >= 1 && issue % 100 <= drawsPerDay);
}

void TestOnlineUpdatePlan::newestAfterTodayFails()
{
    // A typo such as 99123184, or a clock set back: what is missing cannot be told.
    const Result<OnlineUpdatePlan> plan = OnlineUpdatePlan::compute(QDate(2025, 12, 7), 3, 84, 25120601, 25120901);
    QVERIFY(!plan.ok());
    QVERIFY2(plan.error().contains(QStringLiteral("期号日期晚于今天")), qPrintable(plan.error()));
    QVERIFY2(plan.error().contains(QStringLiteral("25120901")), qPrintable(plan.error()));
}

void TestOnlineUpdatePlan::dateOutsideIssueYearsFails()
{
    QVERIFY(!OnlineUpdatePlan::compute(QDate(2100, 1, 1), 3, 84, std::nullopt, std::nullopt).ok());
    QVERIFY(!OnlineUpdatePlan::compute(QDate(2000, 1, 2), 3, 84, std::nullopt, std::nullopt).ok());
    QVERIFY(OnlineUpdatePlan::compute(QDate(2000, 1, 4), 3, 84, std::nullopt, std::nullopt).ok());
}

void TestOnlineUpdatePlan::resultsAddress_data()
{
    QTest::addColumn<QString>("typeCode");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("expected"); // the address, or a part of the failure message

    QTest::newRow("type code joins the host") << "gd"
                                              << ".example.org"
                                              << "http://gd.example.org/?n=420";
    QTest::newRow("trailing slash of the host dropped") << "shx"
                                                        << ".example.org/"
                                                        << "http://shx.example.org/?n=420";
    QTest::newRow("http base is taken whole") << "gd"
                                              << "http://127.0.0.1:8080"
                                              << "http://127.0.0.1:8080/?n=420";
    QTest::newRow("https base with a path, any case") << "hlj"
                                                      << "HTTPS://results.example.org/kl10/"
                                                      << "https://results.example.org/kl10/?n=420";
    QTest::newRow("no lottery type chosen") << ""
                                            << ".example.org"
                                            << "选择彩种";
    QTest::newRow("no host set") << "gd"
                                 << "  "
                                 << "尚未设置开奖数据地址";
    QTest::newRow("host that makes no address") << "gd"
                                                << ".exa mple.org"
                                                << "不是有效的网址";
}

void TestOnlineUpdatePlan::resultsAddress()
{
    QFETCH(QString, typeCode);
    QFETCH(QString, host);
    QFETCH(QString, expected);
    const Result<QUrl> url = OnlineUpdatePlan::resultsAddress(typeCode, host, 420);
    if (expected.startsWith(QLatin1String("http"))) {
        QVERIFY2(url.ok(), qPrintable(url.error()));
        QCOMPARE(url->toString(), expected);
    } else {
        QVERIFY(!url.ok());
        QVERIFY2(url.error().contains(expected), qPrintable(url.error()));
    }
}

QTEST_GUILESS_MAIN(TestOnlineUpdatePlan)
#include "tst_onlineupdateplan.moc"
