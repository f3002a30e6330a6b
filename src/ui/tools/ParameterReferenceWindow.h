#pragma once

#include <QWidget>

class QModelIndex;

namespace quorvel {

class GridView;
class ParameterReferenceModel;
class Workspace;

// The parameter reference window `frmShuoming` "参数对照" (modeless, one instance): the values of
// the newest draw per parameter and position, filled again each time the window is shown. A click
// on a cell (or a header) copies its text to the clipboard.
class ParameterReferenceWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ParameterReferenceWindow(Workspace& workspace, QWidget* parent = nullptr);

    GridView* grid() const { return m_grid; }
    // Shows the window (again) in front, with the newest draw.
    void open();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill();
    void copyCell(const QModelIndex& index);
    void copyHeader(int column);

    Workspace& m_workspace;
    ParameterReferenceModel* m_model = nullptr;
    GridView* m_grid = nullptr; // `MSFlexGrid1`
};

} // namespace quorvel
