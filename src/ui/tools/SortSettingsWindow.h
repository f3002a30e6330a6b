#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvel {

class PredictionState;
class Prompts;

// The sort settings of the best-formula method, `frmGsCsArr` "公式排序设置", modal: three frames
// of key options (`Option1_1`..`Option1_3`, `Option2_*`, `Option3_*`: "最大连错", "最大连对",
// "最后连错"), the quota box `Text1` and "确定(&O)" (`Command1`), which stores the choice in the
// prediction state and hides the window. The window is kept, so it shows the last choice when it
// opens again; closing it with its close box keeps the previous acceptance.
class SortSettingsWindow : public QDialog
{
    Q_OBJECT
public:
    SortSettingsWindow(PredictionState& state, Prompts& prompts, QWidget* parent = nullptr);

    // Shows the window modally; `finished` tells when it is closed either way.
    void ask();

private:
    void acceptSettings();

    PredictionState& m_state;
    Prompts& m_prompts;
    std::array<std::array<QRadioButton*, 3>, 3> m_keyOptions{}; // frame, option index - 1
    QLineEdit* m_quotaBox = nullptr;                            // `Text1`
    QPushButton* m_okButton = nullptr;                          // `Command1`
};

} // namespace quorvel
