#include "ProgramBench.h"

#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/IssueNumber.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240603;
constexpr int kRuns = 3;

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

// Best wall time of kRuns runs of a program; each run may first reset what it changes.
std::optional<double> bestMilliseconds(const char* program, const QStringList& arguments,
                                       const std::function<bool()>& beforeEachRun = {})
{
    std::optional<double> best;
    for (int run = 0; run < kRuns; ++run) {
        if (beforeEachRun && !beforeEachRun())
            return std::nullopt;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(programPath(program), arguments);
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            std::fprintf(stderr, "bench: %s failed: %s\n", program,
                         process.readAllStandardError().constData());
            return std::nullopt;
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        best = best ? std::min(*best, ms) : ms;
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

void printStartup(int drawCount, int formulaCount)
{
    QTemporaryDir folder;
    char label[96];
    std::snprintf(label, sizeof label, "startup: draws=%d formulas=%d", drawCount, formulaCount);
    if (!fillDataFolder(folder.path(), drawCount, formulaCount))
        return print(label, std::nullopt);
    print(label,
          bestMilliseconds("quorvel", folderArguments(folder) << QStringLiteral("--quit-after-start")));
}

void printVerifyCli()
{
    QTemporaryDir folder;
    const char* label = "verify-cli: draws=1000 formulas=50000";
    if (!fillDataFolder(folder.path(), 1000, 50000))
        return print(label, std::nullopt);
    print(label, bestMilliseconds("quorvel-cli", folderArguments(folder) << QStringLiteral("verify")));
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

void printProgramFigures()
{
    printStartup(10000, 5000);
    printStartup(100000, 50000);
    printVerifyCli();
    printAdd();
    printImportDay();
}

} // namespace quorvel::bench
