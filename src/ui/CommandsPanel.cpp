#include "ui/CommandsPanel.h"

#include "core/Settings.h"
#include "core/TermTable.h"
#include "ui/FailureNotice.h"
#include "ui/SetupMenu.h"
#include "ui/ToolWindows.h"
#include "ui/UserManual.h"
#include "ui/WaitCursor.h"
#include "ui/tools/SearchWindow.h"
#include "workspace/Desktop.h"
#include "workspace/Workspace.h"

#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QString arrayName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

CommandsPanel::CommandsPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows,
                             QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_prompts(prompts), m_toolWindows(toolWindows)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createPositionFrame());
    layout->addWidget(createKindFrame());
    layout->addWidget(createMethodFrame());

    auto* buttons = new QGridLayout;
    // In the order they stand in the window, two to a row; the operations not part of this version
    // yet are present and disabled.
    const QList<QPushButton*> commands{
        button("Command23", "计算公式(&C)", false),
        m_searchButton = button("Command22", "公式搜索(&F)", true),
        button("Command7", "公式过滤设置(&F)", false),
        button("Command133", "滤非极限公式(&L)", false),
        button("cmdUpdLim", "更新极限值(&U)", false),
        button("Command4", "公式参数对照说明(&I)", false),
        button("Command8", "选中所有公式(&S)", false),
        button("Command5", "反选所有公式(&O)", false),
        button("Command2", "清空所有公式(&C)", false),
        button("Command10", "读取公式文本(N)", false),
        button("Command11", "所有类公式中文导出", false),
        button("Command20", "所选类公式中文导出", false),
        button("cmdGsgx", "公式在线更新（&W)", false),
        m_settingsButton = button("Command9", "软件设置(&T)", true),
        m_manualButton = button("Command18", "使用说明文档下载(&L)", true),
        m_slidesButton = button("Command139", "幻灯图示说明下载(&P)", true),
        m_videoButton = button("Command6", "演示说明录像下载(&M)", true),
    };
    for (int slot = 0; slot < commands.size(); ++slot)
        buttons->addWidget(commands[slot], slot / 2, slot % 2);
    layout->addLayout(buttons);
    layout->addStretch(1);

    m_setupMenu = new SetupMenu(m_workspace, m_prompts, this);
    connect(m_settingsButton, &QPushButton::clicked, this, [this] { m_setupMenu->popup(QCursor::pos()); });
    connect(m_searchButton, &QPushButton::clicked, this, &CommandsPanel::openSearchWindow);
    connect(m_manualButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kManualSection); });
    connect(m_slidesButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kSlidesSection); });
    connect(m_videoButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kVideoSection); });

    connect(&m_workspace, &Workspace::currentPositionChanged, this, &CommandsPanel::syncOptions);
    connect(&m_workspace, &Workspace::currentKindChanged, this, &CommandsPanel::syncOptions);
    connect(&m_workspace.settings(), &Settings::changed, this, &CommandsPanel::syncOptions);
    syncOptions();
}

QPushButton* CommandsPanel::button(const char* name, const char* caption, bool built)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QLatin1String(name));
    button->setEnabled(built);
    button->setAutoDefault(false);
    return button;
}

QWidget* CommandsPanel::createPositionFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("位数选择"), this);
    frame->setObjectName(QStringLiteral("framePosition"));
    auto* layout = new QGridLayout(frame);
    for (int position = 1; position <= kPositionCount; ++position) {
        auto* option = new QRadioButton(positionName(position), frame);
        option->setObjectName(QStringLiteral("optXing%1").arg(position));
        m_positionOptions[std::size_t(position - 1)] = option;
        layout->addWidget(option, (position - 1) / 4, (position - 1) % 4);
        connect(option, &QRadioButton::clicked, this, [this, position] { choosePosition(position); });
    }
    return frame;
}

QWidget* CommandsPanel::createKindFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("生杀"), this);
    frame->setObjectName(QStringLiteral("frameKind"));
    auto* layout = new QHBoxLayout(frame);
    const QString captions[2] = {QStringLiteral("杀"), QStringLiteral("生")};
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(captions[index], frame);
        option->setObjectName(arrayName("Option2", index));
        m_kindOptions[std::size_t(index)] = option;
        layout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, index] { chooseKind(index == 0); });
    }
    return frame;
}

QWidget* CommandsPanel::createMethodFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("计算方法"), this);
    frame->setObjectName(QStringLiteral("frameMethod"));
    auto* layout = new QHBoxLayout(frame);
    const QString captions[2] = {QStringLiteral("最优公式法"), QStringLiteral("计算选中公式")};
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(captions[index], frame);
        option->setObjectName(arrayName("Option6", index));
        m_methodOptions[std::size_t(index)] = option;
        layout->addWidget(option);
        connect(option, &QRadioButton::clicked, this,
                [this, index] { m_workspace.settings().setComputeSelectedFormulas(index == 1); });
    }
    return frame;
}

void CommandsPanel::syncOptions()
{
    const int position = m_workspace.currentPosition();
    for (int p = 1; p <= kPositionCount; ++p)
        m_positionOptions[std::size_t(p - 1)]->setChecked(p == position);
    const bool kill = m_workspace.currentKindIsKill();
    m_kindOptions[0]->setChecked(kill);
    m_kindOptions[1]->setChecked(!kill);
    const bool computeSelected = m_workspace.settings().computeSelectedFormulas();
    m_methodOptions[0]->setChecked(!computeSelected);
    m_methodOptions[1]->setChecked(computeSelected);
}

void CommandsPanel::choosePosition(int position)
{
    WaitCursor wait;
    reportFailure(m_prompts, m_workspace.selectPosition(position));
}

void CommandsPanel::chooseKind(bool kill)
{
    WaitCursor wait;
    reportFailure(m_prompts, m_workspace.setCurrentKind(kill));
}

void CommandsPanel::openSearchWindow()
{
    SearchWindow& search =
        m_toolWindows.window<SearchWindow>([this] { return new SearchWindow(m_workspace, window()); });
    search.show();
    search.raise();
    search.activateWindow();
}

void CommandsPanel::openManual(const char* section)
{
    const Result<QUrl> url = UserManual::install(m_workspace.dataFolder(), QLatin1String(section));
    if (!url) {
        m_prompts.notice(QStringLiteral("无法打开说明文档"), url.error());
        return;
    }
    m_workspace.desktop().openUrl(*url);
}

} // namespace quorvel
