// A settings file edited by hand: what the program reads from it stays what it reads after the
// program writes a setting of its own.

#include "core/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writingOneKeyKeepsTheOthers_data();
    void writingOneKeyKeepsTheOthers();
};

void TestSettingsFile::writingOneKeyKeepsTheOthers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("bound"); // keep bound 2 of position 1 (`[1]` key 12), before and after
    QTest::newRow("a plain value") << QByteArray("[1]\n12=9\n") << 9.0;
    // The store lists the key of the broken section headers but cannot read it, and would write it
    // out as a value.
    QTest::newRow("a key the store lists but cannot read") << QByteArray("[1/\n[1\n12=9\n") << 96.0;
}

void TestSettingsFile::writingOneKeyKeepsTheOthers()
{
    QFETCH(QByteArray, text);
    QFETCH(double, bound);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    QCOMPARE(Settings(path).categoryBound(1, false, 2), bound);
    Settings(path).setHistoryDays(4);
    const Settings reread(path);
    QCOMPARE(reread.historyDays(), 4);
    QCOMPARE(reread.categoryBound(1, false, 2), bound);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
