#include "StartupBench.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240603;

// The data folder a user with a long history and a large library would start on: the formulas
// are keep formulas of position 1, the list the window shows and verifies at start-up.
bool fillDataFolder(const QString& folder)
{
    Result<std::unique_ptr<Database>> database = Database::open(folder);
    if (!database)
        return false;
    std::mt19937_64 random(kSeed);
    if (!(*database)->history().insert(oracle::randomHistory(kStartupDraws, random)))
        return false;

    CandidateGenerator generator(kSeed);
    GenerationSettings settings;
    std::vector<NewFormula> formulas;
    for (int i = 0; i < kStartupFormulas; ++i) {
        const Candidate candidate = generator.generate(settings);
        formulas.push_back({CandidateGenerator::code(candidate),
                            CandidateGenerator::displayText(candidate, settings), false, std::nullopt,
                            std::nullopt});
    }
    return (*database)->formulas().append(1, formulas) && (*database)->formulas().renumber(1);
}

} // namespace

std::optional<double> startupMilliseconds()
{
    QTemporaryDir folder;
    if (!folder.isValid() || !fillDataFolder(folder.path()))
        return std::nullopt;

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    const QString executable =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quorvel"));
    const QStringList arguments{
        QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--settings-file"),
        folder.filePath(QStringLiteral("settings.ini")), QStringLiteral("--quit-after-start")};
    QElapsedTimer timer;
    timer.start();
    program.start(executable, arguments);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit ||
        program.exitCode() != 0)
        return std::nullopt;
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace quorvel::bench
