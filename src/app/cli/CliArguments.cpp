#include "app/cli/CliArguments.h"

#include <utility>

namespace quorvel::cli {

bool isOptionWord(const QString& word)
{
    return word.size() > 2 && word.startsWith(QLatin1String("--"));
}

CliArguments::CliArguments(QStringList words) : m_words(std::move(words)) {}

Result<std::optional<QStringList>> CliArguments::takeOption(const QString& name, int valueCount)
{
    const qsizetype at = m_words.indexOf(name);
    if (at < 0)
        return std::optional<QStringList>();
    if (m_words.indexOf(name, at + 1) >= 0)
        return Failure{QStringLiteral("option %1 given twice").arg(name)};
    if (at + valueCount >= m_words.size())
        return Failure{QStringLiteral("option %1 needs %2 value(s)").arg(name).arg(valueCount)};
    const QStringList values = m_words.mid(at + 1, valueCount);
    for (const QString& value : values) {
        if (isOptionWord(value))
            return Failure{QStringLiteral("option %1 needs %2 value(s)").arg(name).arg(valueCount)};
    }
    m_words.remove(at, valueCount + 1);
    return std::optional<QStringList>(values);
}

Result<bool> CliArguments::takeFlag(const QString& name)
{
    const qsizetype at = m_words.indexOf(name);
    if (at < 0)
        return false;
    if (m_words.indexOf(name, at + 1) >= 0)
        return Failure{QStringLiteral("option %1 given twice").arg(name)};
    m_words.removeAt(at);
    return true;
}

std::optional<QString> CliArguments::takeCommandWord()
{
    if (m_words.isEmpty() || isOptionWord(m_words.first()))
        return std::nullopt;
    return m_words.takeFirst();
}

Result<QStringList> CliArguments::positional() const
{
    for (const QString& word : m_words) {
        if (isOptionWord(word))
            return Failure{QStringLiteral("unknown option %1").arg(word)};
    }
    return m_words;
}

} // namespace quorvel::cli
