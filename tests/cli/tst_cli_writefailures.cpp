// Every writing command on a full disk (the file size limited, as `ulimit -f` does) and on a data
// folder that cannot be written: it fails with one message naming the cause and leaves the
// database exactly as it was.

#include "support/CliRun.h"
#include "support/LocalHttpServer.h"
#include "support/ReadOnlyScope.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <memory>
#include <optional>

using namespace quorvel;

namespace {

const QString kDraws = QStringLiteral("26120801 1 2 3 4 5 6 7 8\n26120802 2 3 4 5 6 7 8 9\n"
                                      "26120803 3 4 5 6 7 8 9 10\n26120804 4 5 6 7 8 9 10 11\n");
const QString kLaterDraws = QStringLiteral("26120805 5 6 7 8 9 10 11 12\n26120806 6 7 8 9 10 11 12 13\n");
const QString kNewDraws = QStringLiteral("26120807 7 8 9 10 11 12 13 14\n26120808 8 9 10 11 12 13 14 15\n");
const QByteArray kFormulaFile = "[第一杀]第一码+3\n[第四生]第二码+第三码\n";
// Room for the check at the start (a journal of one page) but not for the change, which fails
// half-way as on a disk that fills up.
constexpr qint64 kRoomForOnePage = 6000;
// No file the program writes fits; the database is found unwritable at the start.
constexpr qint64 kNoRoom = 16;

// Every row of every table, in stored order, as text.
QStringList contents(const QString& dataFolder)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("contents"));
        db.setDatabaseName(QDir(dataFolder).filePath(QStringLiteral("formula.db")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return {QStringLiteral("cannot open")};
        QSqlQuery tables(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                         db);
        QStringList names;
        while (tables.next())
            names << tables.value(0).toString();
        for (const QString& table : names) {
            QSqlQuery query(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table), db);
            while (query.next()) {
                QStringList values{table};
                for (int i = 0; i < query.record().count(); ++i)
                    values << query.value(i).toString();
                rows << values.join(u'|');
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("contents"));
    return rows;
}

} // namespace

class TestCliWriteFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writingCommandFails_data();
    void writingCommandFails();

private:
    LocalHttpServer m_server;
};

void TestCliWriteFailures::writingCommandFails_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<bool>("fails");

    const QString yes = QStringLiteral("--yes");
    const struct
    {
        const char* name;
        QStringList arguments;
        qint64 sizeLimit = kRoomForOnePage;
        bool fails = true;
    } commands[] = {
        {"history import", {"history", "import", "NEW_DRAWS"}},
        {"history import, no room at the start", {"history", "import", "NEW_DRAWS"}, kNoRoom},
        {"history update", {yes, "history", "update", "--url", "SERVER/page"}},
        {"history delete --newest", {"history", "delete", "--newest", "2"}},
        {"history delete --all", {"history", "delete", "--all"}},
        {"history export", {"history", "export"}, kNoRoom},
        {"formulas add", {"formulas", "add", "[第三杀]第一码+5"}},
        {"formulas import", {"formulas", "import", "FORMULA_FILE"}},
        {"formulas update", {yes, "formulas", "update", "--url", "SERVER/Quorvel.txt"}},
        {"formulas delete", {"formulas", "delete", "--list-no", "1", "--position", "2", "--kind", "kill"}},
        {"formulas clear", {yes, "formulas", "clear"}},
        {"formulas export", {"formulas", "export", "--all"}, kNoRoom},
        {"search store append",
         {"search", "--position", "2", "--kind", "kill", "--candidates", "2000", "--seed", "7", "--store",
          "append"}},
        {"search store replace",
         {yes, "search", "--position", "2", "--kind", "kill", "--candidates", "2000", "--seed", "7",
          "--store", "replace"}},
        {"spreadsheet of the formula list",
         {"xlsx", "formulas", "--position", "2", "--kind", "kill"},
         kNoRoom},
        {"spreadsheet of the history", {"xlsx", "history"}, kNoRoom},
        {"verify write-back", {"verify", "--position", "2", "--kind", "kill"}},
        {"limits update", {yes, "limits", "update", "--position", "2"}},
        // The ranking hand-over is scratch: a database found unwritable at the start (as one on a
        // full disk is) keeps it in memory.
        {"predict", {"predict", "--position", "2", "--kind", "kill"}, kNoRoom, false},
    };
    for (const auto& command : commands) {
        QTest::addRow("%s, file size limited", command.name)
            << command.arguments << false << command.sizeLimit << command.fails;
        if (command.sizeLimit != kNoRoom || !command.fails)
            QTest::addRow("%s, read-only folder", command.name)
                << command.arguments << true << qint64(0) << command.fails;
    }
}

void TestCliWriteFailures::writingCommandFails()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, readOnlyFolder);
    QFETCH(qint64, sizeLimit);
    QFETCH(bool, fails);

    CliRun run;
    run.writeFile(QStringLiteral("settings.ini"), "[IniSetting]\nGsZl=0\n");
    QVERIFY(run.importDraws(kDraws));
    // The kill list of position 2 is verified before the last two draws are stored, so its
    // verification has statistics to write, and the first formula misses, so it has limits to raise.
    QCOMPARE(
        run({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("--kind"),
             QStringLiteral("kill"), QStringLiteral("[第二杀]第一码+2"), QStringLiteral("[第二杀]第二码+2")})
            .exitCode,
        0);
    QVERIFY(run.importDraws(kLaterDraws));
    arguments.replaceInStrings(QStringLiteral("NEW_DRAWS"),
                               run.writeFile(QStringLiteral("new.txt"), kNewDraws.toUtf8()));
    arguments.replaceInStrings(QStringLiteral("FORMULA_FILE"),
                               run.writeFile(QStringLiteral("f.txt"), kFormulaFile));
    arguments.replaceInStrings(QStringLiteral("SERVER"), m_server.base());
    m_server.setAnswer("/page/", {200, "2612090101 02 03 04 05 06 07 08\n"});
    m_server.setAnswer("/Quorvel.txt", {200, kFormulaFile + QByteArray(1024, ' ')});
    const QString folder = run.dataFolder();
    const QStringList before = contents(folder);

    CliResult result;
    {
        std::optional<ReadOnlyScope> readOnly;
        if (readOnlyFolder)
            readOnly.emplace(folder, ReadOnlyScope::What::Folder);
        else
            run.setFileSizeLimit(sizeLimit);
        result = run(arguments);
    }
    QCOMPARE(result.exitCode, fails ? 1 : 0);
    if (result.exitCode != 0) {
        // The search reports its rate on stderr as well.
        const QStringList failures = result.err.filter(QRegularExpression(QStringLiteral("^(?!rate )")));
        QCOMPARE(failures.size(), 1);
        const QString& message = failures.first();
        // The cause: the size limit, or the folder that cannot be written.
        if (readOnlyFolder)
            QVERIFY2(message.contains(QDir::toNativeSeparators(folder)) &&
                         message.contains(QStringLiteral("无法写入")),
                     qPrintable(message));
        else // a spreadsheet's rows wait in a scratch file whose failed writes say no more than that
            QVERIFY2(message.contains(QStringLiteral("文件大小超过了系统对本程序的限制")) ||
                         message.contains(QStringLiteral("磁盘可能已满")),
                     qPrintable(message));
    }
    QCOMPARE(contents(folder), before);
}

QTEST_GUILESS_MAIN(TestCliWriteFailures)
#include "tst_cli_writefailures.moc"
