#include "ui/SpreadsheetExportRunner.h"

#include "core/ThreadStart.h"
#include "ui/FailureNotice.h"
#include "ui/OperationProgress.h"

#include <QFileInfo>
#include <QWidget>

namespace quorvel {

namespace {
// The dialog appears only for an export that takes longer than this.
constexpr int kProgressDelayMs = 1000;
} // namespace

SpreadsheetExportRunner::SpreadsheetExportRunner(Workspace& workspace, Prompts& prompts, QWidget* window)
    : QObject(window), m_workspace(workspace), m_prompts(prompts), m_window(window)
{
    connect(&m_writing, &JobSignals::finished, this, &SpreadsheetExportRunner::done);
}

// The worker reads only its own job; the runner's job is stopped and waited for, so nothing
// outlives the window that started it.
SpreadsheetExportRunner::~SpreadsheetExportRunner() = default;

bool SpreadsheetExportRunner::start(SpreadsheetJob job)
{
    if (m_job)
        return false;
    m_job = std::move(job);

    // Not modal: the window stays usable, and the export writes its own snapshot meanwhile.
    m_dialog = new OperationProgress(m_window, {m_job->failureTitle,
                                                QStringLiteral("正在导出 %1 ...").arg(QFileInfo(m_job->path).fileName()),
                                                QStringLiteral("exportProgress"),
                                                SpreadsheetExport::progressUnits(*m_job), false, kProgressDelayMs});
    m_dialog->follow(m_writing);
    connect(m_dialog, &OperationProgress::cancelled, &m_writing, [this] { m_writing.cancel(); });
    // The text changes when the packing of the file begins, which cannot be stopped.
    connect(&m_writing, &JobSignals::progressTextChanged, m_dialog, &OperationProgress::removeCancelButton);

    m_writing.start([job = *m_job](QPromise<Status>& promise) { SpreadsheetExport::write(promise, job); });
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
    const bool written = m_writing.hasResult() && m_writing.result().ok();
    if (written) {
        SpreadsheetExport(m_workspace).show(job);
    } else if (m_writing.ranOutOfMemory()) {
        reportFailure(m_prompts, Status(Failure{outOfMemoryMessage()}), job.failureTitle);
    } else if (m_writing.hasResult()) {
        reportFailure(m_prompts, m_writing.result(), job.failureTitle);
    }
    // A cancelled export leaves the earlier file and is not reported.
    Q_EMIT finished(written);
}

} // namespace quorvel
