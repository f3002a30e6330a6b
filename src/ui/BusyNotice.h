#pragma once

#include "core/BusyWait.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QLabel;
class QMainWindow;

namespace quorvel {

// What the window shows while the database is held by another program: the wait cursor at once
// and, after a second, "数据库正被另一个程序使用，正在等待…" in the status bar (in a small window of
// its own before the main window is there). Both go away once the wait is over and the window is
// back in its event loop. The wait itself happens inside SQLite, so nothing here touches the
// database or lets other events run (except before the main window exists, to paint the notice).
class BusyNotice : public QObject, public BusyWait::Observer
{
    Q_OBJECT
public:
    explicit BusyNotice(QObject* parent = nullptr);
    ~BusyNotice() override;

    void setWindow(QMainWindow* window) { m_window = window; }
    void waiting(const QString& filePath, qint64 elapsedMs) override;

    bool isWaiting() const { return m_active; }
    // The message shown during the last wait that lasted long enough (for the tests).
    QString lastMessage() const { return m_lastMessage; }

private:
    void end();

    QPointer<QMainWindow> m_window;
    QTimer m_end;
    bool m_active = false;
    bool m_messageShown = false;
    QString m_lastMessage;
    std::unique_ptr<QLabel> m_standalone;
};

} // namespace quorvel
