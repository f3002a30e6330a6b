#include "app/cli/CliPrompts.h"

#include "app/cli/CliContext.h"

namespace quorvel::cli {

CliPrompts::CliPrompts(const CliContext& context, bool answerYes) : m_context(context), m_answerYes(answerYes)
{
}

void CliPrompts::notice(const QString& title, const QString& message)
{
    m_context.printError(title + QStringLiteral(": ") + message);
}

bool CliPrompts::question(const QString&, const QString&, DefaultButton)
{
    return m_answerYes;
}

std::optional<QString> CliPrompts::inputText(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

QString CliPrompts::openFileName(const QString&, const QString&, const QString&)
{
    return QString();
}

} // namespace quorvel::cli
