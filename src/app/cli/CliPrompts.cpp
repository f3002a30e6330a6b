#include "app/cli/CliPrompts.h"

#include "app/cli/CliContext.h"

#include <QDir>

namespace quorvel::cli {

CliPrompts::CliPrompts(const CliContext& context) : m_context(context) {}

void CliPrompts::setSubject(const QString& subject)
{
    m_subject = subject;
}

void CliPrompts::notice(const QString& title, const QString& message)
{
    ++m_noticeCount;
    const QString text = title + QStringLiteral(": ") + message;
    m_context.printError(m_subject.isEmpty() ? text : m_subject + QStringLiteral(": ") + text);
}

bool CliPrompts::question(const QString&, const QString&)
{
    return false;
}

std::optional<QString> CliPrompts::inputText(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

QString CliPrompts::openFileName(const QString&, const QString&, const QString&)
{
    return QString();
}

void CliPrompts::showFile(const QString& path)
{
    m_context.printError(QStringLiteral("written: ") + QDir::toNativeSeparators(path));
}

void CliPrompts::openUrl(const QUrl& url)
{
    m_context.printError(QStringLiteral("see: ") + url.toString());
}

} // namespace quorvel::cli
