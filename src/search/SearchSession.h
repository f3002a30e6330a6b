#pragma once

#include "core/Job.h"
#include "search/FamilywiseChance.h"
#include "search/FamilywiseCounter.h"
#include "search/FoundList.h"
#include "search/LuckCounter.h"
#include "search/ParameterTuning.h"
#include "search/SearchEngine.h"
#include "search/SearchScheme.h"
#include "search/SearchSettings.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

class Settings;

// A single search as the window's controls or the companion's options ask for it.
struct SingleSearchRequest
{
    GenerationSettings generation;
    AcceptanceBounds bounds;
    std::optional<quint64> seed;           // typed; empty: one from the clock
    std::optional<int> foundTarget;        // stop once the found list holds this many
    std::optional<quint64> candidateLimit; // stop after this many candidates
    int threads = 0;                       // 0: one per core
    // The formulas the tables hold now: a found formula must not say what one of them says.
    std::shared_ptr<const StoredCodes> stored;
};

// The automatic scheme as asked for; the bounds and operand counts of every position are those of
// the search settings.
struct SchemeRequest
{
    std::array<std::optional<int>, kPositionCount> targets{};
    SchemeCountMode mode = SchemeCountMode::New;
    std::array<int, kPositionCount> tableCounts{}; // formulas each position's table holds now
    bool kill = false;
    std::optional<int> constant = 0; // empty: random
    FormulaText::Shape shape = FormulaText::Shape::Prefix;
    std::optional<quint64> seed;
    SchemeAutoStore autoStore = SchemeAutoStore::None;
    // As for the single search; a scheme that replaces the tables' formulas of its kind ignores them.
    std::shared_ptr<const StoredCodes> stored;
};

// The tuning of one category, or of positions 1..8 of its kind with each position's operand count.
struct TuningRequest
{
    GenerationSettings generation;
    int samples = 20;
    std::optional<quint64> seed; // empty: one from the clock
};

// The search of one user, shared by the search window and the companion's search, scheme and tune
// commands: it builds every run's parameters from the settings and what was asked, runs the single
// search, the scheme, the tuning and the luck count, keeps the found list and the seed a continued
// search goes on from, and counts what the window shows. One run at a time; the window starts runs
// that report through the signals, the companion the blocking forms.
class SearchSession : public QObject
{
    Q_OBJECT

public:
    // The shuffled histories the family-wise chance of a single search's formulas is read from.
    static constexpr int kFamilywiseShuffles = 20;

    // Where the history of the next run comes from: the snapshot in force when it starts.
    using HistorySource = std::function<std::shared_ptr<const DrawTable>()>;

    SearchSession(Settings& settings, HistorySource history, QObject* parent = nullptr);
    ~SearchSession() override; // cancels what runs and waits for its threads

    SearchSettings& settings() { return m_settings; }
    const SearchSettings& settings() const { return m_settings; }
    const FoundList& foundList() const { return m_found; }
    // Whether the found list comes from the scheme (its store path differs from the single search's).
    bool foundByScheme() const { return m_schemeFlag; }
    void clearFound();

    // The verification window N every run scores over: the main window's retrieval periods
    // (0 = all draws), unless set for this session.
    int periods() const;
    void setPeriods(int periods) { m_periods = periods; }
    // The main window's retrieval periods N as stored.
    static int storedPeriods(const Settings& settings);
    // The seed of the last run started.
    quint64 lastSeed() const { return m_lastSeed; }

    // The parameters of the runs, built in this one place for both sides. A search's or a scheme's
    // seed is the one asked for or one from the clock, and becomes lastSeed().
    SearchParameters searchParameters(const SingleSearchRequest& request);
    SchemeParameters schemeParameters(const SchemeRequest& request);
    TuningParameters tuningParameters(const TuningRequest& request);

    // ---- blocking, for the companion ----
    // Runs a single search to its end; the found formulas are added to the found list.
    SearchOutcome runSearch(const SingleSearchRequest& request);
    // How many of the last single search's candidates luck alone accepts on the shuffled history.
    int runLuckCount(quint64 tried) const;
    // The family-wise test of the last single search's first `tried` candidates, over the window
    // the main window verifies (the stored flag B).
    FamilywiseParameters familywiseParameters(quint64 tried, int shuffles) const;
    SchemeOutcome runScheme(const SchemeRequest& request);
    TuningResult runTuning(const TuningRequest& request);

    // ---- on worker threads, for the window ----
    // Starts a single search; the refusal's text when it does not start.
    std::optional<QString> startSearch(const SingleSearchRequest& request);
    // Ends the single search after the candidates in hand; everything it found is delivered.
    void stopSearch();
    // The found-list total that stops a running single search (empty: none).
    void setAutoStop(std::optional<int> target);
    // The generation settings the controls show now; a running search or scheme takes them up.
    void setLiveSettings(const GenerationSettings& settings);

