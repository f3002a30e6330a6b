#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace quorvel {

class Workspace;

// The range filter window `frmGSGuolv` "公式过滤设置窗口", modal: lower and upper bounds of max
// misses, max hits, last misses and last hits (`Text1_2`..`Text1_9`), refilled from the selected
// formulas every time it is shown; "确定(&K)" (`Command1`) unselects every formula outside them and
// hides the window. A box that gets the focus selects its text.
class FormulaFilterWindow : public QDialog
{
    Q_OBJECT
public:
    explicit FormulaFilterWindow(Workspace& workspace, QWidget* parent = nullptr);

    // Prefills the boxes and shows the window modally.
    void ask();

Q_SIGNALS:
    // After "确定(&K)", once the window is hidden: how many formulas stay selected.
    void filtered(int remaining);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();

    Workspace& m_workspace;
    std::array<QLineEdit*, 8> m_boxes{}; // `Text1_2`..`Text1_9`
    QPushButton* m_okButton = nullptr;   // `Command1`
};

} // namespace quorvel
