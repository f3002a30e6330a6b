#include "search/SearchScoring.h"

#include "formulas/CompiledFormula.h"
#include "search/CandidateScorer.h"

namespace quorvel {

std::vector<Result<ScoredCode>> SearchScoring::scoreCodes(const DrawTable& table, const QStringList& codes,
                                                          int position, bool kill, int periods,
                                                          const AcceptanceBounds& bounds)
{
    const CandidateScorer scorer(table, periods);
    ScoreBuffers buffers;
    std::vector<Result<ScoredCode>> results;
    results.reserve(std::size_t(codes.size()));
    for (const QString& code : codes) {
        Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        if (!compiled) {
            results.push_back(Failure{compiled.error()});
            continue;
        }
        const RunStatistics statistics = scorer.score(*compiled, position, kill, buffers).statistics();
        results.push_back(ScoredCode{code, statistics, bounds.accepts(statistics)});
    }
    return results;
}

} // namespace quorvel