    // Why the scheme of a kind cannot start (a category's bounds no formula can meet); empty when
    // it can.
    std::optional<QString> schemeRefusal(bool kill) const;
    bool startScheme(const SchemeRequest& request);
    void pauseScheme();
    void resumeScheme();

    // Starts the tuning of one category or, with `all`, of every position; the refusal's text when
    // it cannot start. Tuning all positions saves each position's bounds as it finishes it.
    std::optional<QString> startTuning(const TuningRequest& request, bool all);
    void cancelTuning();

    // Stops every run (the window closes); what was found stays.
    void stopAll();

    bool isSearching() const { return m_engine.isActive(); }
    bool isSchemeRunning() const { return m_scheme.isActive(); }
    bool isSchemePaused() const { return m_scheme.isPaused(); }
    bool isTuning() const { return m_tuning.isRunning(); }
    bool isRunning() const { return isSearching() || isSchemeRunning() || isTuning(); }

Q_SIGNALS:
    // A run started or ended, or the scheme paused or went on.
    void stateChanged();
    // Formulas added to the found list.
    void foundAdded(const quorvel::FoundBatch& formulas);
    // The counters as the window shows them: candidates tried (`Text3`) and formulas found
    // (`Text4`: the found list for the single search, the current position's for the scheme).
    void triedChanged(quint64 tried);
    void foundCountChanged(int found);
    // Accepted candidates the run did not take because they say what another says (the scheme's
    // total over its positions so far).
    void repeatsChanged(int repeats);
    // A recent candidate with its full statistics.
    void candidateShown(const quorvel::FoundFormula& formula);
    // The luck line of the last single search (`lblLuck`); empty while there is none.
    void luckChanged(const QString& text);
    // The family-wise chance of each formula the last single search found, in found order.
    void familywiseReady(const std::vector<double>& chances);
    // A run ended by itself for a reason the user should see.
    void searchNotice(const QString& message);
    // The scheme moved to a position (target 0: skipped), finished one, and got through position 8.
    void schemePositionStarted(int position, int target, const quorvel::AcceptanceBounds& bounds);
    void schemePositionDone(int position);
    void schemeCompleted();
    // The tuning's progress over all its samples, a category's result, and its end.
    void tuningProgressed(int samplesTaken);
    void tuningResultReady(const quorvel::TuningResult& result);
    void tuningFinished(bool outOfMemory);

private:
    quint64 seedOf(const std::optional<quint64>& typed);
    void addFound(const FoundBatch& formulas);
    void applyAutoStop();
    void showProgress(const SearchProgress& progress);
    void showTried(quint64 tried);
    void searchFinished(const SearchOutcome& outcome);
    void schemeFinished(const SchemeOutcome& outcome);
    void tuningProgressChanged(int value);
    void tuningResultsReady(int begin, int end);
    void tuningEnded();
    void showLuck(const QString& count);
    void startFamilywise();
    void cancelLuck();

    SearchSettings m_settings;
    Settings& m_store;
    HistorySource m_history;
    std::optional<int> m_periods;
    quint64 m_lastSeed = 0;

    FoundList m_found;
    bool m_schemeFlag = false;
    quint64 m_tried = 0;     // `Text3`
    quint64 m_triedBase = 0; // the tried counter when the scheme started (it is not reset)
    std::optional<int> m_autoStop;
    GenerationSettings m_liveGeneration;

    SearchEngine m_engine;
    SearchScheme m_scheme;
    SchemeParameters m_schemeParameters;
    // The single search's seed and the candidate its next start continues from, so that a search
    // paused and started again with the same seed tries new candidates.
    std::optional<quint64> m_singleSeed;
    quint64 m_singleFirst = 0;
    quint64 m_singleNext = 0;
    // The last single search's parameters, its share of accepted candidates, and whether its luck
    // is still wanted (not once the window has closed).
    SearchParameters m_singleParameters;
    QString m_luckShare;
    bool m_luckWanted = false;
    LuckCounter m_luck;
    QString m_luckCount;
    // The formulas the last single search found, and their family-wise chances once the luck count
    // is in: worked out against the run's own candidates on kFamilywiseShuffles shuffled histories.
    std::vector<FoundFormula> m_runFound;
    std::optional<quint64> m_familywiseTried; // the run's candidates, while its chances are wanted
    FamilywiseCounter m_familywise;
    QString m_familywiseText;

    Job<TuningResult> m_tuning;
    bool m_tuningAll = false;
    int m_tuningSamples = 0;
};

} // namespace quorvel
