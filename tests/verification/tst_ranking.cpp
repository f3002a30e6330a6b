#include "verification/Ranking.h"

#include <QTest>

using namespace quorvel;

namespace {

// Counts written "number:total", blank-separated; kill counts equal the totals (the ranking
// reads the totals only, and the kind it is told).
PositionCounts countsOf(const QString& text)
{
    PositionCounts counts;
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList numberAndCount = part.split(u':');
        const std::size_t n = std::size_t(numberAndCount[0].toInt());
        counts.total[n] = counts.kill[n] = numberAndCount[1].toInt();
    }
    return counts;
}

std::vector<PositionCounts> pagesOf(const QStringList& pages)
{
    std::vector<PositionCounts> counts;
    for (const QString& page : pages)
        counts.push_back(countsOf(page));
    return counts;
}

// The ranked numbers the picking looked at: "Np" picked, "Ng" grey, then the number that
// marked the page done.
QString describePicks(const RankingPage& page)
{
    QStringList parts;
    for (const RankedNumber& row : page.rows) {
        if (row.pick == PickMark::None) {
            if (page.done)
                parts << QString::number(row.number);
            break;
        }
        parts << QString::number(row.number) + (row.pick == PickMark::Picked ? u'p' : u'g');
    }
    return parts.join(u' ');
}

QString describeDistribution(const RankingPage& page)
{
    QStringList rows;
    for (const DistributionRow& row : page.distribution)
        rows << QStringLiteral("%1:%2:%3").arg(row.count).arg(row.howMany).arg(row.text());
    return rows.join(u'|');
}

QString rankedNumbers(const RankingPage& page)
{
    QStringList numbers;
    for (const RankedNumber& row : page.rows)
        numbers << QString::number(row.number);
    return numbers.join(u' ');
}

} // namespace

class TestRanking : public QObject
{
    Q_OBJECT

private slots:
    void picks_data();
    void picks();
    void distribution_data();
    void distribution();
    void killCountsRankTheLeastKilledFirst_data();
    void killCountsRankTheLeastKilledFirst();
    void labels_data();
    void labels();
    void pageWithoutCountsPicksNothing();
    void resort();
    void rankingTableHoldsTheLastPage();
    void detailList();
};

void TestRanking::picks_data()
{
    QTest::addColumn<int>("quota");
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QString>("summary");

    QTest::newRow("quota 1, top numbers 7, 7, 12: the second 7 is grey")
        << 1 << QStringList{"7:5", "7:4 3:2", "12:1"} << QStringList{"7p 1", "7g 3p 1", "12p 1"} << "7 3 12 ";
    QTest::newRow("quota 3: three numbers no earlier page picked, the first to the summary")
        << 3 << QStringList{"5:9 6:8 7:7 8:6", "5:9 6:8 9:3 10:2 11:1"}
        << QStringList{"5p 6p 7p 8", "5g 6g 9p 10p 11p 1"} << "5 9 ";
    QTest::newRow("quota 0: the first number reaches the summary unpicked")
        << 0 << QStringList{"4:1"} << QStringList{"4"} << "4 ";
    QTest::newRow("quota above 20: every number picked, the page never done")
        << 25 << QStringList{"20:1"}
        << QStringList{"20p 1p 2p 3p 4p 5p 6p 7p 8p 9p 10p 11p 12p 13p 14p 15p 16p 17p 18p 19p"} << "20 ";
}

void TestRanking::picks()
{
    QFETCH(int, quota);
    QFETCH(QStringList, counts);
    QFETCH(QStringList, picks);
    QFETCH(QString, summary);

    Ranking ranking;
    ranking.activate({countsOf("1:1 2:1")}, 1, false); // an earlier run's picks do not carry over
    ranking.activate(pagesOf(counts), quota, false);
    QCOMPARE(int(ranking.pages().size()), int(counts.size()));
    for (qsizetype q = 0; q < counts.size(); ++q)
        QCOMPARE(describePicks(ranking.pages()[std::size_t(q)]), picks[q]);
    QCOMPARE(ranking.summary(), summary);
}

