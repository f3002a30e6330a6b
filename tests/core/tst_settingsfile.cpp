// A settings file edited by hand: what the program reads from it stays what it reads after the
// program writes a setting of its own. A file shared by two processes: each write changes its own
// key only. A file that cannot be written: the write fails and says so.

#include "core/Settings.h"
#include "support/ReadOnlyScope.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace quorvel;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writingOneKeyKeepsTheOthers_data();
    void writingOneKeyKeepsTheOthers();
    void oddHandEditsKeepEveryOtherKey_data();
    void oddHandEditsKeepEveryOtherKey();
    void otherLinesStayByteForByte();
    void twoProcessesWriteDifferentKeys();
    void unwritableFileIsAFailure_data();
    void unwritableFileIsAFailure();
};

void TestSettingsFile::writingOneKeyKeepsTheOthers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("bound"); // keep bound 2 of position 1 (`[1]` key 12), before and after
    QTest::newRow("a plain value") << QByteArray("[1]\n12=9\n") << 9.0;
    // Broken section headers the store reads as one section over three lines, which it would
    // write out as a value.
    QTest::newRow("a section over broken headers") << QByteArray("[1/\n[1\n12=9\n") << 9.0;
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

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// The writer process of twoProcessesWriteDifferentKeys: the bounds of one position, round after
// round, each value a number of its own.
int writerProcess(const QString& path, int position, int rounds)
{
    Settings settings(path);
    for (int round = 1; round <= rounds; ++round) {
        for (int bound = 2; bound <= 9; ++bound) {
            if (!settings.setValue(SettingKey::categoryBound(position, true, bound), position * 1000 + round * 10 + bound))
                return 1;
        }
    }
    return 0;
}

} // namespace

void TestSettingsFile::oddHandEditsKeepEveryOtherKey_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("a value continued on the next line") << QByteArray("[IniSetting]\nGsUrl=a\\\nIniSerchDay=7\n[1]\n12=9\n");
    QTest::newRow("the section written with escapes") << QByteArray("[%49niSetting]\nIniSerchDay=7\nJSQS=2\n");
    QTest::newRow("the section written twice") << QByteArray("[IniSetting]\nIniSerchDay=7\n[1]\n12=9\n[IniSetting]\nJSQS=2\n");
    QTest::newRow("blanks around names") << QByteArray("[ IniSetting ]\n IniSerchDay = 5 \nJSQS = 1\n");
    QTest::newRow("a key before any section") << QByteArray("IniSerchDay=2\n[IniSetting]\nLsXs=True\n");
    QTest::newRow("a quoted value") << QByteArray("[IniSetting]\nKjUrl=\"a;b=c\"\nIniSerchDay=9\n");
    // QSettings looks a key up in the last section name not after it, here the odd one.
    QTest::newRow("a section name over a line break") << QByteArray("[IniSetting\\\nIniSerchDay=5\n[IniSetting]=1\n14=-3\n");
}

void TestSettingsFile::oddHandEditsKeepEveryOtherKey()
{
    QFETCH(QByteArray, text);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    writeFile(path, text);
    const auto everyKey = [](const QString& file) {
        QMap<QString, QVariant> keys;
        const QSettings store(file, QSettings::IniFormat);
        for (const QString& key : store.allKeys()) {
            if (const QVariant value = store.value(key); value.isValid() && key != QLatin1String("IniSetting/IniSerchDay"))
                keys.insert(key, value);
        }
        return keys;
    };
    const QString copy = folder.filePath(QStringLiteral("before.ini"));
    QVERIFY(QFile::copy(path, copy));
    QVERIFY(Settings(path).setValue({SettingKey::HistoryDays}, 4));
    QCOMPARE(Settings(path).historyDays(), 4);
    QCOMPARE(everyKey(path), everyKey(copy));
}

