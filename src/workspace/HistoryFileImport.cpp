#include "workspace/HistoryFileImport.h"

#include "core/Database.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "workspace/MissingDrawsCheck.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

#include <QDir>

#include <algorithm>

namespace quorvel {

const QString HistoryFileImport::kTitle = QStringLiteral("导入历史号码");

HistoryFileImport::HistoryFileImport(Workspace& workspace) : m_workspace(workspace) {}

Result<HistoryImportOutcome> HistoryFileImport::chooseAndImport()
{
    const QString path =
        m_workspace.prompts().openFileName(QStringLiteral("从文本文件导入历史号码"), m_workspace.dataFolder(),
                                           QStringLiteral("历史号码文件 (*.txt *.csv);;所有文件 (*)"));
    if (path.isEmpty()) {
        HistoryImportOutcome outcome;
        outcome.cancelled = true;
        return outcome;
    }
    return import(path);
}

Result<HistoryImportOutcome> HistoryFileImport::import(const QString& filePath)
{
    return m_workspace.withStorage(kTitle, [&](Database& database) -> Result<HistoryImportOutcome> {
        // D of the chosen type, as manual entry checks the sequence.
        const int type = m_workspace.settings().lotteryTypeIndex();
        const HistoryTextImport::DaySequence days{m_workspace.drawsPerDay(),
                                                  isLotteryTypeIndex(type)
                                                      ? lotteryTypes()[std::size_t(type)].caption
                                                      : QStringLiteral("未选择彩种时"),
                                                  m_workspace.clock().today()};
        Result<HistoryTextImport::Plan> plan =
            HistoryTextImport::planFile(database, filePath, days, EntryPath::Online);
        if (!plan)
            return Failure{plan.error(), kTitle};

        HistoryImportOutcome outcome;
        if (plan->draws.empty()) {
            // Nothing to store: the preview is only a notice.
            m_workspace.prompts().notice(kTitle, previewText(filePath, *plan));
            outcome.cancelled = true;
            return outcome;
        }
        if (!m_workspace.prompts().question(kTitle, previewText(filePath, *plan))) {
            outcome.cancelled = true;
            return outcome;
        }
        const Result<HistoryTextImport::Summary> stored =
            HistoryTextImport::store(database, std::move(*plan));
        if (!stored)
            return Failure{stored.error(), kTitle};
        outcome.stored = stored->imported;
        outcome.refreshed =
            m_workspace.apply(WorkspaceChange::historyAppended(stored->stored).withIssueProposed());
        outcome.missing = MissingDrawsCheck(m_workspace).missing();
        return outcome;
    });
}

QString HistoryFileImport::previewText(const QString& filePath, const HistoryTextImport::Plan& plan)
{
    QStringList lines;
    lines << QStringLiteral("文件：%1").arg(QDir::toNativeSeparators(filePath));
    lines << QStringLiteral("新的开奖号码：%1期").arg(plan.draws.size());
    lines << QStringLiteral("已经保存过的：%1期").arg(plan.alreadyStored);
    lines << QStringLiteral("无法导入的行：%1行").arg(plan.refusedCount);
    std::vector<HistoryTextImport::Refusal> refused = plan.refused;
    std::stable_sort(refused.begin(), refused.end(),
                     [](const auto& a, const auto& b) { return a.lineNumber < b.lineNumber; });
    const int shown = std::min(int(refused.size()), kPreviewRefusals);
    for (int i = 0; i < shown; ++i) {
        const HistoryTextImport::Refusal& refusal = refused[std::size_t(i)];
        lines << QStringLiteral("  第%1行“%2”：%3").arg(refusal.lineNumber).arg(refusal.text, refusal.reason);
    }
    if (plan.refusedCount > shown)
        lines << QStringLiteral("  ……另有%1行").arg(plan.refusedCount - shown);
    lines << QString();
    if (plan.draws.empty())
        lines << QStringLiteral("文件中没有可以导入的新号码，什么也没有保存。");
    else
        lines << QStringLiteral("按“确定”保存%1期新的号码%2，按“取消”什么也不保存。")
                     .arg(plan.draws.size())
                     .arg(plan.refusedCount > 0 ? QStringLiteral("（无法导入的行不保存）") : QString());
    return lines.join(QLatin1Char('\n'));
}

QString HistoryFileImport::outcomeMessage(const HistoryImportOutcome& outcome)
{
    QString message = QStringLiteral("已导入%1期开奖号码。").arg(outcome.stored);
    if (!outcome.missing.empty())
        message += QStringLiteral("\n\n历史中缺失%1期：\n").arg(outcome.missing.size()) +
                   MissingDrawsCheck::describe(outcome.missing);
    return message;
}

} // namespace quorvel
