#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {

class GridView;
class LedgerModel;
class Prompts;
class Workspace;

// The ledger window `frmYcJl` "预测记录": every run of "计算公式(&C)" with the issue it was for,
// its picks and, once that draw is stored, how many held (`grdYcJl`), with the running hit rate
// against the chance rate and the totals per kind (`lblYcHz`). It reads the ledger afresh when
// shown, when activated and when the history changes. Selected entries can be deleted
// (`cmdYcSc`).
class LedgerWindow : public QWidget
{
    Q_OBJECT
public:
    LedgerWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    void open();
    // Reads the ledger; a failure is reported when `report`, else the grid keeps what it shows.
    void refresh(bool report = true);
    // Deletes the entries of the selected rows after a question.
    void deleteSelected();

protected:
    void changeEvent(QEvent* event) override;

private:
    Workspace& m_workspace;
    Prompts& m_prompts;
    LedgerModel* m_model = nullptr;
    GridView* m_grid = nullptr;  // `grdYcJl`
    QLabel* m_summary = nullptr; // `lblYcHz`
    QPushButton* m_deleteButton = nullptr; // `cmdYcSc`
};

} // namespace quorvel
