#include "core/BackupStore.h"
#include "core/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvel;

class TestBackupStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void retention_data();
    void retention();
    void unknownStateRefused();

private:
    QString databasePath() const { return QDir(m_folder->path()).filePath(QStringLiteral("formula.db")); }
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestBackupStore::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(Database::open(m_folder->path()));
}

void TestBackupStore::retention_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("daysBetween");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<int>("expected");

    QTest::newRow("within a week every state stays") << 25 << 0 << BackupStore::kDefaultBudgetBytes << 25;
    QTest::newRow("older than a week: the 20 newest stay")
        << 25 << 1 << BackupStore::kDefaultBudgetBytes << 20;
    QTest::newRow("over the budget the oldest go, the newest stays") << 3 << 0 << qint64(1) << 1;
}

void TestBackupStore::retention()
{
    QFETCH(int, count);
    QFETCH(int, daysBetween);
    QFETCH(qint64, budget);
    QFETCH(int, expected);

    BackupStore store(databasePath());
    store.setBudgetBytes(budget);
    const QDateTime start = QDateTime::currentDateTime().addDays(-daysBetween * count);
    KeptParts parts;
    parts.settings = {{QStringLiteral("IniSetting/LsXs"), QStringLiteral("false")}};
    qint64 newest = 0;
    for (int i = 0; i < count; ++i) {
        const Result<qint64> kept = store.keep(QStringLiteral("test"), parts, start.addDays(daysBetween * i));
        QVERIFY2(kept, qPrintable(kept.error()));
        newest = *kept;
    }
    store.prune(QDateTime::currentDateTime());
    const Result<std::vector<KeptState>> states = store.list();
    QCOMPARE(int(states->size()), expected);
    QCOMPARE(states->front().id, newest);
}

void TestBackupStore::unknownStateRefused()
{
    BackupStore store(databasePath());
    const Result<KeptParts> restored = store.restore(999);
    QVERIFY(!restored);
    QCOMPARE(restored.error(), QStringLiteral("没有编号为 999 的备份"));
}

QTEST_GUILESS_MAIN(TestBackupStore)
#include "tst_backupstore.moc"
