#include "ProgramBench.h"

#include "ProcessFloor.h"

#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/IssueNumber.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"
#include "verification/TrendFigures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240603;
constexpr int kRuns = 3;
// A figure beside its floor takes more runs: on a loaded machine one slow run of either side
// would move the ratio.
constexpr int kRunsBesideFloor = 5;

QString programPath(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(name));
}

// The draws and keep formulas of position 1 (the list the window shows and verifies at start-up).
bool fillDataFolder(const QString& folder, int drawCount, int formulaCount)
{
    Result<std::unique_ptr<Database>> database = Database::open(folder);
    if (!database)
        return false;
    std::mt19937_64 random(kSeed);
    if (!(*database)->history().insert(oracle::randomHistory(drawCount, random)))
        return false;
    CandidateGenerator generator(kSeed);
    GenerationSettings settings;
    std::vector<NewFormula> formulas;
    for (int i = 0; i < formulaCount; ++i) {
        const Candidate candidate = generator.generate(settings);
        formulas.push_back({CandidateGenerator::code(candidate),
                            CandidateGenerator::displayText(candidate, settings), false, std::nullopt,
                            std::nullopt});
    }
    return (*database)->formulas().append(1, formulas) && (*database)->formulas().renumber(1);
}

// Runs a program to its end; false (with its error output) when it fails.
bool runProgram(const char* program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(programPath(program), arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "bench: %s failed: %s\n", program, process.readAllStandardError().constData());
        return false;
    }
    return true;
}

std::optional<double> millisecondsOf(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work())
        return std::nullopt;
    return double(timer.nsecsElapsed()) / 1e6;
}

// Best wall time of kRuns runs; each run may first reset what it changes (not timed).
std::optional<double> bestMilliseconds(const std::function<bool()>& work,
                                       const std::function<bool()>& beforeEachRun = {})
{
    std::optional<double> best;
    for (int run = 0; run < kRuns; ++run) {
        if (beforeEachRun && !beforeEachRun())
            return std::nullopt;
        const std::optional<double> ms = millisecondsOf(work);
        if (!ms)
            return std::nullopt;
        best = best ? std::min(*best, *ms) : *ms;
    }
    return best;
}

std::optional<double> bestMilliseconds(const char* program, const QStringList& arguments,
                                       const std::function<bool()>& beforeEachRun = {})
{
    return bestMilliseconds([program, &arguments] { return runProgram(program, arguments); }, beforeEachRun);
}

// A process figure and its floor, best of kRunsBesideFloor each, their runs taken in turns so that the
// machine's load of the moment weighs on both alike.
struct BesideFloor
{
    std::optional<double> ms;
    std::optional<double> floorMs;
};

BesideFloor bestBesideFloor(const std::function<bool()>& program, const std::function<bool()>& floor,
                            const std::function<bool()>& beforeEachRun = {})
{
    BesideFloor best;
    const auto keepBest = [](std::optional<double>& best, const std::optional<double>& ms) {
        best = best && ms ? std::min(*best, *ms) : ms;
    };
    for (int run = 0; run < kRunsBesideFloor; ++run) {
        if (beforeEachRun && !beforeEachRun())
            return {};
        keepBest(best.ms, millisecondsOf(program));
        if (beforeEachRun && !beforeEachRun())
            return {};
        keepBest(best.floorMs, millisecondsOf(floor));
        if (!best.ms || !best.floorMs)
            return {};
    }
    return best;
}

QStringList folderArguments(const QTemporaryDir& folder)
{
    return {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--settings-file"),
            folder.filePath(QStringLiteral("settings.ini"))};
}

void print(const char* label, const std::optional<double>& ms)
{
    if (ms)
        std::printf("%s ms=%.0f\n", label, *ms);
    else
        std::printf("%s ms=failed\n", label);
}

void print(const char* label, const BesideFloor& figures)
{
    if (figures.ms && figures.floorMs)
        std::printf("%s ms=%.0f floor_ms=%.0f ratio=%.2f\n", label, *figures.ms, *figures.floorMs,
                    *figures.ms / *figures.floorMs);
    else
        std::printf("%s ms=failed\n", label);
}

void printStartup(int drawCount, int formulaCount)
{
    QTemporaryDir folder;
    char label[96];
    std::snprintf(label, sizeof label, "startup: draws=%d formulas=%d", drawCount, formulaCount);
    if (!fillDataFolder(folder.path(), drawCount, formulaCount))
        return print(label, BesideFloor{});
    const QStringList arguments = folderArguments(folder) << QStringLiteral("--quit-after-start");
    // The first start stores the statistics of the new formulas; the starts timed find them stored,
    // as a user's every start after a change does.
    if (!runProgram("quorvel", arguments))
        return print(label, BesideFloor{});
    const ProcessFloor floor(folder.path());
    print(label, bestBesideFloor([&arguments] { return runProgram("quorvel", arguments); },
                                 [&floor] { return floor.readTables(); }));
}

