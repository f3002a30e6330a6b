#include "ui/tools/SortSettingsWindow.h"

#include "workspace/PredictionState.h"
#include "workspace/Prompts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// Option index 1..3 of every frame and the key it stands for.
constexpr std::array<SortKey, 3> kOptionKeys{SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

int optionIndexOf(SortKey key)
{
    for (std::size_t i = 0; i < kOptionKeys.size(); ++i) {
        if (kOptionKeys[i] == key)
            return int(i);
    }
    return 0;
}

} // namespace

SortSettingsWindow::SortSettingsWindow(PredictionState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmGsCsArr"));
    setWindowTitle(QStringLiteral("公式排序设置"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    const QString frameCaptions[3] = {QStringLiteral("第一排序"), QStringLiteral("第二排序"),
                                      QStringLiteral("第三排序")};
    const QString optionCaptions[3] = {QStringLiteral("最大连错"), QStringLiteral("最大连对"),
                                       QStringLiteral("最后连错")};
    // The initial choice: "最后连错", then "最大连错", then "最大连对".
    const BestFormulaSettings initial;
    for (int frame = 0; frame < 3; ++frame) {
        auto* box = new QGroupBox(frameCaptions[frame], this);
        box->setObjectName(QStringLiteral("Frame%1").arg(frame + 1));
        auto* row = new QHBoxLayout(box);
        for (int option = 0; option < 3; ++option) {
            auto* button = new QRadioButton(optionCaptions[option], box);
            button->setObjectName(QStringLiteral("Option%1_%2").arg(frame + 1).arg(option + 1));
            m_keyOptions[std::size_t(frame)][std::size_t(option)] = button;
            row->addWidget(button);
        }
        m_keyOptions[std::size_t(frame)][std::size_t(optionIndexOf(initial.keys[std::size_t(frame)]))]
            ->setChecked(true);
        layout->addWidget(box);
    }

    auto* quotaRow = new QHBoxLayout;
    auto* quotaLabel = new QLabel(QStringLiteral("设置需要保留的项目个数限额(少于或等于)"), this);
    quotaLabel->setObjectName(QStringLiteral("Label1"));
    m_quotaBox = new QLineEdit(QStringLiteral("3"), this);
    m_quotaBox->setObjectName(QStringLiteral("Text1"));
    quotaLabel->setBuddy(m_quotaBox);
    quotaRow->addWidget(quotaLabel);
    quotaRow->addWidget(m_quotaBox);
    layout->addLayout(quotaRow);

    m_okButton = new QPushButton(QStringLiteral("确定(&O)"), this);
    m_okButton->setObjectName(QStringLiteral("Command1"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &SortSettingsWindow::acceptSettings);
    layout->addWidget(m_okButton, 0, Qt::AlignRight);
}

void SortSettingsWindow::ask()
{
    show();
    raise();
    activateWindow();
}

void SortSettingsWindow::acceptSettings()
{
    const std::optional<int> quota = Prediction::quotaFromText(m_quotaBox->text());
    if (!quota) {
        // Nothing runs on a quota nobody typed.
        m_prompts.notice(windowTitle(), QStringLiteral("项目个数限额必须是1到%1之间的整数")
                                            .arg(Prediction::kLargestQuota));
        m_quotaBox->setFocus(Qt::OtherFocusReason);
        m_quotaBox->selectAll();
        return;
    }
    BestFormulaSettings settings;
    settings.quota = *quota;
    for (std::size_t frame = 0; frame < 3; ++frame) {
        for (std::size_t option = 0; option < 3; ++option) {
            if (m_keyOptions[frame][option]->isChecked())
                settings.keys[frame] = kOptionKeys[option];
        }
    }
    m_state.acceptBestFormulaSettings(settings);
    accept();
}

} // namespace quorvel
