#pragma once

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace quorvel {

class DistributionModel;
class GridView;
class PredictionState;
class Prompts;
class RankingModel;
class SpreadsheetExportRunner;
class ToolWindows;
class Workspace;

// The ranking window `frmErrarrLei` "杀留值排序(鼠标双击列表反向排序)", modeless: a tab
// (`TabStrip1`) and a page (`Picture1_q`) per position 1..p* of the last prediction, each with
// its ranking grid `MSFlexGrid1_q` and distribution grid `MSFlexGrid3_q`, and below them the
// summary box `Text1`. A click on a ranking grid re-sorts its page by the column clicked.
// Controls that are one of an array carry their index after an underscore.
class RankingWindow : public QWidget
{
    Q_OBJECT
public:
    RankingWindow(Workspace& workspace, PredictionState& state, ToolWindows& toolWindows, Prompts& prompts,
                  QWidget* parent = nullptr);

    // What `FormActivate` shows: the pages of the ranking the prediction has just filled, page 1
    // in front, the summary, and "详细结果列表(&D)" only after the selected-formula method; then
    // the window is shown and raised.
    void showRanking();

private:
    QWidget* createPage(int page);
    void resort(int page, int column);
    void showDetailList();

    Workspace& m_workspace;
    PredictionState& m_state;
    ToolWindows& m_toolWindows;
    Prompts& m_prompts;
    SpreadsheetExportRunner* m_exportRunner = nullptr;
    QTabBar* m_tabs = nullptr;         // `TabStrip1`
    QStackedWidget* m_pages = nullptr; // `Picture1_1`..`Picture1_8`
    std::array<RankingModel*, 8> m_rankingModels{};
    std::array<DistributionModel*, 8> m_distributionModels{};
    QLineEdit* m_summaryBox = nullptr;     // `Text1`
    QPushButton* m_exportButton = nullptr; // `Command1`
    QPushButton* m_detailButton = nullptr; // `Command2`
};

} // namespace quorvel