void printVerifyCli()
{
    QTemporaryDir folder;
    const char* label = "verify-cli: draws=1000 formulas=50000";
    if (!fillDataFolder(folder.path(), 1000, 50000))
        return print(label, BesideFloor{});
    const QStringList arguments = folderArguments(folder) << QStringLiteral("verify");
    const ProcessFloor floor(folder.path());
    // Every run finds no statistics stored, so it writes every row, and the floor writes the rows
    // the verification wrote, with the same values.
    if (!floor.clearStatistics() || !runProgram("quorvel-cli", arguments))
        return print(label, BesideFloor{});
    std::optional<std::vector<StoredStatistics>> written = floor.storedStatistics();
    if (!written)
        return print(label, BesideFloor{});
    std::erase_if(*written, [](const StoredStatistics& row) {
        return std::none_of(row.values.begin(), row.values.end(), [](const auto& value) { return value.has_value(); });
    });
    print(label, bestBesideFloor([&arguments] { return runProgram("quorvel-cli", arguments); },
                                 [&floor, &written] { return floor.readAndWriteStatistics(*written); },
                                 [&floor] { return floor.clearStatistics(); }));
}

void printAdd()
{
    constexpr int kTexts = 1600;
    QTemporaryDir folder;
    const char* label = "add: formulas=1600";
    if (!fillDataFolder(folder.path(), 1000, 0))
        return print(label, std::nullopt);
    CandidateGenerator generator(kSeed + 1);
    GenerationSettings settings;
    QStringList arguments = folderArguments(folder) << QStringLiteral("formulas") << QStringLiteral("add");
    for (int i = 0; i < kTexts; ++i)
        arguments << CandidateGenerator::displayText(generator.generate(settings), settings);
    // Every run adds to an empty library.
    const auto emptyLibrary = [&folder] {
        Result<std::unique_ptr<Database>> database = Database::open(folder.path());
        return database && (*database)->formulas().deleteAll(1);
    };
    print(label, bestMilliseconds("quorvel-cli", arguments, emptyLibrary));
}

void printImportDay()
{
    constexpr int kHistory = 100000;
    QTemporaryDir folder;
    const char* label = "import-day: history=100000";
    if (!fillDataFolder(folder.path(), kHistory, 0))
        return print(label, std::nullopt);
    // The day after the newest stored draw, 84 draws.
    qint32 newest = 0;
    {
        Result<std::unique_ptr<Database>> database = Database::open(folder.path());
        if (!database)
            return print(label, std::nullopt);
        newest = (*(*database)->history().newest())->issue;
    }
    const QDate day = IssueNumber::date(newest).addDays(1);
    QFile file(folder.filePath(QStringLiteral("day.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return print(label, std::nullopt);
    std::mt19937_64 random(kSeed + 2);
    for (int sequence = 1; sequence <= 84; ++sequence) {
        std::vector<int> pool(20);
        std::iota(pool.begin(), pool.end(), 1);
        std::shuffle(pool.begin(), pool.end(), random);
        QString line = QString::number(IssueNumber::make(day, sequence));
        for (int p = 0; p < 8; ++p)
            line += QLatin1Char(' ') + QString::number(pool[std::size_t(p)]);
        file.write(line.toUtf8() + '\n');
    }
    file.close();
    const auto withoutTheDay = [&folder, newest] {
        Result<std::unique_ptr<Database>> database = Database::open(folder.path());
        return database && (*database)->history().deleteAfter(newest);
    };
    print(label,
          bestMilliseconds("quorvel-cli",
                           // The synthetic history runs past the real date: the imported day is today.
                           folderArguments(folder)
                               << QStringLiteral("--today") << day.toString(QStringLiteral("yyyy-MM-dd"))
                               << QStringLiteral("history") << QStringLiteral("import") << file.fileName()
                               << QStringLiteral("--per-day") << QStringLiteral("84"),
                           withoutTheDay));
}

} // namespace

void printTrendFigures()
{
    constexpr int kDraws = 100000;
    QTemporaryDir folder;
    const char* label = "trend: draws=100000";
    Result<DrawTable> history = Failure{QStringLiteral("not filled")};
    if (fillDataFolder(folder.path(), kDraws, 50000)) {
        if (Result<std::unique_ptr<Database>> database = Database::open(folder.path()))
            history = (*database)->history().readAll();
    }
    const QStringList arguments = folderArguments(folder) << QStringLiteral("--quit-after-start");
    if (!history || !runProgram("quorvel", arguments)) {
        std::printf("%s ms=failed\n", label);
        return;
    }
    // Every scope's chart of the whole history, with the tables the window shows beside them.
    const std::optional<double> trendMs = bestMilliseconds(
        [&history] {
            std::size_t cells = 0;
            for (int position = 0; position <= kPositionCount; ++position) {
                const TrendScope scope{position};
                const TrendChart chart(*history, scope, TrendRange::newest(history->drawCount(), 0));
                cells += std::size_t(chart.rowCount()) + hotCold(*history, scope).size();
            }
            cells += twoSidedStreaks(*history, TrendRange::newest(history->drawCount(), 0)).size();
            return cells > 0;
        });
    const std::optional<double> startupMs = bestMilliseconds("quorvel", arguments);
    if (!trendMs || !startupMs) {
        std::printf("%s ms=failed\n", label);
        return;
    }
    std::printf("%s ms=%.0f startup_ms=%.0f\n", label, *trendMs, *startupMs);
}

void printProgramFigures()
{
    printStartup(10000, 5000);
    printStartup(100000, 50000);
    printVerifyCli();
    printAdd();
    printImportDay();
}

} // namespace quorvel::bench
