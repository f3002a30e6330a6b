#include "crash/CrashHarness.h"

#include "core/BackupStore.h"

#include "core/Database.h"
#include "core/TermTable.h"
#include "formulas/FormulaFileLine.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace quorvel::crash {

namespace {

const QString kToday = QStringLiteral("2014-11-04");
// The draws of 2014-11-04 are what the import and the online update add; those of 11-03 are
// stored after the verification of the base.
constexpr qint32 kFirstNewIssue = 14110400;
constexpr qint32 kLastStoredDay = 14110300;
const QString kDraws = QStringLiteral(QUORVEL_TEST_DATA "/cqxync-168bet-funyule.txt");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The draw lines of the real history: "ISSUE N1 .. N8".
QStringList drawLines()
{
    QFile file(kDraws);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && trimmed.at(0).isDigit())
            lines << trimmed;
    }
    return lines;
}

// A results page of the draws, newest first, as the results site writes them.
QByteArray resultsPage(const QStringList& draws)
{
    QByteArray page = "<html><head><meta charset=\"utf-8\"></head><body><table>\n";
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        const QStringList fields = it->split(u' ', Qt::SkipEmptyParts);
        QString row = fields.at(0);
        QStringList numbers;
        for (qsizetype i = 1; i < fields.size(); ++i)
            numbers << QStringLiteral("%1").arg(fields.at(i).toInt(), 2, 10, QLatin1Char('0'));
        row += numbers.join(u' ');
        page += "<tr><td>" + row.toUtf8() + "</td></tr>\n";
    }
    return page + "</table></body></html>\n";
}

qint64 elapsedMs(const QElapsedTimer& timer)
{
    return timer.elapsed();
}

} // namespace

CrashHarness::CrashHarness(const QString& workFolder, quint32 seed)
    : m_work(QDir(workFolder).absolutePath()), m_random(seed), m_server(std::make_unique<LocalHttpServer>())
{
}

CrashHarness::~CrashHarness() = default;

QString CrashHarness::path(const QString& name) const
{
    return QDir(m_work).filePath(name);
}

QString CrashHarness::trialFolder(const QString& name) const
{
    return path(QStringLiteral("trials/") + name);
}

// Formula lines in the suffix form (which names the position and kind), `blockSize` lines per position in
// turn (so the import switches tables, and rebuilds them, between blocks), every `duplicateEvery`-th line
// repeating the line before it. Each line is one the file import recognises.
QString CrashHarness::formulaLines(int count, int blockSize, int duplicateEvery)
{
    const auto& terms = termTable();
    QStringList lines;
    QString previous;
    while (lines.size() < count) {
        const int position = int(lines.size() / blockSize) % kPositionCount + 1;
        QString line;
        if (duplicateEvery > 0 && lines.size() % duplicateEvery == duplicateEvery - 1 &&
            !previous.isEmpty()) {
            line = previous;
        } else {
            const bool kill = m_random.bounded(2) == 1;
            line =
                QStringLiteral("%1+%2*%3+%4=下期%5%6")
                    .arg(terms[m_random.bounded(kTermCount)].name, terms[m_random.bounded(kTermCount)].name)
                    .arg(m_random.bounded(1, 4))
                    .arg(m_random.bounded(1, 21))
                    .arg(kill ? QStringLiteral("杀") : QStringLiteral("生"), positionName(position));
        }
        if (FormulaFileLine::classify(line).outcome != FormulaFileLine::Outcome::Formula)
            continue;
        lines << line;
        previous = line;
    }
    return lines.join(u'\n') + u'\n';
}

