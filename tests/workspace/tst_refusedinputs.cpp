// Bad inputs the other tests do not reach: a formula download address that is no web address, a
// results page holding malformed draws, and a database file damaged in the middle.

#include "support/TestSession.h"
#include "workspace/OnlineFormulaUpdate.h"
#include "workspace/OnlineHistoryUpdate.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;

class TestRefusedInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formulaDownloadAddress_data();
    void formulaDownloadAddress();
    void malformedPageDrawsAreNamed();
    void damagedDatabaseIsRefusedAndKept();
};

void TestRefusedInputs::formulaDownloadAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("url"); // empty: refused
    QTest::newRow("whole address") << "http://example.org/Quorvel.txt"
                                   << "http://example.org/Quorvel.txt";
    QTest::newRow("host and path take http") << "example.org/f.txt"
                                             << "http://example.org/f.txt";
    QTest::newRow("another scheme") << "ftp://example.org/f.txt" << QString();
    QTest::newRow("no host") << "http://" << QString();
    QTest::newRow("a file path") << "/home/user/f.txt" << QString();
}

void TestRefusedInputs::formulaDownloadAddress()
{
    QFETCH(QString, typed);
    QFETCH(QString, url);
    const Result<QUrl> checked = OnlineFormulaUpdate::checkedAddress(typed);
    if (url.isEmpty()) {
        QVERIFY(!checked.ok());
        QVERIFY2(checked.error().contains(QStringLiteral("不是可用的下载地址")), qPrintable(checked.error()));
    } else {
        QCOMPARE(checked.value().toString(), url);
    }
}

void TestRefusedInputs::malformedPageDrawsAreNamed()
{
    OnlineUpdateOutcome outcome;
    outcome.stored = 2;
    outcome.malformed = 3;
    QCOMPARE(OnlineHistoryUpdate::outcomeMessage(outcome),
             QStringLiteral("已保存2期新的开奖号码。页面上另有3期号码格式不对，未保存。"));
    outcome.inconsistent = {1010101};
    QVERIFY(OnlineHistoryUpdate::outcomeMessage(outcome).endsWith(
        QStringLiteral("未保存。页面中期号 01010101 的号码前后不一致，未保存。")));
}

void TestRefusedInputs::damagedDatabaseIsRefusedAndKept()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    const QString path = QDir(session.dataFolder()).filePath(QStringLiteral("formula.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    // Every page but the first (the table of tables) overwritten, as by a failing disk.
    QVERIFY(file.seek(4096));
    file.write(QByteArray(int(file.size() - 4096), '\xA5'));
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray damaged = file.readAll();
    file.close();

    const Status started = session.start();
    QVERIFY(!started.ok());
    QVERIFY2(started.error().contains(QStringLiteral("malformed")), qPrintable(started.error()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), damaged);
}

QTEST_GUILESS_MAIN(TestRefusedInputs)
#include "tst_refusedinputs.moc"
