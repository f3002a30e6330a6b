#include "core/LotteryType.h"
#include "core/Settings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvel;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void freshStoreGivesDefaults();
    void boundDefaults_data();
    void boundDefaults();
    void valuesAreWrittenAsText();
    void valuesSurviveARestart();
    void killAndKeepAreStoredApart();
    void unreadableValuesFallBack_data();
    void unreadableValuesFallBack();
    void retrievalPeriods();
    void lotteryTypes();
    void writesAreCheckedAndAnnounced();

private:
    QString iniPath() const { return m_folder->filePath(QStringLiteral("Quorvel.ini")); }
    // Writes text behind the class's back, as a hand-edited store would hold it.
    void writeRaw(const QString& key, const QString& text)
    {
        QSettings raw(iniPath(), QSettings::IniFormat);
        raw.setValue(key, text);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestSettings::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestSettings::freshStoreGivesDefaults()
{
    const Settings settings(iniPath());
    QCOMPARE(settings.lotteryTypeIndex(), kNoLotteryType);
    QCOMPARE(settings.historyDays(), 3);
    QCOMPARE(settings.computeSelectedFormulas(), true);
    QCOMPARE(settings.resultsAtCurrentPeriod(), false);
    QCOMPARE(settings.excludeCurrentPeriod(), true);
    QCOMPARE(settings.weightedAccuracy(), true);
    QCOMPARE(settings.retrievalPeriodsIndex(), 3);
    QCOMPARE(Settings::retrievalPeriods(settings.retrievalPeriodsIndex()), 300);
    for (int p = 1; p <= 8; ++p) {
        QCOMPARE(settings.operandCount(p), 8);
        QCOMPARE(settings.schemeTarget(p, true), 80);
        QCOMPARE(settings.schemeTarget(p, false), 80);
    }
    // Reading defaults writes nothing.
    QVERIFY(settings.rawValue(QStringLiteral("IniSetting"), QStringLiteral("GsZl")).isEmpty());
}

void TestSettings::boundDefaults_data()
{
    QTest::addColumn<bool>("kill");
    QTest::addColumn<QList<double>>("bounds"); // bounds 2..9

    QTest::newRow("kill: misses 2 to 32768, hits 0 to 64, last misses 2 to 32768, last hits 0 to 0")
        << true << QList<double>{2, 32768, 0, 64, 2, 32768, 0, 0};
    QTest::newRow("keep: misses 96 to 32768, hits 0 to 2, last misses 96 to 32768, last hits 0 to 0")
        << false << QList<double>{96, 32768, 0, 2, 96, 32768, 0, 0};
}

void TestSettings::boundDefaults()
{
    QFETCH(bool, kill);
    QFETCH(QList<double>, bounds);
    const Settings settings(iniPath());
    for (int bound = 2; bound <= 9; ++bound) {
        QCOMPARE(Settings::defaultCategoryBound(kill, bound), bounds[bound - 2]);
        for (int p = 1; p <= 8; ++p)
            QCOMPARE(settings.categoryBound(p, kill, bound), bounds[bound - 2]);
    }
}

void TestSettings::valuesAreWrittenAsText()
{
    Settings settings(iniPath());
    settings.setLotteryTypeIndex(3);
    settings.setHistoryDays(6);
    settings.setComputeSelectedFormulas(false);
    settings.setResultsAtCurrentPeriod(true);
    settings.setExcludeCurrentPeriod(false);
    settings.setWeightedAccuracy(true);
    settings.setRetrievalPeriodsIndex(9);
    settings.setCategoryBound(2, true, 3, 32768);
    settings.setCategoryBound(2, false, 5, 0.5);
    settings.setCategoryBound(2, false, 2, 2);
    settings.setOperandCount(4, 24);
    settings.setSchemeTarget(5, true, 120);
    settings.setSchemeTarget(5, false, 7);

    const auto raw = [&settings](const char* section, const char* key) {
        return settings.rawValue(QString::fromLatin1(section), QString::fromLatin1(key));
    };
    QCOMPARE(raw("IniSetting", "GsZl"), QStringLiteral("3"));
    QCOMPARE(raw("IniSetting", "IniSerchDay"), QStringLiteral("6"));
    QCOMPARE(raw("IniSetting", "JSFF"), QStringLiteral("False"));
    QCOMPARE(raw("IniSetting", "LsXs"), QStringLiteral("True"));
    QCOMPARE(raw("IniSetting", "SyBq"), QStringLiteral("False"));
    QCOMPARE(raw("IniSetting", "ZqlJq"), QStringLiteral("True"));
    QCOMPARE(raw("IniSetting", "JSQS"), QStringLiteral("9"));
    QCOMPARE(raw("2", "3"), QStringLiteral("32768")); // kill bound 3
    QCOMPARE(raw("2", "15"), QStringLiteral("0.5"));  // keep bound 5
    QCOMPARE(raw("2", "12"), QStringLiteral("2"));    // keep bound 2
    QVERIFY(raw("2", "5").isEmpty());                 // kill bound 5 untouched
    QCOMPARE(raw("4", "text2"), QStringLiteral("24"));
    QCOMPARE(raw("SSSZ", "5"), QStringLiteral("120"));
    QCOMPARE(raw("SSSZ", "15"), QStringLiteral("7"));

    // The file holds plain text, not Qt's typed encodings.
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY2(content.contains("[IniSetting]") && content.contains("JSFF=False") && content.contains("[SSSZ]"),
             content.constData());
}

void TestSettings::valuesSurviveARestart()
{
    {
        Settings settings(iniPath());
        settings.setLotteryTypeIndex(7);
        settings.setHistoryDays(10);
        settings.setComputeSelectedFormulas(false);
        settings.setResultsAtCurrentPeriod(true);
        settings.setExcludeCurrentPeriod(false);
        settings.setWeightedAccuracy(false);
        settings.setRetrievalPeriodsIndex(0);
        settings.setCategoryBound(8, true, 9, 12.25);
        settings.setOperandCount(8, 2);
        settings.setSchemeTarget(8, false, 0);
    }
    const Settings reopened(iniPath());
    QCOMPARE(reopened.lotteryTypeIndex(), 7);
    QCOMPARE(reopened.historyDays(), 10);
    QCOMPARE(reopened.computeSelectedFormulas(), false);
    QCOMPARE(reopened.resultsAtCurrentPeriod(), true);
    QCOMPARE(reopened.excludeCurrentPeriod(), false);
    QCOMPARE(reopened.weightedAccuracy(), false);
    QCOMPARE(reopened.retrievalPeriodsIndex(), 0);
    QCOMPARE(reopened.categoryBound(8, true, 9), 12.25);
    QCOMPARE(reopened.operandCount(8), 2);
    QCOMPARE(reopened.schemeTarget(8, false), 0);
}

void TestSettings::killAndKeepAreStoredApart()
{
    Settings settings(iniPath());
    settings.setCategoryBound(1, true, 4, 11);
    settings.setSchemeTarget(1, true, 33);
    const Settings second(iniPath()); // a second view of the same file sees every write at once
    QCOMPARE(second.categoryBound(1, true, 4), 11.0);
    QCOMPARE(second.categoryBound(1, false, 4), Settings::defaultCategoryBound(false, 4));
    QCOMPARE(second.categoryBound(2, true, 4), Settings::defaultCategoryBound(true, 4));
    QCOMPARE(second.schemeTarget(1, true), 33);
    QCOMPARE(second.schemeTarget(1, false), 80);
}

void TestSettings::unreadableValuesFallBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("lottery type 9 means none chosen") << "IniSetting/GsZl"
                                                      << "9";
    QTest::newRow("negative lottery type means none chosen") << "IniSetting/GsZl"
                                                             << "-1";
    QTest::newRow("lottery type as words means none chosen") << "IniSetting/GsZl"
                                                             << "gd";
    QTest::newRow("history days not a number") << "IniSetting/IniSerchDay"
                                               << "three";
    QTest::newRow("history days beyond the dialog's 10") << "IniSetting/IniSerchDay"
                                                         << "11";
    QTest::newRow("history days 0") << "IniSetting/IniSerchDay"
                                    << "0";
    QTest::newRow("flag that is neither True nor False") << "IniSetting/SyBq"
                                                         << "Yes";
    QTest::newRow("flag written as a number") << "IniSetting/ZqlJq"
                                              << "0";
    QTest::newRow("retrieval index 17") << "IniSetting/JSQS"
                                        << "17";
    QTest::newRow("retrieval index with a fraction") << "IniSetting/JSQS"
                                                     << "2.5";
    QTest::newRow("bound that is not a number") << "3/12"
                                                << "lots";
    QTest::newRow("bound that is not finite") << "3/12"
                                              << "inf";
    QTest::newRow("operand count beyond 24") << "3/text2"
                                             << "25";
    QTest::newRow("operand count 1") << "3/text2"
                                     << "1";
    QTest::newRow("scheme target not a number") << "SSSZ/3"
                                                << "x";
}

