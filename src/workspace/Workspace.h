#pragma once

#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/Result.h"
#include "core/Settings.h"
#include "formulas/DrawTable.h"
#include "verification/Verifier.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

class Prompts;

// One row of the formula list (`MSFlexGrid2`), by list number (1-based place in idx order among
// the current table's formulas of the current kind).
struct FormulaListRow
{
    int idx = 0;              // the formula's number in its table (hidden column 10)
    QString code;             // `gongshi`
    QString displayText;      // `gongshiCN`
    bool kill = false;        // `bolKill`
    std::optional<int> limit; // `intGsLim` as read at the last fill
};

// What the last verification pass found for one list number.
struct FormulaListResult
{
    bool evaluable = true;    // false: the code does not evaluate; shown marked, statistics 0
    RunStatistics statistics; // columns 6..9
    qint64 hitWeight = 0;
    qint64 totalWeight = 0;
};

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

// The main window's shared state and the shared procedures that act on it. QtCore only: the
// window shows this state and calls these operations; the command-line companion calls the same.
class Workspace : public QObject
{
    Q_OBJECT
public:
    Workspace(Settings& settings, Prompts& prompts, QObject* parent = nullptr);
    ~Workspace() override;

    // Start-up: settings restored, database opened in the data folder, lottery type applied,
    // formula list and history filled, next issue proposed, verification run.
    Status start(const QString& dataFolder);
    Status start(const QString& dataFolder, const WorkspaceStartOptions& options);

    // --- state ---
    Database& database();
    Settings& settings();
    const DrawTable& history() const; // oldest first
    int currentPosition() const;      // 1..8
    QString currentTable() const;     // "Gongshi" + position
    QString positionCaption() const;  // "第一" .. "第八"
    bool currentKindIsKill() const;
    bool chineseDisplay() const; // display text (true) or code (false)
    const std::vector<FormulaListRow>& formulaList() const;
    const std::vector<FormulaListResult>& results() const; // by list number - 1
    bool isSelected(int listNumber) const;
    QString computedValue(int listNumber) const; // "" when none
    QString issueText() const;                   // `Text1`
    int lotteryTypeIndex() const;                // 0..7 or 544
    int drawsPerDay() const;                     // D
    int historyDays() const;                     // H
    VerificationSettings verificationSettings() const;
    int retrievalPeriodsIndex() const;
    bool resultsAtCurrentPeriod() const; // `LsXs`
    QString resultColumnName() const;    // "Canshu" or "PreCanshu"

    // --- shared procedures ---
    void AddGongshi();           // full fill of the formula list, every formula selected
    void AddGongshiZhonglei();   // refill keeping the selection marks
    void AddGongshiCsZhonglei(); // refill keeping the marks, then computed values (`XianshiLei`)
    void XianshiLei();           // computed values of the selected formulas from the newest draw
    void AddHaoma();             // reload the history from `Lishi`
    void Yansuan();              // verification pass over the list, with write-back (`ArrGs`)
    // Light pass: the display text and current hit run of every formula of a position's table
    // of the current kind, in list order. Touches neither the list nor the table.
    std::vector<LightPassRow> YansuanCalcu(int position) const;
    Status ArrGs();      // write the statistics held in memory back; renumber idx
    void QihaoXianshi(); // propose the next issue in `Text1`
    Status CompactDb();

    // --- user actions ---
    void selectPosition(int position);    // `optXing` click: fill, history, verify
    void setCurrentKind(bool kill);       // `Option2` click: no refill
    void setChineseDisplay(bool chinese); // `TabStrip1`: full fill
    void toggleSelection(int listNumber); // left click in column 1
    void setIssueText(const QString& text);
    // `Command1`: adds a typed display text; refuses (with the messages of the typed entry) and
    // stores nothing when it is empty, cannot be cut up or is not a formula of the grammar.
    Status addTypedFormula(const QString& text, std::optional<bool> kindForPrefixForm = std::nullopt);
    // Manual draw entry: validates, stores through the manual path, refreshes, proposes the next issue.
    Status addManualDraw(const QString& issueText, const DrawNumbers& numbers);

    // --- settings menu ---
    void pickLotteryType(int index);          // `mnuKL10`
    void setRetrievalPeriodsIndex(int index); // `mnuQs`: verifies again
    void toggleExcludeCurrentPeriod();        // `mnuBuhan`
    void toggleWeightedAccuracy();            // `mnuZqlJq`
    void setResultsAtCurrentPeriod(bool on);  // `mnuYsXs`
    void editHistoryDays();                   // `mnuSetDay`: input box through Prompts
    void restoreDefaults();                   // `meuHfmr`

Q_SIGNALS:
    void historyChanged();
    void formulaListChanged();
    void resultsChanged();
    void selectionChanged(int listNumber);
    void issueTextChanged(const QString& text);
    void currentPositionChanged(int position);
    void currentKindChanged(bool kill);
    void settingsChanged();
    void failed(const QString& message);

private:
    // After a change of the formulas or of the shown list: list fill, history (read again only
    // when `Lishi` changed), verification.
    void refreshFormulaListAndVerify();
    // A failed database step reaches the user: `failed` and a notice titled "数据库错误".
    void reportFailure(const QString& message);
    enum class ListFill
    {
        SelectAll, // every formula selected again
        KeepMarks  // each formula keeps its own mark, computed value and results
    };
    void fillFormulaList(ListFill fill);

    struct Private;
    std::unique_ptr<Private> d;
};

// `Selection_Sort`: sorts the nonzero entries ascending while zero entries keep their places
// (for non-negative input), as the prediction expects.
void Selection_Sort(std::vector<int>& values);

} // namespace quorvel
