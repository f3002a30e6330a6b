#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/HistoryTable.h"
#include "history/OnlineUpdateStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

DrawNumbers numbers(std::initializer_list<int> list)
{
    DrawNumbers result{};
    std::copy(list.begin(), list.end(), result.begin());
    return result;
}

const DrawNumbers kA = numbers({1, 2, 3, 4, 5, 6, 7, 8});
const DrawNumbers kB = numbers({8, 7, 6, 5, 4, 3, 2, 1});
const DrawNumbers kC = numbers({11, 12, 13, 14, 15, 16, 17, 18});

QString pageLine(qint32 issue, const DrawNumbers& n)
{
    // The numbers follow the issue directly, three characters apart.
    QString line = QString::number(issue);
    for (int i = 0; i < 8; ++i)
        line += (i ? QStringLiteral(" ") : QString()) +
                QStringLiteral("%1").arg(n[std::size_t(i)], 2, 10, QLatin1Char('0'));
    return line + QStringLiteral("\n");
}

std::vector<Draw> stored(Database& database)
{
    const Result<DrawTable> table = database.history().readAll();
    std::vector<Draw> draws;
    for (int t = 0; table && t < table->drawCount(); ++t)
        draws.push_back(table->draw(t));
    return draws;
}

} // namespace

class TestOnlineUpdateStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void continuesFromTheNewestDraw();
    void replacementCommitsOnlyWithNewDraws_data();
    void replacementCommitsOnlyWithNewDraws();
    void failedWriteKeepsTheOldHistory();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Database> m_database;
};

void TestOnlineUpdateStore::init()
{
    m_database.reset();
    m_folder = std::make_unique<QTemporaryDir>();
    Result<std::unique_ptr<Database>> opened = Database::open(m_folder->path());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    m_database = std::move(*opened);
}

void TestOnlineUpdateStore::continuesFromTheNewestDraw()
{
    QVERIFY(m_database->history().insert({makeDraw(kA, 25120710, std::nullopt, 84, EntryPath::Online)}).ok());
    const Result<OnlineUpdatePlan> plan =
        OnlineUpdatePlan::compute(QDate(2025, 12, 7), 3, 84, 25120710, 25120710);
    QVERIFY(plan.ok());
    // Newest first, one draw of the range cut short, one outside it.
    const QString page = pageLine(25120713, kC) + pageLine(25120712, kB) + QStringLiteral("2512071101 02\n") +
                         pageLine(25120709, kC);
    const Result<OnlineUpdateStore::Outcome> outcome = OnlineUpdateStore::store(*m_database, *plan, page);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QCOMPARE(outcome->malformed, 1);
    QCOMPARE(outcome->stored.size(), std::size_t(2));
    const std::vector<Draw> all = stored(*m_database);
    QCOMPARE(all.size(), std::size_t(3));
    // Each loaded draw's previous draw is the one stored just before it.
    QCOMPARE(all[1].values, computeDrawParameters(kB, 25120712, kA, 84, EntryPath::Online));
    QCOMPARE(all[2].values, computeDrawParameters(kC, 25120713, kB, 84, EntryPath::Online));
}

void TestOnlineUpdateStore::replacementCommitsOnlyWithNewDraws_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QList<qint32>>("after");

    QTest::newRow("page with draws replaces the old history")
        << pageLine(25120401, kB) + pageLine(25120402, kC) << QList<qint32>{25120401, 25120402};
    QTest::newRow("page without a draw of the range keeps it")
        << pageLine(25120101, kB) + QStringLiteral("<html>维护中</html>")
        << QList<qint32>{25120201, 25120301};
}

void TestOnlineUpdateStore::replacementCommitsOnlyWithNewDraws()
{
    QFETCH(QString, page);
    QFETCH(QList<qint32>, after);

    QVERIFY(m_database->history()
                .insert({makeDraw(kA, 25120201, std::nullopt, 84, EntryPath::Online),
                         makeDraw(kB, 25120301, kA, 84, EntryPath::Online)})
                .ok());
    const Result<OnlineUpdatePlan> plan =
        OnlineUpdatePlan::compute(QDate(2025, 12, 7), 3, 84, 25120201, 25120301);
    QVERIFY(plan.ok() && plan->replacesHistory);
    const Result<OnlineUpdateStore::Outcome> outcome = OnlineUpdateStore::store(*m_database, *plan, page);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QList<qint32> issues;
    for (const Draw& draw : stored(*m_database))
        issues << draw.issue;
    QCOMPARE(issues, after);
    QCOMPARE(outcome->replacedHistory, !outcome->stored.empty());
    if (!outcome->stored.empty()) // the first loaded draw of a new history has no previous draw
        QCOMPARE(stored(*m_database).front().values,
                 computeDrawParameters(kB, 25120401, std::nullopt, 84, EntryPath::Online));
}

void TestOnlineUpdateStore::failedWriteKeepsTheOldHistory()
{
    QVERIFY(m_database->history().insert({makeDraw(kA, 25120201, std::nullopt, 84, EntryPath::Online)}).ok());
    {
        // Another program's trigger makes the second insert fail after the old history is gone.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(m_database->filePath());
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Lishi WHEN NEW.strQQH = 25120402 "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const Result<OnlineUpdatePlan> plan =
        OnlineUpdatePlan::compute(QDate(2025, 12, 7), 3, 84, 25120201, 25120201);
    QVERIFY(plan.ok() && plan->replacesHistory);
    const Result<OnlineUpdateStore::Outcome> outcome =
        OnlineUpdateStore::store(*m_database, *plan, pageLine(25120401, kB) + pageLine(25120402, kC));
    QVERIFY(!outcome.ok());
    const std::vector<Draw> after = stored(*m_database);
    QCOMPARE(after.size(), std::size_t(1));
    QCOMPARE(after.front().issue, 25120201);
}

QTEST_GUILESS_MAIN(TestOnlineUpdateStore)
#include "tst_onlineupdatestore.moc"
