#pragma once

#include "core/Result.h"

#include <QStringList>

#include <optional>

namespace quorvel::cli {

// The words of a command line: options "--name VALUE..." are taken out by name, the rest are
// positional words in their order.
class CliArguments
{
public:
    explicit CliArguments(QStringList words);

    // Takes "--name" with its `valueCount` values out of the words. Empty when the option is
    // absent; fails when it lacks values or is given twice.
    Result<std::optional<QStringList>> takeOption(const QString& name, int valueCount);
    // Takes "--name" without values; fails when it is given twice.
    Result<bool> takeFlag(const QString& name);
    // The first word when it is not an option (a command or subcommand name).
    std::optional<QString> takeCommandWord();
    // The remaining words; fails on any option no command has taken.
    Result<QStringList> positional() const;

private:
    QStringList m_words;
};

bool isOptionWord(const QString& word);

} // namespace quorvel::cli
