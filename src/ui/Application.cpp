#include "ui/Application.h"

#include "ui/OperationProgress.h"

#include <QException>
#include <QMessageBox>

#include <exception>
#include <new>

namespace quorvel {

namespace {

bool isOutOfMemory(const std::exception_ptr& exception)
{
    if (!exception)
        return false;
    try {
        std::rethrow_exception(exception);
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
    } catch (const QUnhandledException& unhandled) {
        // A worker's failed allocation reaches the UI thread when its result is read.
        if (!isOutOfMemory(unhandled.exception()))
            throw;
        reportOutOfMemory();
    }
    return false;
}

void Application::reportOutOfMemory()
{
    // One message at a time, however many events fail while it is shown.
    if (m_reporting)
        return;
    m_reporting = true;
    OperationProgress::closeModal();
    QMessageBox::critical(activeWindow(), QStringLiteral("内存不足"),
                          QStringLiteral("内存不足，操作没有完成，没有保存不完整的结果。"));
    m_reporting = false;
}

} // namespace quorvel