bool CrashHarness::prepare()
{
    QDir(m_work).removeRecursively();
    if (!QDir().mkpath(path(QStringLiteral("base/data"))) || !QDir().mkpath(path(QStringLiteral("trials"))))
        return false;
    if (!m_server->isListening()) {
        std::fprintf(stderr, "crash: the local HTTP server does not listen\n");
        return false;
    }
    const QStringList draws = drawLines();
    QStringList verified; // the statistics of one list are those of these draws
    QStringList stored;   // ... stored after them, so the verification has statistics to write
    QStringList added;
    for (const QString& line : draws) {
        const qint32 issue = line.left(8).toInt();
        (issue < kLastStoredDay ? verified : issue < kFirstNewIssue ? stored : added) << line;
    }
    if (verified.isEmpty() || stored.isEmpty() || added.isEmpty()) {
        std::fprintf(stderr, "crash: cannot read %s\n", qPrintable(kDraws));
        return false;
    }
    // 重庆幸运农场 (97 draws a day), and an online update that keeps the week of draws.
    const QString settings = QStringLiteral("[IniSetting]\nGsZl=3\nIniSerchDay=10\n");
    bool written =
        writeFile(path(QStringLiteral("base/settings.ini")), settings.toUtf8()) &&
        writeFile(path(QStringLiteral("verified-draws.txt")), verified.join(u'\n').toUtf8()) &&
        writeFile(path(QStringLiteral("base-draws.txt")), stored.join(u'\n').toUtf8()) &&
        writeFile(path(QStringLiteral("new-draws.txt")), added.join(u'\n').toUtf8()) &&
        writeFile(path(QStringLiteral("base-formulas.txt")), formulaLines(2400, 300, 25).toUtf8()) &&
        writeFile(path(QStringLiteral("more-formulas.txt")), formulaLines(800, 40, 0).toUtf8()) &&
        writeFile(path(QStringLiteral("switching-formulas.txt")), formulaLines(24, 1, 0).toUtf8());
    if (!written)
        return false;
    m_server->setAnswer("/", {200, resultsPage(added)});
    m_server->setAnswer("/Quorvel.txt", {200, formulaLines(400, 50, 0).toUtf8()});

    const QString base = path(QStringLiteral("base"));
    const auto import = [&](const QString& what, const QString& file) {
        return cli(base, {what, QStringLiteral("import"), path(file)});
    };
    const auto verify = [&](int position, const QString& kind) {
        return cli(base, {QStringLiteral("verify"), QStringLiteral("--position"), QString::number(position),
                          QStringLiteral("--kind"), kind});
    };
    // Every list is verified on the draws stored, but the kill list of position 3, whose
    // statistics are those of the draws before the last day: the verification has them to write.
    // (Showing a list verifies it and writes back its statistics when they changed.)
    if (!import(QStringLiteral("history"), QStringLiteral("verified-draws.txt")) ||
        !import(QStringLiteral("formulas"), QStringLiteral("base-formulas.txt")) ||
        !verify(3, QStringLiteral("kill")) ||
        !import(QStringLiteral("history"), QStringLiteral("base-draws.txt")))
        return false;
    for (int position = 1; position <= kPositionCount; ++position) {
        for (const QString& kind : {QStringLiteral("kill"), QStringLiteral("keep")}) {
            if ((position != 3 || kind != QLatin1String("kill")) && !verify(position, kind))
                return false;
        }
    }

    const QString yes = QStringLiteral("--yes");
    const auto searchAndStore = [](const QString& mode) {
        return QStringList{QStringLiteral("search"),
                           QStringLiteral("--position"),
                           QStringLiteral("2"),
                           QStringLiteral("--kind"),
                           QStringLiteral("kill"),
                           QStringLiteral("--candidates"),
                           QStringLiteral("100000"),
                           QStringLiteral("--seed"),
                           QStringLiteral("7"),
                           QStringLiteral("--threads"),
                           QStringLiteral("1"),
                           QStringLiteral("--store"),
                           mode};
    };
    m_operations = {
        {QStringLiteral("history-import"),
         {QStringLiteral("history"), QStringLiteral("import"), path(QStringLiteral("new-draws.txt"))}},
        {QStringLiteral("history-update"),
         {yes, QStringLiteral("history"), QStringLiteral("update"), QStringLiteral("--url"),
          m_server->base()}},
        {QStringLiteral("history-delete"),
         {QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--newest"),
          QStringLiteral("200")}},
        {QStringLiteral("formulas-import"),
         {QStringLiteral("formulas"), QStringLiteral("import"), path(QStringLiteral("more-formulas.txt"))}},
        {QStringLiteral("formulas-update"),
         {yes, QStringLiteral("formulas"), QStringLiteral("update"), QStringLiteral("--url"),
          m_server->base("/Quorvel.txt")}},
        {QStringLiteral("formulas-delete"),
         {QStringLiteral("formulas"), QStringLiteral("delete"), QStringLiteral("--list-no"),
          QStringLiteral("3"), QStringLiteral("--position"), QStringLiteral("2"), QStringLiteral("--kind"),
          QStringLiteral("kill")}},
        {QStringLiteral("formulas-clear"), {yes, QStringLiteral("formulas"), QStringLiteral("clear")}},
        // Every line names another table than the one before: 24 rebuilds of tables holding
        // duplicates.
        {QStringLiteral("rebuild"),
         {QStringLiteral("formulas"), QStringLiteral("import"),
          path(QStringLiteral("switching-formulas.txt"))}},
        {QStringLiteral("compaction"),
         {QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--newest"),
          QStringLiteral("1")},
         true},
        // The search of the search window, its 145 found formulas stored into the kill table of
        // position 2: added (`Command3`) or in place of what it holds (`Command4`).
        {QStringLiteral("search-store-append"), searchAndStore(QStringLiteral("append"))},
        {QStringLiteral("search-store-replace"),
         QStringList{yes} + searchAndStore(QStringLiteral("replace"))},
        {QStringLiteral("verify"),
         {QStringLiteral("verify"), QStringLiteral("--position"), QStringLiteral("3"),
          QStringLiteral("--kind"), QStringLiteral("kill")},
         false,
         true},
    };
    // The import of the base formulas kept the empty formula tables before it: restoring that
    // state deletes every formula in one transaction, after keeping them in turn.
    qint64 keptId = 0;
    const QDir backups(
        QDir(base).filePath(QStringLiteral("data/") + QString::fromUtf8(BackupStore::kFolderName)));
    for (const QString& name : backups.entryList({QStringLiteral("*.db")}, QDir::Files))
        keptId = std::max(keptId, QFileInfo(name).completeBaseName().toLongLong());
    if (keptId == 0) {
        std::fprintf(stderr, "crash: the formula import kept no state to restore\n");
        return false;
    }
    m_operations.push_back(
        {QStringLiteral("backup-restore"),
         {yes, QStringLiteral("backup"), QStringLiteral("restore"), QString::number(keptId)}});
    return true;
}

