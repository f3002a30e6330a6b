#include "core/IssueNumber.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::DrawNumbers)

class TestIssueNumber : public QObject
{
    Q_OBJECT

private slots:
    void parseIssue_data();
    void parseIssue();
    void validateStoredIssue_data();
    void validateStoredIssue();
    void dateAndSequence();
    void drawNumbers_data();
    void drawNumbers();
    void nextIssue_data();
    void nextIssue();
    void nextIssueFollowsRealDayChanges();
};

void TestIssueNumber::parseIssue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("issue"); // 0 when refused
    QTest::addColumn<QString>("messagePart");

    const QString eightDigits = QStringLiteral("期号必须是8位数字（年月日加当天期数，如25120705）");
    QTest::newRow("ordinary issue") << "25120705" << 25120705 << "";
    QTest::newRow("spaces around are ignored") << " 25120705 " << 25120705 << "";
    QTest::newRow("year 2000 keeps its leading zero digits") << "00010101" << 10101 << "";
    QTest::newRow("leap day") << "24022984" << 24022984 << "";
    QTest::newRow("sequence above D is still an issue") << "25120799" << 25120799 << "";
    QTest::newRow("7 digits") << "2512070" << 0 << eightDigits;
    QTest::newRow("9 digits") << "251207051" << 0 << eightDigits;
    QTest::newRow("letters") << "2512O7O5" << 0 << eightDigits;
    QTest::newRow("sign") << "+2512070" << 0 << eightDigits;
    QTest::newRow("full-width digits") << "２５１２０７０５" << 0 << eightDigits;
    QTest::newRow("empty") << "" << 0 << eightDigits;
    QTest::newRow("February 30") << "25023001" << 0 << "日期不存在";
    QTest::newRow("February 29 of a common year") << "25022901" << 0 << "日期不存在";
    QTest::newRow("month 13") << "25130101" << 0 << "日期不存在";
    QTest::newRow("day 00") << "25120001" << 0 << "日期不存在";
    QTest::newRow("sequence 00") << "25120700" << 0 << "01";
}

void TestIssueNumber::parseIssue()
{
    QFETCH(QString, text);
    QFETCH(qint32, issue);
    QFETCH(QString, messagePart);
    const Result<qint32> parsed = IssueNumber::parse(text);
    if (issue == 0) {
        QVERIFY(!parsed.ok());
        QVERIFY2(parsed.error().contains(messagePart), qPrintable(parsed.error()));
    } else {
        QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
        QCOMPARE(*parsed, issue);
    }
}

void TestIssueNumber::validateStoredIssue_data()
{
    QTest::addColumn<qint64>("issue");
    QTest::addColumn<bool>("valid");

    QTest::newRow("ordinary issue") << qint64(25120705) << true;
    QTest::newRow("year 2000") << qint64(10101) << true;
    QTest::newRow("negative") << qint64(-25120705) << false;
    QTest::newRow("nine digits") << qint64(251207051) << false;
    QTest::newRow("beyond 32 bits") << qint64(4294967296LL + 25120705) << false;
    QTest::newRow("zero") << qint64(0) << false;
    QTest::newRow("April 31") << qint64(25043101) << false;
    QTest::newRow("sequence 00") << qint64(25120700) << false;
}

void TestIssueNumber::validateStoredIssue()
{
    QFETCH(qint64, issue);
    QFETCH(bool, valid);
    const Status status = IssueNumber::validate(issue);
    QCOMPARE(status.ok(), valid);
    QCOMPARE(status.error().isEmpty(), valid);
}

void TestIssueNumber::dateAndSequence()
{
    QCOMPARE(IssueNumber::date(25120705), QDate(2025, 12, 7));
    QCOMPARE(IssueNumber::sequence(25120705), 5);
    QCOMPARE(IssueNumber::make(QDate(2026, 1, 1), 1), 26010101);
    QCOMPARE(IssueNumber::make(QDate(2000, 1, 2), 97), 10297);
    QVERIFY(!IssueNumber::date(25023001).isValid());
    QVERIFY(!IssueNumber::date(-1).isValid());
}