void TestSettings::unreadableValuesFallBack()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    writeRaw(key, text);
    const Settings settings(iniPath());
    QCOMPARE(settings.rawValue(key.section(u'/', 0, 0), key.section(u'/', 1)), text);
    QCOMPARE(settings.lotteryTypeIndex(), kNoLotteryType);
    QCOMPARE(settings.historyDays(), 3);
    QCOMPARE(settings.excludeCurrentPeriod(), true);
    QCOMPARE(settings.weightedAccuracy(), true);
    QCOMPARE(settings.retrievalPeriodsIndex(), 3);
    QCOMPARE(settings.categoryBound(3, false, 2), 96.0);
    QCOMPARE(settings.operandCount(3), 8);
    QCOMPARE(settings.schemeTarget(3, true), 80);
}

void TestSettings::retrievalPeriods()
{
    const QList<int> expected{0, 100, 200, 300, 500, 600, 800, 1000, 1500, 3000};
    for (int i = 0; i < Settings::kRetrievalPeriodsCount; ++i)
        QCOMPARE(Settings::retrievalPeriods(i), expected[i]);
}

void TestSettings::lotteryTypes()
{
    const auto& types = quorvel::lotteryTypes();
    QCOMPARE(types[3].caption, QStringLiteral("重庆幸运农场"));
    QCOMPARE(types[3].drawsPerDay, 97);
    QCOMPARE(types[4].code, QStringLiteral("shx"));
    QCOMPARE(types[4].drawsPerDay, 71);
    QCOMPARE(types[7].caption, QStringLiteral("黑龙江快乐十分"));
    QCOMPARE(drawsPerDayOf(5), 86);
    QCOMPARE(drawsPerDayOf(6), 72);
    QCOMPARE(drawsPerDayOf(kNoLotteryType), kDefaultDrawsPerDay);
    QCOMPARE(lotteryTypeCode(0), QStringLiteral("gd"));
    QVERIFY(lotteryTypeCode(kNoLotteryType).isEmpty());
    QVERIFY(lotteryTypeCode(8).isEmpty());
}

