#include "workspace/OnlineFormulaUpdate.h"

#include "core/HttpDownload.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "workspace/FormulaFileImport.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

#include <QDir>

namespace quorvel {

namespace {

const QString kQuestionTitle = QStringLiteral("读入历史");
const QString kQuestion = QStringLiteral(
    "确实要在线更新公式吗？因为快乐十分开奖频繁，该公式可能并不是当前最新的，因此自己搜索会更有时效性"
    "（软件已经设置了默认搜索的参数，也可以手动变更）。同意更新将删除软件中现有的所有公式，并可能要花费一段"
    "时间，网络不通或者我方服务器更新不及时可能都造成更新失败！");
const QString kAddressTitle = QStringLiteral("公式下载地址设置");
const QString kAddressPrompt = QStringLiteral("公式文件Quorvel.txt的下载地址（http://或https://开头）：");

} // namespace

const QString OnlineFormulaUpdate::kTitle = QStringLiteral("公式在线更新");

OnlineFormulaUpdate::OnlineFormulaUpdate(Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace), m_download(new HttpDownload(this))
{
    connect(m_download, &HttpDownload::progress, this, &OnlineFormulaUpdate::progress);
    connect(m_download, &HttpDownload::downloaded, this, &OnlineFormulaUpdate::downloaded);
    connect(m_download, &HttpDownload::failed, this, [this](const QString& message) {
        finish(Failure{message, kTitle});
    });
    connect(&m_planning, &JobSignals::finished, this, &OnlineFormulaUpdate::planned);
}

// The reading is stopped and waited for by its job.
OnlineFormulaUpdate::~OnlineFormulaUpdate() = default;

void OnlineFormulaUpdate::setIdleTimeout(std::chrono::milliseconds timeout)
{
    m_download->setIdleTimeout(timeout);
}

void OnlineFormulaUpdate::setDeadline(std::chrono::milliseconds deadline)
{
    m_download->setDeadline(deadline);
}

Result<QUrl> OnlineFormulaUpdate::checkedAddress(const QString& text)
{
    const QUrl url = QUrl::fromUserInput(text.trimmed());
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return Failure{
            QStringLiteral("“%1”不是可用的下载地址（应为http://或https://开头的网址）").arg(text.trimmed()),
            kTitle};
    return url;
}

Status OnlineFormulaUpdate::editAddress(Workspace& workspace)
{
    Settings& settings = workspace.settings();
    const std::optional<QString> typed =
        workspace.prompts().inputText(kAddressTitle, kAddressPrompt, settings.formulaDownloadUrl());
    if (!typed)
        return success();
    if (typed->trimmed().isEmpty()) {
        settings.setFormulaDownloadUrl(QString());
        return success();
    }
    const Result<QUrl> url = checkedAddress(*typed);
    if (!url)
        return url.failure();
    settings.setFormulaDownloadUrl(url->toString());
    return success();
}

Result<bool> OnlineFormulaUpdate::start(const std::optional<QUrl>& address)
{
    Q_ASSERT(!m_running);
    if (!m_workspace.prompts().question(kQuestionTitle, kQuestion))
        return false;
    QUrl url;
    if (address) {
        const Result<QUrl> checked = checkedAddress(address->toString());
        if (!checked)
            return checked.failure();
        url = *checked;
    } else {
        QString stored = m_workspace.settings().formulaDownloadUrl();
        if (stored.isEmpty()) {
            const std::optional<QString> typed =
                m_workspace.prompts().inputText(kAddressTitle, kAddressPrompt, QString());
            if (!typed || typed->trimmed().isEmpty())
                return false;
            stored = *typed;
        }
        const Result<QUrl> checked = checkedAddress(stored);
        if (!checked)
            return checked.failure();
        url = *checked;
        m_workspace.settings().setFormulaDownloadUrl(url.toString());
    }

    m_running = true;
    m_cancelled = false;
    m_outcome.reset();
    m_pending = OnlineFormulaUpdateOutcome{};
    m_download->start(url, HttpDownload::kFormulaFileMaxBytes);
    return true;
}

void OnlineFormulaUpdate::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    if (m_download->isRunning())
        m_download->cancel();
    else
        m_planning.cancel();
}

void OnlineFormulaUpdate::downloaded(const QByteArray& body)
{
    // The copy is written as it came, whatever its size, so the user can look at what arrived.
    m_pending.downloadedBytes = body.size();
    m_pending.savedFile = QDir(m_workspace.dataFolder()).filePath(QString::fromUtf8(kFileName));
    if (Status saved = TextFile::writeBytes(m_pending.savedFile, body); !saved) {
        finish(Failure{saved.error(), kTitle});
        return;
    }
    if (body.size() <= kMinimumBytes) {
        finish(Failure{QStringLiteral("下载的公式文件只有%1字节（应多于%2字节），没有导入公式")
                           .arg(body.size())
                           .arg(kMinimumBytes),
                       kTitle});
        return;
    }
    Q_EMIT importing();
    m_planning.start([body, position = m_workspace.currentPosition(),
                      kill = m_workspace.currentKindIsKill()](FormulaFileImport::PlanPromise& promise) {
        FormulaFileImport::prepareBytes(promise, body, position, kill);
    });
}

void OnlineFormulaUpdate::planned()
{
    const std::optional<Result<FormulaImportPlan>> plan = FormulaFileImport::prepared(m_planning);
    if (!plan || m_cancelled) {
        finish(Failure{QStringLiteral("公式在线更新已取消"), kTitle});
        return;
    }
    if (!*plan) {
        finish(Failure{plan->error(), kTitle});
        return;
    }
    const Result<FormulaImportOutcome> stored =
        FormulaFileImport(m_workspace).store(**plan, FormulaFileImport::Source::Download);
    if (!stored) {
        finish(stored.failure());
        return;
    }
    m_pending.imported = stored->imported;
    finish(m_pending);
}

void OnlineFormulaUpdate::finish(Result<OnlineFormulaUpdateOutcome> outcome)
{
    m_running = false;
    m_outcome = std::move(outcome);
    Q_EMIT finished();
}

} // namespace quorvel