void TestRanking::distribution_data()
{
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("rows");
    QTest::newRow("counts 5, 5, 3 and seventeen zeros")
        << "9:5 5:5 3:3"
        << "5:2:5 9 |3:1:3 |0:17:1 2 4 6 7 8 10 11 12 13 14 15 16 17 18 19 20 ";
    QTest::newRow("all counts 0: one row of 20 numbers")
        << ""
        << "0:20:1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 ";
    QTest::newRow("counts far apart")
        << "1:40000 2:1 3:1 4:1 5:1 6:1 7:1 8:1 9:1 10:1 11:1 12:1 13:1 14:1 15:1 16:1 17:1 18:1 19:1 20:1"
        << "40000:1:1 |1:19:2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 ";
}

void TestRanking::distribution()
{
    QFETCH(QString, counts);
    QFETCH(QString, rows);
    Ranking ranking;
    ranking.activate({countsOf(counts)}, 1, false);
    QCOMPARE(describeDistribution(ranking.pages().front()), rows);
}

void TestRanking::killCountsRankTheLeastKilledFirst_data()
{
    QTest::addColumn<int>("quota");
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QString>("firstRanked");
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QString>("distribution");

    const QString allKilledBut3 = "1:2 2:1 4:1 5:1 6:1 7:1 8:1 9:1 10:1 11:1 12:1 13:1 14:1 15:1 16:1 17:1 "
                                  "18:1 19:1 20:3";
    QTest::newRow("quota 1: the one number no formula killed is picked")
        << 1 << QStringList{allKilledBut3} << "3 2 4" << QStringList{"3p 2"} << "0:1:3 |1:17:";
    QTest::newRow("ties in ascending number, the most-killed last")
        << 3 << QStringList{"1:5 2:1 3:1"} << "4 5 6" << QStringList{"4p 5p 6p 7"} << "0:17:4 5 6";
    QTest::newRow("quota 1 over two pages: the survivor of page 1 is grey on page 2")
        << 1 << QStringList{allKilledBut3, "1:1 2:1"} << "3 4 5" << QStringList{"3p 2", "3g 4p 5"} << "0:18:";
}

void TestRanking::killCountsRankTheLeastKilledFirst()
{
    QFETCH(int, quota);
    QFETCH(QStringList, counts);
    QFETCH(QString, firstRanked);
    QFETCH(QStringList, picks);
    QFETCH(QString, distribution);

    Ranking ranking;
    ranking.activate(pagesOf(counts), quota, true);
    const RankingPage& last = ranking.pages().back();
    QCOMPARE(rankedNumbers(last).left(firstRanked.size()), firstRanked);
    for (qsizetype q = 0; q < counts.size(); ++q)
        QCOMPARE(describePicks(ranking.pages()[std::size_t(q)]), picks[q]);
    // The distribution lists the counts from the lowest up.
    QVERIFY2(describeDistribution(last).startsWith(distribution), qPrintable(describeDistribution(last)));
}

void TestRanking::labels_data()
{
    QTest::addColumn<bool>("kill");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("label");
    QTest::addColumn<quint32>("colour");

    QTest::newRow("kill formulas killed it: 滤杀, green") << true << 2 << "滤杀" << kRankingGreenText;
    QTest::newRow("no kill formula killed it: 保留, black") << true << 0 << "保留" << kRankingBlackText;
    QTest::newRow("keep formulas kept it: 保留, black") << false << 2 << "保留" << kRankingBlackText;
    QTest::newRow("no keep formula kept it: 滤杀, green") << false << 0 << "滤杀" << kRankingGreenText;
}

void TestRanking::labels()
{
    QFETCH(bool, kill);
    QFETCH(int, total);
    QFETCH(QString, label);
    QFETCH(quint32, colour);

    Ranking ranking;
    ranking.activate({countsOf(QStringLiteral("4:%1 5:1").arg(total))}, 1, kill);
    const auto numberFour = [&ranking] {
        const std::vector<RankedNumber>& rows = ranking.pages().front().rows;
        return *std::find_if(rows.begin(), rows.end(),
                             [](const RankedNumber& row) { return row.number == 4; });
    };
    QCOMPARE(numberFour().label(), label);
    QCOMPARE(numberFour().textColour(), colour);
    QVERIFY(ranking.resort(1, 1)); // a re-sort keeps the rule
    QCOMPARE(numberFour().label(), label);
}