bool CrashHarness::cli(const QString& folder, const QStringList& arguments) const
{
    const Run run = spawn(folder, arguments, Kill{});
    if (run.exitCode != 0) {
        QFile log(QDir(folder).filePath(QStringLiteral("cli.log")));
        log.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "crash: quorvel-cli %s failed (%d): %s\n", qPrintable(arguments.join(u' ')),
                     run.exitCode, log.readAll().constData());
    }
    return run.exitCode == 0;
}

CrashHarness::Run CrashHarness::spawn(const QString& folder, const QStringList& arguments,
                                      const Kill& kill) const
{
    const QString dataFolder = QDir(folder).filePath(QStringLiteral("data"));
    QList<QByteArray> words{QByteArrayLiteral(QUORVEL_CLI_PATH),
                            QByteArrayLiteral("--data-dir"),
                            QFile::encodeName(dataFolder),
                            QByteArrayLiteral("--settings-file"),
                            QFile::encodeName(QDir(folder).filePath(QStringLiteral("settings.ini"))),
                            QByteArrayLiteral("--today"),
                            kToday.toUtf8()};
    for (const QString& argument : arguments)
        words << argument.toUtf8();
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray log = QFile::encodeName(QDir(folder).filePath(QStringLiteral("cli.log")));

    Run run;
    WriteWatch watch(dataFolder);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        return run;
    int status = 0;
    qint64 killAtMs = kill.atMs;
    for (;;) {
        const qint64 now = elapsedMs(clock);
        if (kill.window >= 0 && killAtMs < 0 && qsizetype(watch.starts(kill.compaction).size()) > kill.window)
            killAtMs = watch.starts(kill.compaction)[std::size_t(kill.window)] + kill.offsetMs;
        if (killAtMs >= 0 && !run.killed && now >= killAtMs) {
            watch.poll(0, now);
            run.killedWriting = watch.isWriting();
            ::kill(pid, SIGKILL);
            run.killed = true;
        }
        const qint64 wait = killAtMs >= 0 && !run.killed ? std::clamp<qint64>(killAtMs - now, 0, 1) : 1;
        watch.poll(int(wait), elapsedMs(clock));
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            break;
    }
    run.durationMs = elapsedMs(clock);
    watch.poll(0, run.durationMs);
    watch.finish(run.durationMs);
    run.windows = watch.windows();
    run.formulaDbRemoved = watch.formulaDbWasRemoved();
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        run.killed = false; // it ended before the signal reached it
    }
    return run;
}

