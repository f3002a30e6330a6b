#include "ui/SpreadsheetExportRunner.h"

#include "core/ThreadStart.h"

#include "ui/FailureNotice.h"
#include "ui/OperationProgress.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QWidget>
#include <QtConcurrent>

namespace quorvel {

namespace {
// The dialog appears only for an export that takes longer than this.
constexpr int kProgressDelayMs = 1000;
} // namespace

SpreadsheetExportRunner::SpreadsheetExportRunner(Workspace& workspace, Prompts& prompts, QWidget* window)
    : QObject(window), m_workspace(workspace), m_prompts(prompts), m_window(window)
{
    m_watcher = new QFutureWatcher<void>(this);
    connect(m_watcher, &QFutureWatcher<void>::finished, this, &SpreadsheetExportRunner::done);
    connect(m_watcher, &QFutureWatcher<void>::progressRangeChanged, this, [this](int minimum, int maximum) {
        if (m_dialog)
            m_dialog->setRange(minimum, maximum);
    });
    connect(m_watcher, &QFutureWatcher<void>::progressValueChanged, this, [this](int value) {
        if (!m_dialog || value >= m_dialog->maximum())
            return;
        m_dialog->setValue(value);
        if (m_job && value >= m_job->sheet.rowCount)
            m_dialog->setLabelText(QStringLiteral("正在保存 %1 ...").arg(QFileInfo(m_job->path).fileName()));
    });
}

SpreadsheetExportRunner::~SpreadsheetExportRunner()
{
    // The worker reads only its own job; it is stopped and waited for, so nothing outlives the
    // window that started it.
    if (m_job) {
        m_watcher->disconnect(this);
        m_watcher->cancel();
        m_watcher->waitForFinished();
    }
}

bool SpreadsheetExportRunner::start(SpreadsheetJob job)
{
    if (m_job)
        return false;
    if (!threadCanStart()) {
        reportFailure(m_prompts, Status(Failure{outOfMemoryMessage()}), job.failureTitle);
        Q_EMIT finished(false);
        return true;
    }
    m_job = std::move(job);
    m_cancelled = false;
    m_result = std::make_shared<std::optional<Status>>();

    // Not modal: the window stays usable, and the export writes its own snapshot meanwhile.
    m_dialog = new OperationProgress(m_window, {m_job->failureTitle,
                                                QStringLiteral("正在导出 %1 ...").arg(QFileInfo(m_job->path).fileName()),
                                                QStringLiteral("exportProgress"),
                                                SpreadsheetExport::progressUnits(*m_job), false, kProgressDelayMs});
    connect(m_dialog, &OperationProgress::cancelled, this, [this] {
        m_cancelled = true;
        m_watcher->cancel();
    });

    const SpreadsheetJob worked = *m_job;
    const std::shared_ptr<std::optional<Status>> result = m_result;
    m_watcher->setFuture(QtConcurrent::run([worked, result](QPromise<void>& promise) {
        *result = SpreadsheetExport::write(worked, [&promise](int done, int total) {
            if (done == 0)
                promise.setProgressRange(0, total);
            promise.setProgressValue(done);
            return !promise.isCanceled();
        });
    }));
    return true;
}

void SpreadsheetExportRunner::done()
{
    if (m_dialog) {
        m_dialog->close();
        m_dialog->deleteLater();
    }
    const SpreadsheetJob job = std::move(*m_job);
    m_job.reset();
    const std::optional<Status> result = std::move(*m_result);
    const bool written = result && result->ok();
    if (written) {
        // Also when Cancel came too late to stop it: the file is there, whole.
        SpreadsheetExport(m_workspace).show(job);
    } else if (!m_cancelled) {
        // A stopped export leaves the earlier file and is not reported.
        reportFailure(m_prompts, result ? *result : Status(Failure{QStringLiteral("导出没有完成")}),
                      job.failureTitle);
    }
    Q_EMIT finished(written);
}

} // namespace quorvel
