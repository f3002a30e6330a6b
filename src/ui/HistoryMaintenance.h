#pragma once

#include <QObject>
#include <QPointer>

namespace quorvel {

class HistoryPanel;
class OperationProgress;
class OnlineHistoryUpdate;
class Prompts;
class Workspace;

// The history maintenance commands of the history panel: the online update with its progress
// dialog, the four deletions, the text export, the file import with its preview and the report of
// missing issues. Each runs its operation and shows the outcome; it computes nothing itself.
class HistoryMaintenance : public QObject
{
    Q_OBJECT
public:
    HistoryMaintenance(Workspace& workspace, Prompts& prompts, HistoryPanel& panel);
    ~HistoryMaintenance() override;

    void updateOnline();      // `Command21`
    void deleteNewestDraw();  // `Command3`
    void deleteNewestCount(); // `mnuEszhzd`
    void deleteAfterIssue();  // `mnuDlzd`
    void deleteAll();         // `mnuDlAll`
    void exportText();        // `cmdLsdcTxt`
    void importFile();        // "从文本文件导入历史号码(&I)"
    void showMissing();       // "检查缺失期号(&M)"

    OnlineHistoryUpdate* onlineUpdate() const { return m_update; }

private:
    void updateFinished();

    Workspace& m_workspace;
    Prompts& m_prompts;
    HistoryPanel& m_panel;
    OnlineHistoryUpdate* m_update = nullptr;
    QPointer<OperationProgress> m_progress;
};

} // namespace quorvel