bool CrashHarness::copyBase(const QString& folder) const
{
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(QDir(folder).filePath(QStringLiteral("data"))))
        return false;
    const QDir base(path(QStringLiteral("base")));
    bool copied = QFile::copy(base.filePath(QStringLiteral("settings.ini")),
                              QDir(folder).filePath(QStringLiteral("settings.ini")));
    const QDir data(base.filePath(QStringLiteral("data")));
    for (const QString& name : data.entryList(QDir::Files))
        copied =
            copied && QFile::copy(data.filePath(name), QDir(folder).filePath(QStringLiteral("data/") + name));
    // The states kept for undo, which the restore reads.
    const QString kept = QString::fromUtf8(BackupStore::kFolderName);
    const QDir backups(data.filePath(kept));
    const QString target = QDir(folder).filePath(QStringLiteral("data/") + kept);
    if (backups.exists())
        copied = copied && QDir().mkpath(target);
    for (const QString& name : backups.entryList(QDir::Files))
        copied = copied && QFile::copy(backups.filePath(name), QDir(target).filePath(name));
    return copied;
}

CrashHarness::Kill CrashHarness::killTime(const Run& calibration, const Operation& operation, int trial)
{
    if (!operation.aimAtCompaction && trial % 2 == 0)
        return Kill{qint64(m_random.bounded(double(calibration.durationMs)))};
    // A moment of the union of the windows aimed at, each window counted in its kind's order.
    std::vector<std::pair<int, WriteWatch::Window>> aims;
    int journals = 0;
    int compactions = 0;
    for (const WriteWatch::Window& window : calibration.windows) {
        const int index = window.compaction ? compactions++ : journals++;
        if (window.compaction || !operation.aimAtCompaction)
            aims.emplace_back(index, window);
    }
    if (aims.empty())
        return Kill{qint64(m_random.bounded(double(calibration.durationMs)))};
    qint64 total = 0;
    for (const auto& [index, window] : aims)
        total += qMax<qint64>(1, window.endMs - window.startMs);
    qint64 pick = qint64(m_random.bounded(double(total)));
    for (const auto& [index, window] : aims) {
        const qint64 length = qMax<qint64>(1, window.endMs - window.startMs);
        if (pick < length)
            return Kill{-1, index, window.compaction, pick};
        pick -= length;
    }
    return Kill{calibration.durationMs};
}

