#include "ui/Application.h"

#include "core/BuildInfo.h"
#include "core/WriteError.h"
#include "ui/OperationProgress.h"
#include "ui/Translations.h"

#include <QException>
#include <QFont>
#include <QFontDatabase>
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

// On systems whose default font has no Chinese glyphs, fall back to a CJK font when one is
// installed, so captions and formulas render instead of showing boxes.
void addChineseFontFallback(QApplication& app)
{
    static const QStringList candidates{QStringLiteral("WenQuanYi Micro Hei"),
                                        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"),
                                        QStringLiteral("SimSun")};
    const QStringList installed = QFontDatabase::families();
    QStringList families{app.font().family()};
    for (const QString& candidate : candidates) {
        if (installed.contains(candidate))
            families << candidate;
    }
    if (families.size() == 1)
        return;
    QFont font = app.font();
    font.setFamilies(families);
    app.setFont(font);
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    WriteError::failWritesPastSizeLimit();
    setOrganizationName(QStringLiteral("Quorvel"));
    setApplicationName(QStringLiteral("Quorvel"));
    setApplicationVersion(BuildInfo::version());
    addChineseFontFallback(*this);
    installChineseTranslations(*this);
}

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