void TestSettingsFile::otherLinesStayByteForByte()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    const QByteArray text = "; notes of the user\r\n[IniSetting]\r\nGsZl=2\r\nUnknown = kept as written\r\n\r\n"
                            "[SSSZ]\r\n1=80\r\n";
    writeFile(path, text);
    Settings settings(path);
    QVERIFY(settings.setValue({SettingKey::RetrievalPeriods}, 5));
    QCOMPARE(contentOf(path), QByteArray("; notes of the user\r\n[IniSetting]\r\nGsZl=2\r\nUnknown = kept as "
                                         "written\r\nJSQS=5\r\n\r\n[SSSZ]\r\n1=80\r\n"));
    QVERIFY(settings.setValue({SettingKey::LotteryType}, 3));
    QVERIFY(settings.setValue(SettingKey::categoryBound(4, false, 3), 7.5));
    QCOMPARE(contentOf(path), QByteArray("; notes of the user\r\n[IniSetting]\r\nGsZl=3\r\nUnknown = kept as "
                                         "written\r\nJSQS=5\r\n\r\n[SSSZ]\r\n1=80\r\n\r\n[4]\r\n13=7.5\r\n"));
    const Settings reread(path);
    QCOMPARE(reread.retrievalPeriodsIndex(), 5);
    QCOMPARE(reread.lotteryTypeIndex(), 3);
    QCOMPARE(reread.categoryBound(4, false, 3), 7.5);
    QCOMPARE(reread.schemeTarget(1, true), 80);
}

void TestSettingsFile::twoProcessesWriteDifferentKeys()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shared.ini"));
    constexpr int kRounds = 8;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const int position : {1, 2}) {
        auto writer = std::make_unique<QProcess>();
        writer->setProgram(QCoreApplication::applicationFilePath());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVEL_SETTINGS_WRITER"),
                           QStringLiteral("%1|%2|%3").arg(path).arg(position).arg(kRounds));
        writer->setProcessEnvironment(environment);
        writers.push_back(std::move(writer));
    }
    for (auto& writer : writers)
        writer->start();
    for (auto& writer : writers) {
        QVERIFY(writer->waitForFinished(60000));
        QCOMPARE(writer->exitCode(), 0);
    }
    // Both processes' last values are there: neither put back what it had read of the other's.
    const Settings reread(path);
    for (const int position : {1, 2}) {
        for (int bound = 2; bound <= 9; ++bound)
            QCOMPARE(reread.categoryBound(position, true, bound), double(position * 1000 + kRounds * 10 + bound));
    }
}

void TestSettingsFile::unwritableFileIsAFailure_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a folder in its place") << QStringLiteral("folder");
    QTest::newRow("a write-protected file") << QStringLiteral("readonly");
}

void TestSettingsFile::unwritableFileIsAFailure()
{
    QFETCH(QString, what);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    writeFile(path, "[IniSetting]\nJSQS=4\n");
    Settings settings(path);
    QCOMPARE(settings.retrievalPeriodsIndex(), 4);
    QSignalSpy failed(&settings, &Settings::writeFailed);
    QSignalSpy changed(&settings, &Settings::changed);
    std::unique_ptr<ReadOnlyScope> readOnly;
    if (what == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    } else {
        readOnly = std::make_unique<ReadOnlyScope>(path, ReadOnlyScope::What::File);
    }
    Settings::takeWriteFailure();
    QVERIFY(!settings.setValue({SettingKey::RetrievalPeriods}, 7));
    QCOMPARE(failed.count(), 1);
    const QString message = failed.first().first().toString();
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    QVERIFY(message.startsWith(QStringLiteral("设置未能保存到")));
    QCOMPARE(Settings::takeWriteFailure(), message);
    // The value in force is the one before, and those who show it are told to read it again.
    QCOMPARE(changed.count(), 1);
    QCOMPARE(settings.retrievalPeriodsIndex(), 4);
    readOnly.reset();
    if (what != QLatin1String("folder"))
        QCOMPARE(contentOf(path), QByteArray("[IniSetting]\nJSQS=4\n"));
}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (const QString writer = qEnvironmentVariable("QUORVEL_SETTINGS_WRITER"); !writer.isEmpty()) {
        const QStringList parts = writer.split(QLatin1Char('|'));
        return writerProcess(parts.value(0), parts.value(1).toInt(), parts.value(2).toInt());
    }
    TestSettingsFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_settingsfile.moc"