void TestIssueNumber::drawNumbers_data()
{
    QTest::addColumn<DrawNumbers>("numbers");
    QTest::addColumn<QString>("message"); // empty when accepted

    QTest::newRow("eight different numbers") << DrawNumbers{3, 4, 6, 15, 20, 11, 9, 17} << "";
    QTest::newRow("the extremes 1 and 20") << DrawNumbers{1, 20, 2, 19, 3, 18, 4, 17} << "";
    QTest::newRow("0 at position 3") << DrawNumbers{3, 4, 0, 15, 20, 11, 9, 17} << "第3个号码必须在1到20之间";
    QTest::newRow("21 at position 8")
        << DrawNumbers{3, 4, 6, 15, 20, 11, 9, 21} << "第8个号码必须在1到20之间";
    QTest::newRow("negative at position 1")
        << DrawNumbers{-5, 4, 6, 15, 20, 11, 9, 17} << "第1个号码必须在1到20之间";
    QTest::newRow("5 repeated") << DrawNumbers{5, 4, 6, 15, 20, 11, 9, 5} << "号码不能重复：05";
    QTest::newRow("neighbours repeated") << DrawNumbers{3, 4, 6, 15, 15, 11, 9, 17} << "号码不能重复：15";
    QTest::newRow("range is reported before a repeat")
        << DrawNumbers{3, 3, 6, 15, 20, 11, 9, 0} << "第8个号码必须在1到20之间";
}

void TestIssueNumber::drawNumbers()
{
    QFETCH(DrawNumbers, numbers);
    QFETCH(QString, message);
    const Status status = validateDrawNumbers(numbers);
    QCOMPARE(status.ok(), message.isEmpty());
    QCOMPARE(status.error(), message);
}

void TestIssueNumber::nextIssue_data()
{
    QTest::addColumn<qint32>("newest");
    QTest::addColumn<int>("drawsPerDay");
    QTest::addColumn<qint32>("next");

    QTest::newRow("within the day") << 25120783 << 84 << 25120784;
    QTest::newRow("last draw of the day") << 25120784 << 84 << 25120801;
    QTest::newRow("last draw of the year") << 25123184 << 84 << 26010101;
    QTest::newRow("last draw of a month") << 25113084 << 84 << 25120101;
    QTest::newRow("leap year February 28") << 24022884 << 84 << 24022901;
    QTest::newRow("leap day") << 24022984 << 84 << 24030101;
    QTest::newRow("common year February 28") << 25022884 << 84 << 25030101;
    QTest::newRow("D = 97 goes on past 84") << 25120784 << 97 << 25120785;
    QTest::newRow("D = 97 changes day after 97") << 25120797 << 97 << 25120801;
    QTest::newRow("sequence above D is simply + 1") << 25120785 << 84 << 25120786;
    QTest::newRow("sequence 99 cannot carry into the day") << 25120799 << 84 << 25120801;
    QTest::newRow("year 2000") << 123184 << 84 << 1010101;
}

void TestIssueNumber::nextIssue()
{
    QFETCH(qint32, newest);
    QFETCH(int, drawsPerDay);
    QFETCH(qint32, next);
    QCOMPARE(IssueNumber::next(newest, drawsPerDay), next);
    QVERIFY(IssueNumber::validate(next).ok());
}

void TestIssueNumber::nextIssueFollowsRealDayChanges()
{
    // Wherever a real history goes from the last draw of a day to the first of the next,
    // the proposal must be exactly that issue.
    const QDir folder(QStringLiteral(QUORVEL_TEST_DATA));
    int dayChanges = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        const int drawsPerDay = name.startsWith(QLatin1String("cq")) ? 97 : 84;
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        qint32 previous = 0;
        while (!file.atEnd()) {
            const QString line = QString::fromLatin1(file.readLine()).simplified();
            if (line.isEmpty())
                continue;
            const Result<qint32> issue = IssueNumber::parse(line.section(u' ', 0, 0));
            QVERIFY2(issue.ok(), qPrintable(name + QLatin1String(": ") + line));
            if (previous != 0 && IssueNumber::sequence(previous) == drawsPerDay &&
                IssueNumber::sequence(*issue) == 1) {
                QCOMPARE(IssueNumber::next(previous, drawsPerDay), *issue);
                ++dayChanges;
            }
            previous = *issue;
        }
    }
    QVERIFY(dayChanges >= 10);
}

QTEST_GUILESS_MAIN(TestIssueNumber)
#include "tst_issuenumber.moc"
