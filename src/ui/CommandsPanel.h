#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QLayout;
class QPushButton;
class QRadioButton;

namespace quorvel {

class Desktop;
enum class PredictionMethod;
class PredictionState;
class FormulaFileCommands;
class Prompts;
class SetupMenu;
class ToolWindows;
class Workspace;

// The command side of the main window: position, kind and prediction method options, and the
// buttons of the formula and program commands, with the settings menu of `Command9`.
class CommandsPanel : public QWidget
{
    Q_OBJECT
public:
    CommandsPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows,
                  QWidget* parent = nullptr);
    ~CommandsPanel() override;

    SetupMenu* setupMenu() const { return m_setupMenu; }
    FormulaFileCommands* formulaFileCommands() const { return m_formulaFileCommands; }

private:
    QWidget* createPositionFrame();
    QWidget* createKindFrame();
    QWidget* createMethodFrame();
    QPushButton* button(const char* name, const char* caption, bool built);
    void syncOptions();
    void choosePosition(int position);
    void chooseKind(bool kill);
    void openManual(const char* section);
    void showAbout();
    // The prediction and the filters: `Command23`, `Command7`, `Command133`, `cmdUpdLim`.
    void connectPredictionCommands();
    void computePrediction();
    void runPrediction(PredictionMethod method);
    void filterByRanges();
    void filterByLimits();
    void updateLimits();
    void connectFormulaLibrary();
    void openParameterReference();
    void openSearchWindow();
    // The backtest and the ledger beside `Command23`, and the scoring of the ledger whenever the
    // history changes.
    QLayout* createRecordCommands();
    void openBacktest();
    void openLedger();
    void openTrend();
    void scoreLedger();

    Workspace& m_workspace;
    Prompts& m_prompts;
    ToolWindows& m_toolWindows;
    std::array<QRadioButton*, 8> m_positionOptions{}; // `optXing1`..`optXing8`
    std::array<QRadioButton*, 2> m_kindOptions{};     // `Option2_0` kill, `Option2_1` keep
    std::array<QRadioButton*, 2> m_methodOptions{};   // `Option6_0` best formulas, `Option6_1` selected
    QPushButton* m_searchButton = nullptr;            // `Command22`
    QPushButton* m_settingsButton = nullptr;          // `Command9`
    QPushButton* m_manualButton = nullptr;            // `Command18`
    QPushButton* m_slidesButton = nullptr;            // `Command139`
    QPushButton* m_videoButton = nullptr;             // `Command6`
    QPushButton* m_aboutButton = nullptr;             // name, version, data folder and licences
    SetupMenu* m_setupMenu = nullptr;                 // `mnuSetup`
    QPushButton* m_predictButton = nullptr;           // `Command23`
    QPushButton* m_rangeFilterButton = nullptr;       // `Command7`
    QPushButton* m_limitFilterButton = nullptr;       // `Command133`
    QPushButton* m_limitUpdateButton = nullptr;       // `cmdUpdLim`
    std::unique_ptr<PredictionState> m_prediction;    // counts and ranking of the last `Command23`
    QPushButton* m_referenceButton = nullptr;         // `Command4`
    QPushButton* m_selectAllButton = nullptr;         // `Command8`
    QPushButton* m_invertButton = nullptr;            // `Command5`
    QPushButton* m_clearButton = nullptr;             // `Command2`
    QPushButton* m_importButton = nullptr;            // `Command10`
    QPushButton* m_exportAllButton = nullptr;         // `Command11`
    QPushButton* m_exportShownButton = nullptr;       // `Command20`
    QPushButton* m_onlineFormulasButton = nullptr;    // `cmdGsgx`
    FormulaFileCommands* m_formulaFileCommands = nullptr;
    QPushButton* m_backtestButton = nullptr; // `cmdLsHc` "历史回测(&B)"
    QPushButton* m_ledgerButton = nullptr;   // `cmdYcJl` "预测记录(&J)"
    QPushButton* m_trendButton = nullptr;    // `cmdZoushi` "号码走势(&Z)"
};

} // namespace quorvel
