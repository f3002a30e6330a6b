// Several quorvel-cli processes on one data folder at the same time: nothing one of them
// committed is lost to another's deletion and compaction; a compaction that fails after a
// deletion is a warning; a settings file that cannot be written fails the command.

#include "support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <thread>

using namespace quorvel;

class TestCliTwoProcesses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writersAndDeleterLoseNothing();
    void failedCompactionAfterDeletionIsAWarning();
    void unwritableSettingsFileFailsTheCommand();
};

namespace {

// "ISSUE N1..N8" of the draw `i` (1..): eight different numbers.
QString drawLine(int i)
{
    QStringList numbers;
    for (int k = 0; k < 8; ++k)
        numbers << QStringLiteral("%1").arg((i + 2 * k) % 20 + 1, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 %2").arg(26120800 + i).arg(numbers.join(QLatin1Char(' ')));
}

// The codes of a position's formulas of one kind, as `formulas list` prints them.
QStringList codes(const CliRun& run, int position, const QString& kind)
{
    QStringList result;
    const CliResult listed = run({QStringLiteral("formulas"), QStringLiteral("list"), QStringLiteral("--position"),
                                  QString::number(position), QStringLiteral("--kind"), kind});
    for (const QString& line : listed.out)
        result << line.section(QLatin1Char('\t'), 3, 3);
    return result;
}

} // namespace

void TestCliTwoProcesses::writersAndDeleterLoseNothing()
{
    CliRun run;
    QStringList seeded{QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("--kind"),
                       QStringLiteral("kill")};
    for (int i = 1; i <= 20; ++i)
        seeded << QStringLiteral("[第二杀]第一码+%1").arg(i);
    QCOMPARE(run(seeded).exitCode, 0);

    // Each round three processes at once: one stores a draw, one a formula, one deletes the first
    // formula of another list (a deletion, then a compaction of the whole file).
    constexpr int kRounds = 10;
    QStringList failures;
    for (int round = 1; round <= kRounds; ++round) {
        const QString drawFile =
            run.writeFile(QStringLiteral("draw%1.txt").arg(round), drawLine(round).toUtf8() + '\n');
        CliResult imported;
        CliResult added;
        CliResult deleted;
        std::thread importer([&] { imported = run({QStringLiteral("history"), QStringLiteral("import"), drawFile}); });
        std::thread adder([&] {
            added = run({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("--kind"),
                         QStringLiteral("kill"), QStringLiteral("[第三杀]第一码+%1").arg(round)});
        });
        std::thread deleter([&] {
            deleted = run({QStringLiteral("formulas"), QStringLiteral("delete"), QStringLiteral("--list-no"),
                           QStringLiteral("1"), QStringLiteral("--position"), QStringLiteral("2"),
                           QStringLiteral("--kind"), QStringLiteral("kill")});
        });
        importer.join();
        adder.join();
        deleter.join();
        for (const CliResult* result : {&imported, &added, &deleted}) {
            if (result->exitCode != 0)
                failures << QStringLiteral("round %1: %2").arg(round).arg(result->err.join(QLatin1Char(' ')));
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    // Every draw and formula stored is there; exactly the deleted formulas are gone.
    const CliResult history = run({QStringLiteral("history"), QStringLiteral("list")});
    QCOMPARE(history.exitCode, 0);
    QCOMPARE(history.out.size(), kRounds);
    QStringList added;
    for (int round = 1; round <= kRounds; ++round)
        added << QStringLiteral("L1A+%1").arg(round);
    QStringList stored = codes(run, 3, QStringLiteral("kill"));
    stored.sort();
    added.sort();
    QCOMPARE(stored, added);
    QStringList kept;
    for (int i = kRounds + 1; i <= 20; ++i)
        kept << QStringLiteral("L1A+%1").arg(i);
    QCOMPARE(codes(run, 2, QStringLiteral("kill")), kept);
    // The compaction never put another file in the place of formula.db: no process lost the right
    // to write it.
    QCOMPARE(QDir(run.dataFolder()).entryList(QDir::Files).filter(QStringLiteral("formula.db")).size(), 1);
}

void TestCliTwoProcesses::failedCompactionAfterDeletionIsAWarning()
{
    CliRun run;
    QCOMPARE(run({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+1"),
                  QStringLiteral("[第一生]第一码+2")})
                 .exitCode,
             0);
    QVERIFY(run.importDraws(drawLine(1) + QLatin1Char('\n') + drawLine(2) + QLatin1Char('\n')));
    // The copy formulaTmp.db cannot be replaced: a folder with something in it is in its place.
    const QString copy = QDir(run.dataFolder()).filePath(QStringLiteral("formulaTmp.db"));
    QFile::remove(copy);
    QVERIFY(QDir().mkpath(copy + QStringLiteral("/inner")));

    const CliResult deleted = run({QStringLiteral("formulas"), QStringLiteral("delete"), QStringLiteral("--list-no"),
                                   QStringLiteral("1")});
    QCOMPARE(deleted.exitCode, 0);
    QCOMPARE(deleted.err.size(), 1);
    QVERIFY2(deleted.err.first().contains(QStringLiteral("压缩数据库")), qPrintable(deleted.err.first()));
    QCOMPARE(codes(run, 1, QStringLiteral("keep")), QStringList{QStringLiteral("L1A+2")});

    const CliResult history = run({QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--newest"),
                                   QStringLiteral("1")});
    QCOMPARE(history.exitCode, 0);
    QCOMPARE(history.out, QStringList{QStringLiteral("deleted 1")});
    QCOMPARE(history.err.size(), 1);
    QCOMPARE(run({QStringLiteral("history"), QStringLiteral("list")}).out.size(), 1);
}

void TestCliTwoProcesses::unwritableSettingsFileFailsTheCommand()
{
    CliRun run;
    QVERIFY(run.importDraws([] {
        QString lines;
        for (int i = 1; i <= 60; ++i)
            lines += drawLine(i) + QLatin1Char('\n');
        return lines;
    }()));
    QFile::remove(run.settingsPath());
    QVERIFY(QDir().mkdir(run.settingsPath()));
    const CliResult tuned = run({QStringLiteral("tune"), QStringLiteral("--position"), QStringLiteral("2"),
                                 QStringLiteral("--kind"), QStringLiteral("kill"), QStringLiteral("--samples"),
                                 QStringLiteral("20"), QStringLiteral("--save")});
    QCOMPARE(tuned.exitCode, 1);
    QVERIFY(!tuned.err.isEmpty());
    QVERIFY2(tuned.err.last().contains(QStringLiteral("设置未能保存到")), qPrintable(tuned.err.join(u'\n')));
    QVERIFY2(tuned.err.last().contains(QDir::toNativeSeparators(run.settingsPath())), qPrintable(tuned.err.last()));
}

QTEST_GUILESS_MAIN(TestCliTwoProcesses)
#include "tst_cli_twoprocesses.moc"
