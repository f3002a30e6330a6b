#include "ui/OperationProgress.h"

#include "core/Job.h"

#include <QProgressBar>
#include <QProgressDialog>

#include <algorithm>
#include <vector>

namespace quorvel {

namespace {

// The progress dialogs open at this moment, all on the UI thread.
std::vector<OperationProgress*>& openProgress()
{
    static std::vector<OperationProgress*> open;
    return open;
}

} // namespace

OperationProgress::OperationProgress(QWidget* window, const Options& options)
    : QObject(window), m_modal(options.modal)
{
    m_dialog = new QProgressDialog(options.label, QStringLiteral("取消"), 0, options.maximum, window);
    m_dialog->setObjectName(options.objectName);
    m_dialog->setWindowTitle(options.title);
    m_dialog->setWindowModality(options.modal ? Qt::WindowModal : Qt::NonModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(options.delayMs);
    connect(m_dialog, &QProgressDialog::canceled, this, &OperationProgress::cancelled);
    openProgress().push_back(this);
    if (options.delayMs == 0)
        m_dialog->show();
    else
        m_dialog->setValue(0); // starts the dialog's own delay
}

OperationProgress::~OperationProgress()
{
    close();
}

void OperationProgress::follow(const JobSignals& job)
{
    connect(&job, &JobSignals::progressRangeChanged, this, &OperationProgress::setRange);
    connect(&job, &JobSignals::progressValueChanged, this, &OperationProgress::setValue);
    connect(&job, &JobSignals::progressTextChanged, this, &OperationProgress::setLabelText);
}

void OperationProgress::follow(const JobSignals& job, QProgressBar* bar)
{
    connect(&job, &JobSignals::progressRangeChanged, bar, &QProgressBar::setRange);
    connect(&job, &JobSignals::progressValueChanged, bar, &QProgressBar::setValue);
}

void OperationProgress::setLabelText(const QString& text)
{
    if (m_dialog)
        m_dialog->setLabelText(text);
}

void OperationProgress::setRange(int minimum, int maximum)
{
    if (m_dialog)
        m_dialog->setRange(minimum, maximum);
}

void OperationProgress::setValue(int value)
{
    if (m_dialog)
        m_dialog->setValue(value);
}

int OperationProgress::maximum() const
{
    return m_dialog ? m_dialog->maximum() : 0;
}

void OperationProgress::removeCancelButton()
{
    if (m_dialog)
        m_dialog->setCancelButton(nullptr);
}

QProgressDialog* OperationProgress::dialog() const
{
    return m_dialog;
}

bool OperationProgress::isOpen() const
{
    return m_dialog != nullptr;
}

void OperationProgress::close()
{
    auto& open = openProgress();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (!m_dialog)
        return;
    QProgressDialog* dialog = m_dialog;
    m_dialog = nullptr;
    // Hiding a progress dialog emits nothing, but its delay timer could still show it again:
    // disconnected and deleted, it can neither come back nor count as Cancel.
    dialog->disconnect(this);
    dialog->reset();
    dialog->hide();
    dialog->deleteLater();
}

void OperationProgress::closeModal()
{
    const std::vector<OperationProgress*> open = openProgress();
    for (OperationProgress* progress : open) {
        if (progress->m_modal)
            progress->close();
    }
}

} // namespace quorvel
