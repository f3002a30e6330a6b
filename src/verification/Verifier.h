#pragma once

#include "core/DrawTable.h"
#include "core/FormulaRecord.h"
#include "formulas/CompiledFormula.h"

#include <optional>
#include <vector>

namespace quorvel {

// The verification settings: retrieval periods N (0 = all), flag B (the window excludes the
// current period) and flag W (draw weights j*j).
struct VerificationSettings
{
    int periods = 300;
    bool excludeCurrentPeriod = true;
    bool weighted = true;
};

// 0-based indexes of the first and last draw of the verification window; empty when first > last.
struct VerificationWindow
{
    int first = 0;
    int last = -1;
    bool isEmpty() const { return first > last; }
    int size() const { return isEmpty() ? 0 : last - first + 1; }
};

// N = 0: draws 2..R; otherwise the newest N (B on) or N + 1 (B off) draws, never draw 1.
VerificationWindow verificationWindow(int drawCount, int periods, bool excludeCurrentPeriod);

// What the verification pass finds for one formula.
struct FormulaVerdict
{
    bool evaluable = true; // false when the code does not compile
    RunStatistics statistics;
    int outcomes = 0;                 // window draws counted
    int hits = 0;                     // window draws it got right
    qint64 hitWeight = 0;             // sum of the weights of the window draws it got right
    qint64 totalWeight = 0;           // sum of the weights of all window draws
    std::optional<int> computedValue; // fold of the newest draw's value, for selected formulas
};

// Hit flags by draw: flag t says whether the value computed from draw t-1 was right for draw t
// (kill: its fold differs from the number drawn at the position; keep: equals it). Draw 0 and
// draws after an empty value are misses.
std::vector<char> hitFlags(const std::vector<double>& values, const DrawTable& table, int position,
                           bool kill);

// Runs of hits and misses (and weights) over the window of a hit-flag array.
FormulaVerdict countRuns(const std::vector<char>& hits, const VerificationWindow& window, bool weighted);

// The verification pass `Yansuan` for one position and kind over the in-memory history.
class Verifier
{
public:
    Verifier(const DrawTable& table, int position, bool kill, const VerificationSettings& settings);

    FormulaVerdict verify(const CompiledFormula& formula, bool withComputedValue) const;
    FormulaVerdict verify(const QString& code, bool withComputedValue) const;

    const VerificationWindow& window() const { return m_window; }

private:
    const DrawTable& m_table;
    int m_position;
    bool m_kill;
    VerificationSettings m_settings;
    VerificationWindow m_window;
    qint64 m_largestValue = 0;
};

} // namespace quorvel
