#include "history/MissingIssues.h"

#include <QTest>

using namespace quorvel;

class TestMissingIssues : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void byDay();
};

void TestMissingIssues::find_data()
{
    QTest::addColumn<QList<qint32>>("stored");
    QTest::addColumn<int>("drawsPerDay");
    QTest::addColumn<QList<qint32>>("missing");

    QTest::newRow("empty history") << QList<qint32>{} << 84 << QList<qint32>{};
    QTest::newRow("one draw") << QList<qint32>{25120705} << 84 << QList<qint32>{};
    QTest::newRow("complete run") << QList<qint32>{25120701, 25120702, 25120703} << 84 << QList<qint32>{};
    QTest::newRow("gaps within a day")
        << QList<qint32>{25120701, 25120703, 25120706} << 84 << QList<qint32>{25120702, 25120704, 25120705};
    QTest::newRow("day change has no gap") << QList<qint32>{25120784, 25120801} << 84 << QList<qint32>{};
    QTest::newRow("end of one day and start of the next")
        << QList<qint32>{25120783, 25120802} << 84 << QList<qint32>{25120784, 25120801};
    QTest::newRow("a whole day missing, over a month end") << QList<qint32>{25113071, 25120201} << 71 << [] {
        QList<qint32> list;
        for (int s = 1; s <= 71; ++s)
            list << 25120100 + s;
        return list;
    }();
    QTest::newRow("year end with D = 97")
        << QList<qint32>{25123196, 26010102} << 97 << QList<qint32>{25123197, 26010101};
    QTest::newRow("leap day") << QList<qint32>{24022884, 24030101} << 2 << QList<qint32>{24022901, 24022902};
    QTest::newRow("stored sequence above D is not asked for")
        << QList<qint32>{25120784, 25120790, 25120802} << 84 << QList<qint32>{25120801};
}

void TestMissingIssues::find()
{
    QFETCH(QList<qint32>, stored);
    QFETCH(int, drawsPerDay);
    QFETCH(QList<qint32>, missing);
    const std::vector<qint32> issues(stored.begin(), stored.end());
    const std::vector<qint32> found = MissingIssues::find(issues, drawsPerDay);
    QCOMPARE(QList<qint32>(found.begin(), found.end()), missing);
}

void TestMissingIssues::byDay()
{
    const std::vector<qint32> missing{1010102, 1010105, 25120784, 25120801};
    QCOMPARE(MissingIssues::byDay(missing),
             (QStringList{QStringLiteral("010101：02 05（2期）"), QStringLiteral("251207：84（1期）"),
                          QStringLiteral("251208：01（1期）")}));
}

QTEST_GUILESS_MAIN(TestMissingIssues)
#include "tst_missingissues.moc"
