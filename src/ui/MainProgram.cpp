#include "ui/MainProgram.h"

#include "core/DataFolder.h"
#include "ui/FailureNotice.h"

#include <QTimer>

namespace quorvel {

MainProgram::MainProgram(const Options& options)
    : m_settings(options.settingsFile.isEmpty() ? std::make_unique<Settings>()
                                                : std::make_unique<Settings>(options.settingsFile)),
      m_desktop(m_prompts)
{
    m_prompts.setUnattended(options.unattended);
    m_desktop.setUnattended(options.unattended);
    m_workspace = std::make_unique<Workspace>(*m_settings, m_prompts, m_desktop);
    const Status started = m_workspace->start(resolveDataFolder(options.dataDir));
    m_window = std::make_unique<MainWindow>(*m_workspace, m_prompts);
    m_prompts.setParentWidget(m_window.get());
    m_busyNotice.setWindow(m_window.get());
    reportStartOnceShown(started);
}

void MainProgram::reportStartOnceShown(const Status& started)
{
    QTimer::singleShot(0, m_window.get(), [this, started] {
        if (!reportFailure(m_prompts, started))
            return;
        if (m_workspace->isReadOnly())
            m_prompts.notice(QStringLiteral("数据库只读"), m_workspace->readOnlyReason());
        if (const QStringList& leftOut = m_workspace->leftOutDraws(); !leftOut.isEmpty())
            m_prompts.notice(
                QStringLiteral("历史号码有误"),
                QStringLiteral("公式数据库中有 %1 期记录不是有效的开奖号码，已略过（未删除）：\n%2")
                    .arg(leftOut.size())
                    .arg(leftOut.mid(0, 20).join(QLatin1Char('\n'))));
    });
}

} // namespace quorvel
