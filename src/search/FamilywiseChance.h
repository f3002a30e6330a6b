#pragma once

#include "core/DrawTable.h"
#include "search/CandidateGenerator.h"
#include "search/FoundFormula.h"
#include "search/FullScanScorer.h"
#include "search/SearchRun.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// The chance score of records over one window: the smaller of the chance of as many hits and the
// chance of as long a hit run, as the list's "随机概率" gives them. Each figure is worked out when
// first needed and kept, so millions of records cost a look-up each. Threads may share one (two
// threads may both work out a figure the first time; they get the same value).
class ChanceScores
{
public:
    ChanceScores(int outcomes, bool kill);
    double of(const FullScore& score) const;

private:
    using Figures = std::unique_ptr<std::atomic<double>[]>;
    double figureOnce(const Figures& figures, int value, bool ofRuns) const;

    int m_outcomes;
    bool m_kill;
    Figures m_hitsChance;   // by hits; NaN until worked out
    Figures m_maxHitChance; // by longest hit run
};

// The chance scores of formulas on one history over one window, the way the family-wise chance
// compares them: each formula's "随机概率". Not thread-safe (it keeps work space).
class ChanceScorer
{
public:
    ChanceScorer(const DrawTable& history, int periods, bool excludeCurrentPeriod);
    double score(const CompiledFormula& formula, int position, bool kill);

private:
    FullScanScorer m_scorer;
    ChanceScores m_keep;
    ChanceScores m_kill;
    FullScanScorer::Words m_words;
    ScoreBuffers m_buffers;
};

// What the family-wise chance of a search's formulas is measured against: its candidates, and how
// many shuffled histories they are tried on.
struct FamilywiseParameters
{
    std::shared_ptr<const DrawTable> history;
    GenerationSettings generation;
    int periods = 300;                 // window N (0 = all draws)
    bool excludeCurrentPeriod = false; // the main window's flag B: N outcomes instead of N + 1
    quint64 seed = 0;                  // the run's seed: candidates and shuffles both come from it
    quint64 firstCandidate = 0;        // the run's first candidate
    quint64 candidates = 0;            // C
    int shuffles = 20;                 // K
    int threads = 0;                   // 0: one per core
};

// BEST_s for shuffles s = 1..K: on the history with its whole draws shuffled, the smallest chance
// score among the C candidates. A formula found among C candidates is as remarkable as the share of
// shuffled histories whose best chance formula does no better.
struct FamilywiseNull
{
    std::vector<double> best;

    // P_FW of a score: (1 + the number of s with BEST_s <= score) / (K + 1).
    double chanceOf(double score) const;
    double minimum() const;
    double median() const; // of an even count, the mean of the middle two
    double maximum() const;
};

// The max-statistic permutation test of a search's formulas (Westfall and Young; White's reality
// check), which knows how many candidates were tried to find them.
namespace FamilywiseChance {

// The seed of shuffle s of a run with `seed`: each shuffle its own order, the run's own luck
// baseline (shuffled with the seed itself) none of them.
quint64 shuffleSeed(quint64 seed, int shuffle);

// The test of a search run that tried `tried` candidates from its first, drawn with `generation`
// (the settings in force when it ended), on `shuffles` shuffled histories, over the window of N
// periods with or without the current one, as the main window verifies.
FamilywiseParameters parametersFor(const SearchParameters& run, quint64 tried,
                                   const GenerationSettings& generation, int shuffles,
                                   bool excludeCurrentPeriod);

// Works out BEST_s for every shuffle, on `threads` threads; the same parameters give the same
// values at any thread count. `progress(done, total)` is called now and then with candidates
// scored; it returns false to stop, and then nothing is returned.
using Progress = std::function<bool(quint64 done, quint64 total)>;
std::optional<FamilywiseNull> nullOf(const FamilywiseParameters& parameters, const Progress& progress = {});

// The chance score of each formula over the window of `parameters` on its history (unshuffled),
// each for its own position and kind; a code that does not compile scores 1.
std::vector<double> scoresOf(const std::vector<FoundFormula>& formulas,
                             const FamilywiseParameters& parameters);

} // namespace FamilywiseChance
} // namespace quorvel