CrashHarness::Outcome CrashHarness::run(const Operation& operation, int trials)
{
    Outcome outcome;
    const auto fail = [&](const QString& folder, const QString& what) {
        ++outcome.failures;
        const QString kept = folder + QStringLiteral("-failed-%1").arg(outcome.failures);
        QDir(kept).removeRecursively();
        QDir().rename(folder, kept);
        std::printf("crash: FAIL operation=%s %s (folder kept: %s)\n", qPrintable(operation.name),
                    qPrintable(what), qPrintable(kept));
        std::fflush(stdout);
    };

    const Result<DatabaseState> before = DatabaseState::read(path(QStringLiteral("base/data")));
    const QString calibrationFolder = trialFolder(operation.name + QStringLiteral("-uninterrupted"));
    if (!before || !copyBase(calibrationFolder)) {
        fail(calibrationFolder, QStringLiteral("cannot set up: ") + before.error());
        return outcome;
    }
    const Run calibration = spawn(calibrationFolder, operation.arguments, Kill{});
    outcome.runMs = calibration.durationMs;
    const Result<DatabaseState> after =
        DatabaseState::read(QDir(calibrationFolder).filePath(QStringLiteral("data")));
    if (calibration.exitCode != 0 || !after || *after == *before || calibration.formulaDbRemoved ||
        (operation.aimAtCompaction &&
         std::none_of(calibration.windows.begin(), calibration.windows.end(),
                      [](const WriteWatch::Window& w) { return w.compaction; }))) {
        fail(calibrationFolder,
             QStringLiteral("the uninterrupted run: exit %1, %2")
                 .arg(calibration.exitCode)
                 .arg(!after                         ? after.error()
                      : *after == *before            ? QStringLiteral("it changed nothing")
                      : calibration.formulaDbRemoved ? QStringLiteral("formula.db was removed or replaced by another file")
                                                     : QStringLiteral("it did not compact")));
        return outcome;
    }

    const QString folder = trialFolder(operation.name);
    for (int trial = 1; trial <= trials; ++trial) {
        ++outcome.trials;
        if (!copyBase(folder)) {
            fail(folder, QStringLiteral("trial %1: cannot copy the data folder").arg(trial));
            continue;
        }
        const Kill kill = killTime(calibration, operation, trial);
        const Run run = spawn(folder, operation.arguments, kill);
        const QString moment = kill.window < 0 ? QStringLiteral("%1 ms").arg(kill.atMs)
                                               : QStringLiteral("%1 ms into %2 %3")
                                                     .arg(kill.offsetMs)
                                                     .arg(kill.compaction ? "compaction" : "transaction")
                                                     .arg(kill.window + 1);
        const QString trialName = QStringLiteral("trial %1, kill at %2 of a %3 ms run%4")
                                      .arg(trial)
                                      .arg(moment)
                                      .arg(calibration.durationMs)
                                      .arg(run.killedWriting ? QStringLiteral(" (writing)") : QString());
        if (run.killed) {
            ++outcome.killed;
            outcome.killedWriting += run.killedWriting ? 1 : 0;
        } else {
            ++outcome.finished;
        }
        if (run.formulaDbRemoved) {
            fail(folder, trialName + QStringLiteral(": formula.db was removed or replaced by another file"));
            continue;
        }
        if (!run.killed && run.exitCode != 0) {
            fail(folder, trialName + QStringLiteral(": the run ended with exit %1").arg(run.exitCode));
            continue;
        }
        const Result<DatabaseState> state =
            DatabaseState::read(QDir(folder).filePath(QStringLiteral("data")));
        if (!state) {
            fail(folder, trialName + QStringLiteral(": ") + state.error());
            continue;
        }
        // The rows are all before or all after. The statistics a verification writes back are
        // one transaction of their own: for the verification they are before or after; for the
        // other operations, rows as before come with statistics as before (nothing was written).
        const bool rowsBefore = state->rows == before->rows;
        const bool rowsAfter = state->rows == after->rows;
        bool whole = rowsBefore || rowsAfter;
        if (operation.writesStatistics)
            whole =
                whole && (state->statistics == before->statistics || state->statistics == after->statistics);
        else if (rowsBefore && !rowsAfter)
            whole = whole && state->statistics == before->statistics;
        if (!run.killed)
            whole = whole && *state == *after;
        if (!whole) {
            fail(folder,
                 trialName + QStringLiteral(": a part of the change was stored (%1; before %2; after %3)")
                                 .arg(state->counts, before->counts, after->counts));
            continue;
        }
        const bool isAfter = operation.writesStatistics ? state->statistics == after->statistics : rowsAfter;
        ++(isAfter ? outcome.after : outcome.before);
    }
    QDir(folder).removeRecursively();
    QDir(calibrationFolder).removeRecursively();
    return outcome;
}

} // namespace quorvel::crash
