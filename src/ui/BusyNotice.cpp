#include "ui/BusyNotice.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QThread>

namespace quorvel {

BusyNotice::BusyNotice(QObject* parent) : QObject(parent)
{
    // The wait is over when no call has come for a while: the timer only runs once control is
    // back in the event loop, that is, after the statement that waited has finished.
    m_end.setSingleShot(true);
    m_end.setInterval(250);
    connect(&m_end, &QTimer::timeout, this, &BusyNotice::end);
    BusyWait::setObserver(this);
}

BusyNotice::~BusyNotice()
{
    BusyWait::setObserver(nullptr);
    if (m_active)
        QApplication::restoreOverrideCursor();
}

void BusyNotice::waiting(const QString& filePath, qint64 elapsedMs)
{
    // Only the window's own thread shows anything.
    if (QThread::currentThread() != thread())
        return;
    if (!m_active) {
        m_active = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    m_end.start();
    const bool hasWindow = m_window && m_window->isVisible();
    if (elapsedMs >= BusyWait::kNoticeAfterMs && !m_messageShown) {
        m_messageShown = true;
        m_lastMessage = BusyWait::kWaitingMessage;
        if (hasWindow) {
            m_window->statusBar()->showMessage(m_lastMessage);
            m_window->statusBar()->repaint();
        } else {
            m_standalone = std::make_unique<QLabel>(
                m_lastMessage + QStringLiteral("\n") + QDir::toNativeSeparators(filePath));
            m_standalone->setObjectName(QStringLiteral("busyNotice"));
            m_standalone->setWindowFlags(Qt::SplashScreen | Qt::WindowStaysOnTopHint);
            m_standalone->setMargin(16);
            m_standalone->show();
        }
    }
    // Before the main window exists nothing else is running: the notice may paint itself.
    if (m_standalone && !hasWindow)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BusyNotice::end()
{
    if (!m_active)
        return;
    m_active = false;
    QApplication::restoreOverrideCursor();
    if (m_messageShown && m_window && m_window->statusBar()->currentMessage() == BusyWait::kWaitingMessage)
        m_window->statusBar()->clearMessage();
    m_messageShown = false;
    m_standalone.reset();
}

} // namespace quorvel
