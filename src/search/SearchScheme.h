#pragma once

#include "core/TermTable.h"
#include "search/SearchEngine.h"
#include "search/SearchRun.h"

#include <QObject>

#include <array>
#include <optional>
#include <vector>

namespace quorvel {

// How the scheme reads its per-position targets: the number of formulas to find ("公式新增数量")
// or the number the position's table should hold afterwards ("公式保有数量").
enum class SchemeCountMode
{
    Hold,
    New
};

// What the scheme stores by itself when it has been through position 8
// (`chkAutApd(0)` "搜索完毕公式自动追加到数据库", `chkAutApd(1)` "搜索完毕公式自动更新到数据库").
enum class SchemeAutoStore
{
    None,
    Append,
    Replace
};

// The targets of the scheme `Text5(1..8)` and the counts they are read against.
struct SchemePlan
{
    // Per position 1..8 (index 0..7): the target typed, empty when the box holds no number.
    std::array<std::optional<int>, kPositionCount> targets{};
    // The window starts in the mode it shows selected.
    SchemeCountMode mode = SchemeCountMode::New;
    // `ModelDsip`: formulas each table holds when the scheme starts; 0 where the target is empty.
    std::array<int, kPositionCount> existingCounts{};

    // Formulas to find for a position; empty when it is skipped: no number, nothing to find (a
    // target of 0 or below in the new mode), or in the hold mode a table that already holds it.
    std::optional<int> targetOf(int position) const;

    // `ModelDsip` from the rows every table holds.
    static std::array<int, kPositionCount>
    existingCountsFor(const std::array<std::optional<int>, kPositionCount>& targets,
                      const std::array<int, kPositionCount>& tableCounts);

    // The total formulas after the scheme (`Label6`): the total the tables held when the window
    // opened plus, per position, the target (new mode) or what the target exceeds the table's
    // count by (hold mode); an empty target counts 0.
    static int plannedTotal(const std::array<std::optional<int>, kPositionCount>& targets,
                            const std::array<int, kPositionCount>& tableCounts, SchemeCountMode mode,
                            int existingTotal);
};

// What the scheme is asked to do.
struct SchemeParameters
{
    std::shared_ptr<const DrawTable> history;
    SchemePlan plan;
    bool kill = false;
    // CategoryBounds of (position, kind) and the operand count of every position.
    std::array<AcceptanceBounds, kPositionCount> bounds{};
    std::array<int, kPositionCount> operandCounts{8, 8, 8, 8, 8, 8, 8, 8};
    std::optional<int> constant; // the specified end constant; empty: random
    FormulaText::Shape shape = FormulaText::Shape::Prefix;
    int periods = 300;
    quint64 seed = 0;
    int threads = 0;
    SchemeAutoStore autoStore = SchemeAutoStore::None;
    std::shared_ptr<const StoredCodes> stored; // what found formulas must not say again (null: none)

    // The search of one position (its seed is derived from the scheme's seed and the position).
    SearchParameters searchFor(int position, int target, int foundListRoom) const;
};

struct SchemePositionResult
{
    bool skipped = true;
    int target = 0;
    int found = 0;
    quint64 tried = 0;
};

struct SchemeOutcome
{
    // Through position 8: the scheme position is 9.
    bool completed = false;
    // Why it ended before position 8 was done (FoundListFull, Stopped, Canceled).
    SearchStopReason reason = SearchStopReason::Stopped;
    quint64 tried = 0;
    int repeats = 0; // over all its positions
    std::array<SchemePositionResult, kPositionCount> positions{};
    // What the caller stores now: the configured store when the scheme completed, else nothing.
    SchemeAutoStore store = SchemeAutoStore::None;
    // The found formulas in order (filled by runToEnd; the window collects them from the signals).
    std::vector<FoundFormula> found;
};

// The automatic scheme (`Command5` "确定搜索方案开始搜索"): positions 1 to 8 in turn, each searched
// until its target is met or skipped, over SearchEngine runs on worker threads. Signals arrive on
// the thread that owns it: a position's start (its label turns red) and end (blue), found
// formulas in order, progress, and the end of the scheme with the store to run.
class SearchScheme : public QObject
{
    Q_OBJECT

public:
    explicit SearchScheme(QObject* parent = nullptr);
    ~SearchScheme() override;

    // Starts at position 1 with an empty found list; false while a scheme runs.
    bool start(const SchemeParameters& parameters);
    bool isActive() const { return m_active; }
    bool isPaused() const { return m_active && m_paused; }
    // 1..8 while it runs, 9 once it has been through position 8.
    int currentPosition() const { return m_position; }

    void pause();  // `Command7` "暂停"
    void resume(); // `Command6` "继续"
    void stop();   // ends the scheme; what was found stays, nothing is stored
    // Display form and end constant, from the next candidates on.
    void setFormOptions(const std::optional<int>& constant, FormulaText::Shape shape);

    // Blocking, for the command line and tests: runs every position and returns the outcome.
    static SchemeOutcome runToEnd(const SchemeParameters& parameters);

Q_SIGNALS:
    void positionStarted(int position, int target);
    void positionDone(int position, bool skipped);
    void formulasFound(const quorvel::FoundBatch& formulas);
    // Tried and repeats count all positions so far; found is the current position's found counter.
    void progressChanged(const quorvel::SearchProgress& progress);
    void finished(const quorvel::SchemeOutcome& outcome);

private:
    void advance();
    void positionFinished(const SearchOutcome& outcome);
    void end(bool completed, SearchStopReason reason);

    SearchEngine m_engine;
    SchemeParameters m_parameters;
    SchemeOutcome m_outcome;
    int m_position = 9;
    int m_found = 0;
    bool m_active = false;
    bool m_paused = false;
    bool m_stopRequested = false;
};

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::SchemeOutcome)