void TestSettings::writesAreCheckedAndAnnounced()
{
    Settings settings(iniPath());
    QSignalSpy changed(&settings, &Settings::changed);
    // A value the key cannot hold is refused and nothing is written.
    QVERIFY(!settings.setValue({SettingKey::HistoryDays}, 11));
    QVERIFY(!settings.setValue(SettingKey::operandCount(3), 1));
    QCOMPARE(changed.count(), 0);
    QVERIFY(settings.rawValue(QStringLiteral("IniSetting"), QStringLiteral("IniSerchDay")).isEmpty());

    QVERIFY(settings.setValue(SettingKey::categoryBound(2, false, 5), 1.5));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().value<SettingKey>(), SettingKey::categoryBound(2, false, 5));
    QCOMPARE(settings.rawValue(QStringLiteral("2"), QStringLiteral("15")), QStringLiteral("1.5"));

    // Restoring the defaults writes every key of the table that has a value to restore.
    settings.setLotteryTypeIndex(4);
    changed.clear();
    settings.restoreDefaults();
    QCOMPARE(changed.count(), 5);
    QCOMPARE(settings.rawValue(QStringLiteral("IniSetting"), QStringLiteral("IniSerchDay")),
             QStringLiteral("6"));
    QCOMPARE(settings.lotteryTypeIndex(), 4);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
