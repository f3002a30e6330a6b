#pragma once

#include "workspace/BacktestSession.h"

#include <QWidget>

class QChart;
class QChartView;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quorvel {

class BacktestDrawsModel;
class BacktestSummaryModel;
class GridView;
class PredictionState;
class Prompts;
class ToolWindows;
class Workspace;

// The backtest window `frmLsHc` "历史回测": the prediction of "计算公式(&C)" (the main window's
// method, kind, position, selection and sort settings, N and B of the settings) replayed for each
// of the newest M draws (`spnHcQs`) from the draws before it only. `cmdHcKs` runs it through the
// backtest session with progress (`prgHc`) and `cmdHcQx` cancels; the results per position and overall against
// the chance rate (`grdHcHz`), the table per draw (`grdHcMx`) and the cumulative right picks
// against the chance expectation (`chtHcLj`). `lblHcQs` warns that formulas found by a search
// over the same draws have seen them; `cmdHcJl` opens the ledger, the clean measure.
class BacktestWindow : public QWidget
{
    Q_OBJECT
public:
    BacktestWindow(Workspace& workspace, PredictionState& state, Prompts& prompts, ToolWindows& toolWindows,
                   QWidget* parent = nullptr);
    ~BacktestWindow() override;

    // Shows and raises the window with the settings it would replay.
    void open();
    // Starts a run with M from the spin box; a run in hand goes on.
    void start();
    bool isRunning() const { return m_session.isRunning(); }
    const std::optional<BacktestResult>& result() const { return m_session.result(); }

Q_SIGNALS:
    void finished(); // a run ended, with a result or canceled

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void describeSettings();
    void runEnded();
    void showResult(const BacktestResult& result);
    void fitSummaryHeight();
    void openLedger();

    Workspace& m_workspace;
    PredictionState& m_state;
    Prompts& m_prompts;
    ToolWindows& m_toolWindows;
    QSpinBox* m_targets = nullptr;         // `spnHcQs`
    QLabel* m_settings = nullptr;          // `lblHcSz`
    QPushButton* m_startButton = nullptr;  // `cmdHcKs`
    QPushButton* m_cancelButton = nullptr; // `cmdHcQx`
    QPushButton* m_ledgerButton = nullptr; // `cmdHcJl`
    QProgressBar* m_progress = nullptr;    // `prgHc`
    QLabel* m_overall = nullptr;           // `lblHcJg`
    BacktestSummaryModel* m_summaryModel = nullptr;
    BacktestDrawsModel* m_drawsModel = nullptr;
    GridView* m_summaryGrid = nullptr; // `grdHcHz`
    GridView* m_drawsGrid = nullptr;   // `grdHcMx`
    QChart* m_chart = nullptr;
    QChartView* m_chartView = nullptr; // `chtHcLj`
    BacktestSession m_session;
};

} // namespace quorvel
