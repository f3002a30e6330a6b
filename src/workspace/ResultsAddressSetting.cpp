#include "workspace/ResultsAddressSetting.h"

#include "core/LotteryType.h"
#include "core/Settings.h"
#include "history/OnlineUpdatePlan.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

namespace quorvel {

const QString ResultsAddressSetting::kTitle = QStringLiteral("开奖数据地址设置");
const QString ResultsAddressSetting::kPrompt = QStringLiteral(
    "请输入开奖数据网站的地址：网站主机名（例如 .example.org，程序在前面加上“http://”和彩种代码），"
    "或以 http:// 或 https:// 开头的完整地址（含彩种）");

ResultsAddressSetting::ResultsAddressSetting(Workspace& workspace) : m_workspace(workspace) {}

Status ResultsAddressSetting::check(const QString& value) const
{
    // The form is the same for every type; a placeholder code stands in when none is chosen yet.
    QString code = lotteryTypeCode(m_workspace.settings().lotteryTypeIndex());
    if (code.isEmpty())
        code = lotteryTypes().front().code;
    const Result<QUrl> url = OnlineUpdatePlan::resultsAddress(code, value, 1);
    if (!url)
        return url.failure();
    return success();
}

std::optional<QString> ResultsAddressSetting::ask(const QString& current)
{
    Prompts& prompts = m_workspace.prompts();
    for (;;) {
        const std::optional<QString> answer = prompts.inputText(kTitle, kPrompt, current);
        if (!answer || answer->trimmed().isEmpty())
            return std::nullopt;
        const QString value = answer->trimmed();
        if (const Status usable = check(value); !usable) {
            prompts.notice(QStringLiteral("输入有误"), usable.error());
            continue;
        }
        m_workspace.settings().setResultsHost(value);
        return value;
    }
}

void ResultsAddressSetting::edit()
{
    ask(m_workspace.settings().resultsHost());
}

std::optional<QString> ResultsAddressSetting::ensure()
{
    const QString stored = m_workspace.settings().resultsHost().trimmed();
    if (!stored.isEmpty())
        return stored;
    return ask(QString());
}

} // namespace quorvel
