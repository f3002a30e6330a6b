#include "history/ResultsPage.h"

#include <QTest>

using namespace quorvel;

namespace {

const QString kRow1 = QStringLiteral("2512070103 04 06 15 20 11 09 17");
const QString kRow2 = QStringLiteral("2512070204 15 08 01 19 20 11 02");
const QString kRow3 = QStringLiteral("2512070320 19 18 17 16 15 14 13");
const QList<qint32> kThreeIssues{25120701, 25120702, 25120703};

// "issue=n,n,...;" for every draw read, then "!issue;" for every malformed one, then "?issue;" for
// every inconsistent one.
QString render(const ResultsPage::Reading& reading)
{
    QString out;
    for (const ResultsPage::PageDraw& draw : reading.draws) {
        QStringList numbers;
        for (const int n : draw.numbers)
            numbers << QString::number(n);
        out += QStringLiteral("%1=%2;").arg(draw.issue).arg(numbers.join(u','));
    }
    for (const qint32 issue : reading.malformed)
        out += QStringLiteral("!%1;").arg(issue);
    for (const qint32 issue : reading.inconsistent)
        out += QStringLiteral("?%1;").arg(issue);
    return out;
}

} // namespace

class TestResultsPage : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

void TestResultsPage::read_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QList<qint32>>("issues");
    QTest::addColumn<QString>("expected");

    const QString all = QStringLiteral("25120701=3,4,6,15,20,11,9,17;25120702=4,15,8,1,19,20,11,2;"
                                       "25120703=20,19,18,17,16,15,14,13;");
    QTest::newRow("oldest first") << kRow1 + "\n" + kRow2 + "\n" + kRow3 << kThreeIssues << all;
    QTest::newRow("newest first yields every draw")
        << kRow3 + "\n" + kRow2 + "\n" + kRow1 << kThreeIssues << all;
    QTest::newRow("rows inside markup and other text")
        << "<html><body>开奖<br>" + kRow2 + "</br><p>" + kRow1 + "<p>" + kRow3 + "</body>" << kThreeIssues
        << all;
    QTest::newRow("issues not on the page are left out")
        << kRow2 << QList<qint32>{25120701, 25120702, 25120799} << "25120702=4,15,8,1,19,20,11,2;";
    QTest::newRow("only the issues asked for")
        << kRow1 + kRow2 << QList<qint32>{25120702} << "25120702=4,15,8,1,19,20,11,2;";
    QTest::newRow("any separator character between fields")
        << "2512070103,04|06\t15-20x11 09 17" << QList<qint32>{25120701} << "25120701=3,4,6,15,20,11,9,17;";
    QTest::newRow("first occurrence is taken, even when a later one would read")
        << "最新一期25120702期\n" + kRow2 << QList<qint32>{25120702} << "!25120702;";
    QTest::newRow("an occurrence inside a longer run of digits counts")
        << "2025120701 03 04 06 15 20 11 09 17" << QList<qint32>{25120701} << "!25120701;";

    const QList<qint32> one{25120701};
    QTest::newRow("blank between issue and first number")
        << "25120701 03 04 06 15 20 11 09 17" << one << "!25120701;";
    QTest::newRow("space-padded field") << "25120701 3 04 06 15 20 11 09 17" << one << "!25120701;";
    QTest::newRow("field 00") << "2512070100 04 06 15 20 11 09 17" << one << "!25120701;";
    QTest::newRow("field 21") << "2512070103 04 06 15 20 11 09 21" << one << "!25120701;";
    QTest::newRow("letters") << "2512070103 04 06 1a 20 11 09 17" << one << "!25120701;";
    QTest::newRow("full-width digits") << "2512070103 04 06 １５ 20 11 09 17" << one << "!25120701;";
    QTest::newRow("repeated number") << "2512070103 04 06 15 20 11 09 03" << one << "!25120701;";
    QTest::newRow("cut off by the end of the page")
        << "2512070103 04 06 15 20 11 09 1" << one << "!25120701;";
    QTest::newRow("a bad draw does not hide the next")
        << "2512070103 04 06 15 20 11 09 03\n" + kRow2 << QList<qint32>{25120701, 25120702}
        << "25120702=4,15,8,1,19,20,11,2;!25120701;";
    QTest::newRow("year 2000 issues keep their leading zero")
        << "0101010103 04 06 15 20 11 09 17" << QList<qint32>{1010101} << "1010101=3,4,6,15,20,11,9,17;";
    QTest::newRow("empty page") << "" << kThreeIssues << "";
    QTest::newRow("an issue listed twice with other numbers is taken from neither")
        << kRow1 + "\n" + kRow2 + "\n2512070103 04 06 15 20 11 09 18" << QList<qint32>{25120701, 25120702}
        << "25120702=4,15,8,1,19,20,11,2;?25120701;";
    QTest::newRow("an issue listed twice alike is one draw")
        << kRow1 + "\n" + kRow1 << QList<qint32>{25120701} << "25120701=3,4,6,15,20,11,9,17;";
    QTest::newRow("a later mention that is no draw contradicts nothing")
        << kRow1 + "\n下一期25120701期" << QList<qint32>{25120701} << "25120701=3,4,6,15,20,11,9,17;";
}

void TestResultsPage::read()
{
    QFETCH(QString, page);
    QFETCH(QList<qint32>, issues);
    QFETCH(QString, expected);
    const std::vector<qint32> asked(issues.begin(), issues.end());
    QCOMPARE(render(ResultsPage::read(page, asked)), expected);
}

QTEST_GUILESS_MAIN(TestResultsPage)
#include "tst_resultspage.moc"