void TestRanking::pageWithoutCountsPicksNothing()
{
    // Page 2 counted no formula: no picks, no grey marks, "-" in the summary; page 3 picks on.
    Ranking ranking;
    ranking.activate(pagesOf({"7:1", "", "7:2 9:1"}), 1, false);
    QVERIFY(ranking.pages()[1].empty);
    QVERIFY(ranking.pages()[1].picks().empty());
    QVERIFY(std::all_of(ranking.pages()[1].rows.begin(), ranking.pages()[1].rows.end(),
                        [](const RankedNumber& row) { return row.pick == PickMark::None; }));
    QCOMPARE(describeDistribution(ranking.pages()[1]).left(7), QStringLiteral("0:20:1 "));
    QCOMPARE(ranking.summary(), QStringLiteral("7 - 9 "));
}

void TestRanking::resort()
{
    Ranking ranking;
    const std::vector<PositionCounts> counts = pagesOf({"1:1", "3:2 4:2 5:1"});
    ranking.activate(counts, 1, false);

    QVERIFY(ranking.resort(2, 2)); // flag set: descending, ties in number order
    QVERIFY(ranking.pages()[1].resorted);
    QCOMPARE(rankedNumbers(ranking.pages()[1]).left(8), QStringLiteral("3 4 5 1 "));
    QVERIFY(std::all_of(ranking.pages()[1].rows.begin(), ranking.pages()[1].rows.end(),
                        [](const RankedNumber& row) { return row.pick == PickMark::None; }));
    QVERIFY(ranking.resort(2, 2)); // reversed: ascending
    QCOMPARE(rankedNumbers(ranking.pages()[1]).right(5), QStringLiteral("5 3 4"));
    QVERIFY(ranking.resort(2, 0)); // column 0: order kept, flag reversed all the same
    QCOMPARE(rankedNumbers(ranking.pages()[1]).right(5), QStringLiteral("5 3 4"));
    QVERIFY(ranking.directionFlag(2));
    QVERIFY(!ranking.directionFlag(1));
    QVERIFY(!ranking.pages()[0].resorted);

    ranking.activate(counts, 1, false); // the flags outlive a new run
    QVERIFY(ranking.directionFlag(2));
    QVERIFY(ranking.resort(2, 1)); // flag reversed to false: ascending by number
    QCOMPARE(rankedNumbers(ranking.pages()[1]).left(6), QStringLiteral("1 2 3 "));
    QVERIFY(!ranking.resort(3, 1));
}

void TestRanking::rankingTableHoldsTheLastPage()
{
    Ranking ranking;
    PositionCounts keep;
    keep.total[6] = keep.keep[6] = 2;
    ranking.activate({countsOf("1:1"), keep}, 1, false);
    const std::vector<RankingTableRow> rows = ranking.rankingTableRows();
    QCOMPARE(int(rows.size()), kHighestNumber);
    QCOMPARE(rows[5].num, 6);
    QCOMPARE(rows[5].eTrrCount, 2);
    QCOMPARE(rows[5].errCount, 0);
    QCOMPARE(rows[5].trrCount, 2);
    QCOMPARE(rows[0].eTrrCount, 0);
    QCOMPARE(Ranking::tabCaption(2), QStringLiteral("第2"));
}

void TestRanking::detailList()
{
    // Every used formula of every position gets a filled row, numbered from 1.
    const std::vector<DetailListSource> used{
        {"L1A+1", "第一", "杀", "2"}, {"L2A+1", "第一", "杀", "9"}, {"L3A+1", "第二", "杀", "4"}};
    const DetailList detail = quorvel::detailList(used);
    QCOMPARE(detail.rowCount, 3);
    QCOMPARE(int(detail.rows.size()), 3);
    QCOMPARE(detail.rows[2].number, 3);
    QCOMPARE(detail.rows[2].formula, QStringLiteral("L3A+1"));
    QCOMPARE(detail.rows[2].positionName, QStringLiteral("第二"));
    QCOMPARE(detail.rows[2].computedValue, QStringLiteral("4"));
}

QTEST_GUILESS_MAIN(TestRanking)
#include "tst_ranking.moc"
