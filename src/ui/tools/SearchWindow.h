#pragma once

#include "core/TermTable.h"
#include "search/FoundList.h"
#include "search/LuckCounter.h"
#include "search/ParameterTuning.h"
#include "search/SearchEngine.h"
#include "search/SearchScheme.h"
#include "search/SearchSettings.h"
#include "ui/DialogPrompts.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace quorvel {

class FoundLinesModel;
class OperationProgress;
class Prompts;
class WaitCursor;
class Workspace;

// The formula search window `frmGSGL` "公式搜索设置以及搜索结果": the search settings, the single
// search, the automatic scheme, the tuning of the acceptance bounds, and the found formulas with
// their store and export. Modal, made once and kept, so it shows its settings and found formulas
// as they were left. The runs go on worker threads; one run at a time (single search, scheme or
// tuning): while one runs, the buttons that start the others are disabled. Closing the window
// stops what runs; what was found stays.
//
// Controls carry their established names as object names. Members of a control array are named
// `<name>_<index>` (`Option2_0`, `Text1_2`, `Text5_1`, `Label4_8`, `chkAutApd_1`), except the
// position options `optXing1`..`optXing8`, named as in the main window. The seed box `txtSeed`
// shows the seed of the last run and takes one typed by the user.
class SearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SearchWindow(Workspace& workspace, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Where questions and notices go; the window's own dialogs unless set (tests, unattended runs).
    void setPrompts(Prompts& prompts) { m_prompts = &prompts; }

    const FoundList& foundList() const { return m_found; }

public Q_SLOTS:
    void reject() override; // closing: stops every run first

protected:
    void showEvent(QShowEvent* event) override;

private:
    // --- building the window ---
    QGroupBox* createPositionFrame();
    QGroupBox* createKindFrame();
    QGroupBox* createFormFrame();
    QGroupBox* createConstantFrame();
    QGroupBox* createOperandFrame();
    QGroupBox* createBoundsFrame();
    QGroupBox* createStatisticsFrame();
    QWidget* createRunArea();
    QGroupBox* createSchemeFrame();
    QGroupBox* createTuningFrame();
    QPushButton* button(const char* name, const QString& caption);

    // --- settings (changes of position, kind and form reach a running search at once) ---
    void selectPosition(int position);
    void selectKind(bool kill);
    void showBounds(const AcceptanceBounds& bounds);
    AcceptanceBounds boundsInBoxes() const;
    GenerationSettings generation() const;
    std::optional<int> specifiedConstant() const;
    FormulaText::Shape shape() const;
    void applyLiveSettings();
    void refreshTableCounts();
    void refreshPlannedTotal();
    std::array<std::optional<int>, kPositionCount> schemeTargets() const;
    void saveSchemeTargets();
    void loadSchemeTargets();
    quint64 seedForRun(bool& typed);

    // --- the single search ---
    void startSingleSearch();
    void pauseSingleSearch();
    void applyAutoStop();
    void singleSearchFinished(const SearchOutcome& outcome);
    void showLuck(const QString& count);
    // --- the scheme ---
    void startScheme();
    void schemePositionStarted(int position, int target);
    void schemeFinished(const SchemeOutcome& outcome);
    void colourPositionLabel(int position, const QColor& colour);
    // --- found formulas and counters ---
    void addFound(const FoundBatch& formulas);
    void flushList();
    void showProgress(const SearchProgress& progress);
    void showTried(quint64 tried);
    void storeFound(bool replace, bool automatic);
    void exportFound();
    // --- the tuning ---
    TuningParameters tuningParameters() const;
    void tuneCurrent();
    void tuneAll();
    void tuningResultReady(int index);
    void tuningFinished();
    void saveCategory();
    void saveCategory(int position, bool kill, const AcceptanceBounds& bounds);

    bool isRunning() const;
    void updateButtons();
    void notice(const QString& title, const QString& message);

    Workspace& m_workspace;
    DialogPrompts m_dialogPrompts;
    Prompts* m_prompts = nullptr;
    SearchSettings m_settings;

    int m_position = 1;
    bool m_kill = false;
    SchemeCountMode m_countMode = SchemeCountMode::New;
    std::array<int, kPositionCount> m_tableCounts{}; // `Label5`
    int m_existingTotal = 0;

    FoundList m_found;
    bool m_schemeFlag = false;  // the found formulas come from the scheme: its store path
    quint64 m_tried = 0;        // `Text3`
    quint64 m_triedBase = 0;    // the tried counter when the scheme started (it is not reset)
    QStringList m_pendingLines; // found formulas not in `List1` yet
    QTimer m_listFlush;

    SearchEngine m_engine;
    SearchScheme m_scheme;
    SchemeParameters m_schemeParameters;
    // The single search's seed and the candidate its next start continues from, so that a search
    // paused and started again with the same seed tries new candidates.
    std::optional<quint64> m_singleSeed;
    quint64 m_singleFirst = 0;
    quint64 m_singleNext = 0;
    // The luck baseline of the single search's last run: its parameters, share and count.
    SearchParameters m_singleParameters;
    LuckCounter m_luck;
    QString m_luckShare;

    QFutureWatcher<TuningResult> m_tuning;
    // From the start of a tuning until its end has been handled here (its thread may end sooner).
    bool m_tuningActive = false;
    bool m_tuningAll = false;
    int m_tuningSamples = 0;
    OperationProgress* m_tuneAllProgress = nullptr;
    std::unique_ptr<WaitCursor> m_waitCursor;

    // Controls.
    std::array<QRadioButton*, kPositionCount> m_positionOptions{}; // `optXing1`..`optXing8`
    std::array<QRadioButton*, 2> m_kindOptions{};                  // `Option2_0` 杀, `Option2_1` 生
    std::array<QRadioButton*, 2> m_formOptions{};                  // `Option6_0` prefix, `Option6_1` suffix
    std::array<QRadioButton*, 2> m_constantOptions{};              // `Option5_0` 指定, `Option5_1` 随机
    QLineEdit* m_constantBox = nullptr;                            // `Text6`
    QLineEdit* m_operandBox = nullptr;                             // `Text2`
    QScrollBar* m_operandScroll = nullptr;                         // `HScroll1`
    std::array<QLineEdit*, 8> m_boundBoxes{};                      // `Text1_2`..`Text1_9`
    std::array<QLineEdit*, 4> m_statisticBoxes{};                  // `Text1_11`..`Text1_14`
    QLineEdit* m_candidateBox = nullptr;                           // `Text11`
    QCheckBox* m_autoStop = nullptr;                               // `Check1`
    QLineEdit* m_autoStopTarget = nullptr;                         // `Text1_15`
    QLineEdit* m_triedBox = nullptr;                               // `Text3`
    QLineEdit* m_foundBox = nullptr;                               // `Text4`
    QLabel* m_luckLabel = nullptr;                                 // `lblLuck`
    QLineEdit* m_seedBox = nullptr;                                // `txtSeed`
    QListView* m_list = nullptr;                                   // `List1`
    FoundLinesModel* m_lines = nullptr;
    QPushButton* m_startButton = nullptr;                   // `Command1`
    QPushButton* m_pauseButton = nullptr;                   // `Command2`
    QPushButton* m_appendButton = nullptr;                  // `Command3`
    QPushButton* m_replaceButton = nullptr;                 // `Command4`
    QPushButton* m_exportButton = nullptr;                  // `Command20`
    std::array<QLabel*, kPositionCount> m_schemeLabels{};   // `Label4_1`..`Label4_8`
    std::array<QLineEdit*, kPositionCount> m_targetBoxes{}; // `Text5_1`..`Text5_8`
    std::array<QLabel*, kPositionCount> m_countLabels{};    // `Label5_1`..`Label5_8`
    std::array<QRadioButton*, 2> m_countModeOptions{};      // `Option4_0` hold, `Option4_1` new
    QLabel* m_totalLabel = nullptr;                         // `Label6`
    std::array<QCheckBox*, 2> m_autoStoreBoxes{};           // `chkAutApd_0`, `chkAutApd_1`
    QPushButton* m_saveTargetsButton = nullptr;             // `Command9`
    QPushButton* m_loadTargetsButton = nullptr;             // `Command10`
    QPushButton* m_schemeButton = nullptr;                  // `Command5`
    QPushButton* m_schemePauseButton = nullptr;             // `Command7`
    QPushButton* m_schemeContinueButton = nullptr;          // `Command6`
    QScrollBar* m_sampleScroll = nullptr;                   // `HScroll2`
    QLineEdit* m_sampleBox = nullptr;                       // `Text7`
    QPushButton* m_tuneButton = nullptr;                    // `Command11`
    QPushButton* m_saveCategoryButton = nullptr;            // `Command8`
    QPushButton* m_tuneAllButton = nullptr;                 // `Command12`
};

} // namespace quorvel
