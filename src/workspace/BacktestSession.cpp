#include "workspace/BacktestSession.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "core/ThreadStart.h"
#include "workspace/PredictionRun.h"
#include "workspace/Workspace.h"

namespace quorvel {

namespace {

QString keyCaption(SortKey key)
{
    switch (key) {
    case SortKey::MaxMisses:
        return QStringLiteral("最大连错");
    case SortKey::MaxHits:
        return QStringLiteral("最大连对");
    case SortKey::LastMisses:
        return QStringLiteral("最后连错");
    }
    return QString();
}

} // namespace

BacktestSession::BacktestSession(Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace)
{
    connect(&m_job, &JobSignals::finished, this, &BacktestSession::ended);
}

BacktestSession::Request BacktestSession::shownRequest(int targets, const PredictionState& state) const
{
    return {targets, PredictionRun::chosenMethod(m_workspace.settings()),
            ListSelection{m_workspace.formulaList().selectionMarks(), true},
            state.bestFormulaSettings().value_or(BestFormulaSettings{})};
}

QString BacktestSession::description(const PredictionState& state) const
{
    const PredictionMethod method = PredictionRun::chosenMethod(m_workspace.settings());
    const VerificationSettings verification = m_workspace.verificationSettings();
    QString text = QStringLiteral("按主窗口的设置回测：第一至%1位，%2码公式，")
                       .arg(positionName(m_workspace.currentPosition()),
                            m_workspace.currentKindIsKill() ? QStringLiteral("杀") : QStringLiteral("留"));
    if (method == PredictionMethod::SelectedFormulas) {
        text += QStringLiteral("计算选中公式（每位取第一名）");
    } else {
        const BestFormulaSettings best = state.bestFormulaSettings().value_or(BestFormulaSettings{});
        text += QStringLiteral("最优公式法（按%1、%2、%3排序，限额%4%5）")
                    .arg(keyCaption(best.keys[0]), keyCaption(best.keys[1]), keyCaption(best.keys[2]))
                    .arg(best.quota)
                    .arg(state.bestFormulaSettings() ? QString()
                                                     : QStringLiteral("，排序设置尚未确定，用初始设置"));
    }
    text += verification.periods == 0
                ? QStringLiteral("，排序统计用目标期之前的所有期")
                : QStringLiteral("，排序统计用目标期之前的%1期").arg(verification.periods);
    text += QStringLiteral(
        "。选号是公式认为会开出的号码（杀码公式取被杀最少的号码），"
        "选号等于该位开出的号码即为正确，随机选号正确的机会是二十分之一；没有公式计入的位置不选号。");
    return text;
}

Result<Job<BacktestResult>::Work> BacktestSession::work(const Request& request) const
{
    return m_workspace.withStorage([&](Database& database) -> Result<Job<BacktestResult>::Work> {
        BacktestParams params;
        params.method = request.method;
        params.kill = m_workspace.currentKindIsKill();
        params.shownPosition = m_workspace.currentPosition();
        params.selection = request.selection;
        params.quota = request.best.quota;
        params.keys = request.best.keys;
        const VerificationSettings verification = m_workspace.verificationSettings();
        params.periods = verification.periods;
        params.excludeCurrentPeriod = verification.excludeCurrentPeriod;
        params.targets = request.targets;
        Result<PredictionRun::Tables> tables =
            PredictionRun::readTables(database, params.shownPosition, params.kill, /*withStatistics=*/false);
        if (!tables)
            return tables.failure();
        params.tables = std::move(*tables);
        return Job<BacktestResult>::Work(
            [history = m_workspace.history(), params = std::move(params)](QPromise<BacktestResult>& promise) {
                Backtest::run(promise, history, params);
            });
    });
}

Status BacktestSession::start(const Request& request)
{
    if (isRunning())
        return success();
    const Result<Job<BacktestResult>::Work> replay = work(request);
    if (!replay)
        return replay.failure();
    m_job.start(*replay);
    return success();
}

Result<BacktestResult> BacktestSession::run(const Request& request)
{
    const Result<Job<BacktestResult>::Work> replay = work(request);
    if (!replay)
        return replay.failure();
    m_job.run(*replay);
    if (!m_completed)
        return Failure{outOfMemoryMessage()};
    return *m_result;
}

void BacktestSession::cancel()
{
    m_job.cancel();
}

void BacktestSession::ended()
{
    m_completed = m_job.hasResult() && !m_job.isCanceled();
    if (m_completed)
        m_result = m_job.result();
    Q_EMIT finished();
}

} // namespace quorvel
