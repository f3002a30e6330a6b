#include "UndoBench.h"

#include "core/BackupStore.h"
#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace quorvel::bench {

namespace {

constexpr int kUndoDraws = 100000;
constexpr int kUndoFormulas = 50000;
constexpr quint64 kSeed = 20261209;

bool fill(Database& database)
{
    std::mt19937_64 random(kSeed);
    if (!database.history().insert(oracle::randomHistory(kUndoDraws, random)))
        return false;
    CandidateGenerator generator(kSeed);
    GenerationSettings settings;
    const int perPosition = kUndoFormulas / kPositionCount;
    for (int position = 1; position <= kPositionCount; ++position) {
        std::vector<NewFormula> formulas;
        for (int i = 0; i < perPosition; ++i) {
            const Candidate candidate = generator.generate(settings);
            formulas.push_back({CandidateGenerator::code(candidate),
                                CandidateGenerator::displayText(candidate, settings), i % 2 == 0,
                                std::nullopt, std::nullopt});
        }
        if (!database.formulas().append(position, formulas) || !database.formulas().renumber(position))
            return false;
    }
    return true;
}

} // namespace

void printUndoFigures()
{
    QTemporaryDir folder;
    Result<std::unique_ptr<Database>> database = Database::open(folder.path());
    if (!database || !fill(**database)) {
        std::printf("undo: draws=%d formulas=%d keep_ms=failed op_ms=failed\n", kUndoDraws, kUndoFormulas);
        return;
    }
    BackupStore store((*database)->filePath());
    KeptParts parts;
    parts.history = true;
    parts.formulas = true;
    QElapsedTimer timer;
    timer.start();
    const Result<qint64> kept =
        store.keep(QStringLiteral("删除最后指定数量期历史(E)"), parts, QDateTime::currentDateTime());
    const qint64 keepMs = timer.elapsed();
    timer.restart();
    const Result<int> deleted = (*database)->history().deleteNewest(100);
    const qint64 opMs = timer.elapsed();
    if (!kept || !deleted) {
        std::fprintf(stderr, "undo: %s\n", qPrintable(kept ? deleted.error() : kept.error()));
        std::printf("undo: draws=%d formulas=%d keep_ms=failed op_ms=failed\n", kUndoDraws, kUndoFormulas);
        return;
    }
    std::printf("undo: draws=%d formulas=%d keep_ms=%lld op_ms=%lld\n", kUndoDraws, kUndoFormulas,
                qint64(keepMs), qint64(opMs));
}

} // namespace quorvel::bench
