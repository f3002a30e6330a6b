#pragma once

#include "core/Clock.h"
#include "core/Draw.h"
#include "core/DrawTable.h"
#include "core/Result.h"
#include "verification/Verifier.h"
#include "workspace/FormulaList.h"
#include "workspace/WorkspaceChange.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quorvel {

class Database;
class Desktop;
class Prompts;
class Settings;

// How a session starts. The window uses the defaults; the command-line companion starts on the
// list it works on, with its own verification settings, and runs the pass itself.
struct WorkspaceStartOptions
{
    int position = 1;
    bool kill = false;
    // Verification settings for this session only (not saved); the stored ones when empty.
    std::optional<VerificationSettings> verification;
    bool verifyAtStart = true;
};

// One formula of the light pass `YansuanCalcu`: its display text and its current run of hits.
struct LightPassRow
{
    QString displayText;
    int lastHits = 0;
};

// The state the main window shares (current position and table, kind, display mode, the formula
// list with its selection marks, computed values and run results, the issue being entered), the
// history snapshot, and the refresh chain that the operations end with (`AddGongshi`, `AddHaoma`,
// `Yansuan` ...). QtCore only: the window shows this state; the operations of this folder act on it.
//
// Procedures that can fail return a Status and report nothing themselves: the caller (the window
// through Prompts, the command-line companion on stderr) reports it once.
class Workspace : public QObject
{
    Q_OBJECT
public:
    Workspace(Settings& settings, Prompts& prompts, Desktop& desktop, Clock clock = Clock(),
              QObject* parent = nullptr);
    ~Workspace() override;

    // Start-up: database opened in the data folder, formula list and history filled, next issue
    // proposed, verification run. When the database cannot be opened the workspace stays usable
    // with nothing in it, and every operation that needs the database fails.
    Status start(const QString& dataFolder, const WorkspaceStartOptions& options = {});

    // --- what the operations work with ---
    Settings& settings() const { return m_settings; }
    Prompts& prompts() const { return m_prompts; }
    Desktop& desktop() const { return m_desktop; }
    const Clock& clock() const { return m_clock; }
    QString dataFolder() const { return m_dataFolder; }
    // The storage, for the operations of this folder (the windows never include its headers).
    // Fails when the database could not be opened.
    Result<Database*> storage() const;
    // Runs one operation on the storage, opened once for it; when the database could not be
    // opened the operation does not run and the result is that failure (with `title` when given).
    template <typename Operation> auto withStorage(Operation&& operation) const
    {
        return withStorage(QString(), std::forward<Operation>(operation));
    }
    template <typename Operation> auto withStorage(const QString& title, Operation&& operation) const
    {
        using Outcome = decltype(operation(std::declval<Database&>()));
        const Result<Database*> opened = storage();
        if (!opened)
            return Outcome(title.isEmpty() ? opened.failure() : Failure{opened.error(), title});
        return operation(**opened);
    }
    bool isReadOnly() const;
    QString readOnlyReason() const; // empty when changes can be saved
    // Stored rows the history leaves out because they are no valid draw ("ISSUE：reason"); they
    // stay in the file.
    const QStringList& leftOutDraws() const { return m_leftOutDraws; }

    // --- shared state ---
    // The history, oldest first. A snapshot: a change of the history replaces it, never alters it.
    std::shared_ptr<const DrawTable> history() const { return m_history; }
    int currentPosition() const { return m_position; } // 1..8
    QString currentTable() const;                      // "Gongshi" + position
    QString positionCaption() const;                   // "第一" .. "第八"
    bool currentKindIsKill() const { return m_kill; }
    bool chineseDisplay() const { return m_chineseDisplay; } // display text (true) or code (false)
    const FormulaList& formulaList() const { return m_list; }
    bool isSelected(int listNumber) const { return m_list.isSelected(listNumber); }
    QString computedValue(int listNumber) const { return m_list.computedValue(listNumber); }
    QString issueText() const { return m_issueText; } // `Text1`
    int drawsPerDay() const;                          // D of the chosen lottery type
    int historyDays() const { return m_historyDays; } // H in use
    void setHistoryDays(int days) { m_historyDays = days; }
    VerificationSettings verificationSettings() const;

