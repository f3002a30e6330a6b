#include "workspace/SettingsMenu.h"

#include "core/LotteryType.h"
#include "core/Settings.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <optional>

namespace quorvel {

namespace {

const QString kHistoryDaysTitle = QStringLiteral("设置天数");
const QString kHistoryDaysPrompt = QStringLiteral("请输入需要统计的历史号码的天数（2~10中的任意自然数）");
const QString kHistoryDaysRefusedTitle = QStringLiteral("输入有误");
const QString kHistoryDaysRefusedMessage =
    QStringLiteral("为了保证时效性和提高计算效率，软件只能统计10天以内的数据，请输入2到10中的自然数。");

// A whole number 2..10 typed as plain digits, or nothing.
std::optional<int> historyDaysAnswer(const QString& answer)
{
    const QString text = answer.trimmed();
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int days = text.toInt();
    if (days < 2 || days > 10)
        return std::nullopt;
    return days;
}

} // namespace

SettingsMenu::SettingsMenu(Workspace& workspace) : m_workspace(workspace) {}

void SettingsMenu::pickLotteryType(int index)
{
    if (isLotteryTypeIndex(index))
        m_workspace.settings().setLotteryTypeIndex(index);
}

Status SettingsMenu::setRetrievalPeriodsIndex(int index)
{
    if (index < 0 || index >= Settings::kRetrievalPeriodsCount)
        return success();
    m_workspace.settings().setRetrievalPeriodsIndex(index);
    return m_workspace.apply(WorkspaceChange::settingsChanged());
}

void SettingsMenu::toggleExcludeCurrentPeriod()
{
    Settings& settings = m_workspace.settings();
    settings.setExcludeCurrentPeriod(!settings.excludeCurrentPeriod());
}

void SettingsMenu::toggleWeightedAccuracy()
{
    Settings& settings = m_workspace.settings();
    settings.setWeightedAccuracy(!settings.weightedAccuracy());
}

void SettingsMenu::setResultsAtCurrentPeriod(bool on)
{
    m_workspace.settings().setResultsAtCurrentPeriod(on);
}

void SettingsMenu::editHistoryDays()
{
    Settings& settings = m_workspace.settings();
    m_workspace.setHistoryDays(settings.historyDays());
    for (;;) {
        const std::optional<QString> answer = m_workspace.prompts().inputText(
            kHistoryDaysTitle, kHistoryDaysPrompt, QString::number(m_workspace.historyDays()));
        if (!answer || answer->isEmpty())
            return;
        if (const std::optional<int> days = historyDaysAnswer(*answer)) {
            m_workspace.setHistoryDays(*days);
            settings.setHistoryDays(*days);
            return;
        }
        m_workspace.prompts().notice(kHistoryDaysRefusedTitle, kHistoryDaysRefusedMessage);
    }
}

Status SettingsMenu::restoreDefaults()
{
    // The values it overwrites are kept first, so that it can be undone.
    UndoHistory undo(m_workspace);
    const Result<qint64> kept = undo.keepSettings(QStringLiteral("恢复默认设置(R)"));
    if (!kept)
        return kept.failure();
    // The days in use stay until the next start or the next opening of the days dialog.
    m_workspace.settings().restoreDefaults();
    undo.finish(*kept, true);
    return success();
}

} // namespace quorvel
