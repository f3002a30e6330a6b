#pragma once

#include "core/DrawTable.h"
#include "core/FormulaRecord.h"
#include "core/TermTable.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quorvel {

// A formula of a table `Gongshi1`..`Gongshi8` as the prediction reads it.
struct PredictionFormula
{
    int idx = 0;  // running number; a formula's list number is its rank in idx order among its kind
    QString code; // `gongshi`
    bool kill = false;
    std::optional<RunStatistics> statistics; // as stored; empty sorts below every number
    QString displayText;                     // `gongshiCN`
};

// The formula list's selection marks: one set of list numbers that every table is read through.
struct ListSelection
{
    std::vector<char> marks;     // marks[k - 1] is the mark of list number k
    bool selectedBeyond = false; // the mark of list numbers past the end of `marks`

    bool isSelected(int listNumber) const
    {
        if (listNumber < 1)
            return false;
        return std::size_t(listNumber) <= marks.size() ? marks[std::size_t(listNumber - 1)] != 0
                                                       : selectedBeyond;
    }
    // Every list number selected except those named.
    static ListSelection allExcept(const std::vector<int>& unselected);
};

enum class PredictionMethod
{
    SelectedFormulas, // "计算选中公式": every selected formula counts
    BestFormulas      // "最优公式法": formulas in sort-key order until the quota is reached
};

// A sort key of the best-formula method with its fixed direction.
enum class SortKey
{
    MaxMisses,  // "最大连错", `intGsErrCon`, ascending
    MaxHits,    // "最大连对", `intGsTrueCon`, ascending
    LastMisses, // "最后连错", `intGsErrLst`, descending
};

QString sortKeyColumn(SortKey key);
bool sortKeyDescending(SortKey key);

struct PredictionParams
{
    PredictionMethod method = PredictionMethod::SelectedFormulas;
    bool kill = false;     // the current kind; only formulas of this kind are read
    int shownPosition = 1; // p*: positions 1..p* are counted
    std::array<std::vector<PredictionFormula>, kPositionCount> tables; // both kinds, any order
    ListSelection selection;
    // Best-formula method only: the quota Q and the three sort keys (the initial choice).
    int quota = 3;
    std::array<SortKey, 3> keys{SortKey::LastMisses, SortKey::MaxMisses, SortKey::MaxHits};
};

// Count arrays of one position, indexed by number 1..20 (element 0 unused).
struct PositionCounts
{
    std::array<int, kHighestNumber + 1> total{}; // T, `ETrrcount`
    std::array<int, kHighestNumber + 1> kill{};  // K, `Errcount`
    std::array<int, kHighestNumber + 1> keep{};  // P, `Trrcount`
    bool operator==(const PositionCounts&) const = default;
};

// A formula that added to a count of the selected-formula method, with its computed number.
struct UsedFormula
{
    int position = 0;
    QString code;
    QString displayText;
    bool kill = false;
    int number = 0;
};

struct PredictionResult
{
    std::vector<PositionCounts> positions; // element q - 1 holds position q, for q = 1..p*
    bool kill = false;                     // the counted formulas are kill formulas
    int quota = 1;                         // handed to the ranking: 1, or Q for the best-formula method
    int usedFormulas = 0;                  // selected-formula method: formulas that added to a count
    std::vector<UsedFormula> used;         // those formulas, in position then list order
    int visitedAtLastPosition = 0;         // best-formula method: formulas taken at position p*
};

// The best-formula method's walk over positions 1, 2, ...: at each position formulas are taken in
// sort order until the quota is met (kill: until at most Q numbers are neither claimed here nor
// taken; keep: until Q numbers are claimed that no earlier position took). What a position leaves
// is taken from the later ones.
class BestFormulaWalk
{
public:
    BestFormulaWalk(bool kill, int quota);

    // Whether the position in hand takes another formula.
    bool wantsMore() const { return m_covered < m_limit; }
    // A selected formula with its computed number; a number outside 1..20 claims nothing, but
    // the covered count is recounted all the same.
    void take(std::optional<int> number);
    // Ends the position: its counts, and the numbers it leaves to no later position.
    PositionCounts endPosition();

private:
    bool m_kill;
    int m_limit;
    int m_covered = 0;
    PositionCounts m_counts;
    std::array<bool, kHighestNumber + 1> m_claimed{}; // by a formula of the position in hand
    std::array<bool, kHighestNumber + 1> m_taken{};   // by an earlier position
};

// The prediction for the coming draw: for positions 1..p* and numbers 1..20, how many formulas
// of the current kind point at each number with their computed value. Formulas are evaluated on
// the in-memory history, only on its newest draw.
class Prediction
{
public:
    explicit Prediction(const DrawTable& table) : m_table(table) {}

    PredictionResult run(const PredictionParams& params) const;

    // The number a code claims for the coming draw: the newest draw's value folded. Empty when the
    // code does not evaluate, the history is empty or the value is empty (division by zero).
    std::optional<int> computedNumber(const QString& code) const;

    // The quota typed into `Text1`: a whole number from 1 to the 20 numbers a page can pick;
    // empty for anything else (text, a fraction, 0, 21), which is refused, not read as some quota.
    static constexpr int kLargestQuota = 20;
    static std::optional<int> quotaFromText(const QString& text);

private:
    PositionCounts countSelected(int position, const std::vector<PredictionFormula>& formulas, bool kill,
                                 const ListSelection& selection, std::vector<UsedFormula>& used) const;

    const DrawTable& m_table;
};

// Formulas of a kind in list order (stable by idx): element k - 1 has list number k.
std::vector<const PredictionFormula*> formulasInListOrder(const std::vector<PredictionFormula>& table,
                                                          bool kill);

} // namespace quorvel