    // --- the refresh ---
    // Follows a change an operation made with the refresh it calls for, always in the same order:
    // compaction, history, formula list, proposed issue, verification with write-back. Every step
    // runs; the first failure is the result. Verification is left out when the history or the list
    // could not be read, so that no statistics of a snapshot the file no longer holds are written.
    Status apply(const WorkspaceChange& change);

    // --- the steps of the refresh, each on its own ---
    Status AddGongshi();           // full fill of the formula list, every formula selected
    Status AddGongshiZhonglei();   // refill keeping the selection marks
    Status AddGongshiCsZhonglei(); // refill keeping the marks, then computed values (`XianshiLei`)
    void XianshiLei();             // computed values of the selected formulas from the newest draw
    Status AddHaoma();             // read the history from `Lishi` again
    Status Yansuan();              // verification pass over the list, with write-back (`ArrGs`)
    // Light pass: the display text and current hit run of every formula of a position's table
    // of the current kind, in list order. Touches neither the list nor the table.
    Result<std::vector<LightPassRow>> YansuanCalcu(int position) const;
    Status ArrGs();        // write the statistics held in memory back; renumber idx
    Status QihaoXianshi(); // propose the next issue in `Text1`
    // Compacts after a deletion. The deletion has been committed before, so a compaction that
    // fails does not undo it: the failure is a warning (the signal `warning`), and this succeeds.
    Status CompactDb();
    // Changes another program committed (PRAGMA data_version): when the file changed since the
    // last look, the refresh for it runs (history, the list keeping each formula's mark, the
    // proposed issue unless it was typed over, verification) and the result is true.
    Result<bool> noticeOutsideChanges();
    // The refresh after another program's change, whether or not it was noticed yet.
    Status refreshAfterOutsideChange();

    // --- changes of the shared state ---
    Status selectPosition(int position); // `optXing` click: fill, history, verify
    Status setCurrentKind(bool kill);    // `Option2` click: fill and verify
    // Sets the position and kind without a refill (typed entry and import switch tables this way).
    void switchList(int position, bool kill);
    Status setChineseDisplay(bool chinese); // `TabStrip1`: full fill
    void toggleSelection(int listNumber);   // left click in column 1
    void setSelection(const std::vector<char>& marks);
    void setIssueText(const QString& text);

Q_SIGNALS:
    void historyChanged();
    void formulaListChanged();
    void resultsChanged();
    void selectionChanged();
    void issueTextChanged(const QString& text);
    void currentPositionChanged(int position);
    void currentKindChanged(bool kill);
    void displayModeChanged(bool chinese);
    // What went wrong after an operation had succeeded (its changes are saved): the window shows
    // it as the second line of a notice, the companion on stderr with exit status 0.
    void warning(const QString& title, const QString& message);

private:
    enum class ListFill
    {
        SelectAll, // every formula selected again
        KeepMarks  // each formula keeps its own mark, computed value and results
    };
    Status fillFormulaList(ListFill fill);
    // After draws were stored: the snapshot grows by `stored` when they all follow the newest
    // draw, and is read again otherwise (their successors' parameters changed in storage).
    Status historyStored(const std::vector<Draw>& stored);
    QString proposedIssueText() const;

    Settings& m_settings;
    Prompts& m_prompts;
    Desktop& m_desktop;
    Clock m_clock;
    QString m_dataFolder;
    std::unique_ptr<Database> m_database;

    std::shared_ptr<const DrawTable> m_history;
    QStringList m_leftOutDraws;
    int m_position = 1;
    bool m_kill = false;
    bool m_chineseDisplay = true;
    FormulaList m_list;
    // The table and kind the list was last filled with.
    int m_listPosition = 0;
    bool m_listKill = false;
    QString m_issueText;
    // H is fixed at start-up and by the history days dialog; restoring the defaults stores a new
    // value that takes effect only at the next start.
    int m_historyDays = 3;
    std::optional<VerificationSettings> m_sessionVerification;
};

} // namespace quorvel
