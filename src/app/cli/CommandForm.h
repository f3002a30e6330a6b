#pragma once

#include "app/cli/CliArguments.h"
#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quorvel::cli {

// One option of a command form as the usage and the help show it.
struct OptionSpec
{
    QString name;       // "--position"
    QString value;      // what follows the name in the usage ("P", "kill|keep"); empty for a flag
    QString help;       // one line on what it does, its range and its default
    int valueCount = 1; // the words that follow the name
};

// "--name VALUE", as the usage shows an option.
QString optionUsage(const OptionSpec& option);

// Options of which a form takes at most one, or exactly one when `required` (a required option
// of its own is a group of one).
struct OptionGroup
{
    QStringList names;
    bool required = false;
    QString refusal; // the usage message when the rule is broken
};

// The words of a form that are not options.
struct PositionalSpec
{
    QString usage; // "FILE", "TEXT...", "ISSUE N1..N8"
    int minimum = 0;
    int maximum = 0; // -1: any number
    QString refusal; // the usage message when their number is wrong; a default one when empty
};

// One form of a command ("history import FILE [--per-day D] [--path manual|online]"): what the
// usage, the help, the manual page and the completion are made from.
struct FormSpec
{
    QString words; // the command and subcommand: "history import"
    PositionalSpec positional;
    std::vector<OptionSpec> options;
    std::vector<OptionGroup> groups;

    QString usage() const;
    // Checks the count of the positional words and the groups of the options given.
    Status checkPositional(const QStringList& words) const;
    Status checkGroups(const std::vector<bool>& given) const;
};

// The refusal of a command word none of `forms` takes: "history needs import, list, ... or
// missing", or "search takes options or score FILE" for a command that also runs without one.
QString subcommandRefusal(const std::vector<const FormSpec*>& forms);

// One declared option: its spec, and how its values are checked and stored into `Options`.
template <typename Options> struct Option
{
    OptionSpec spec;
    std::function<Status(Options&, const QStringList&)> store;
};

// A form whose options parse into the struct `Options` in one call: the declarations make both
// the parsing and the help, so neither can drift from the other.
template <typename Options> class CommandForm : public FormSpec
{
public:
    explicit CommandForm(QString formWords) { words = std::move(formWords); }

    CommandForm& operator<<(Option<Options> option)
    {
        options.push_back(option.spec);
        m_stores.push_back(std::move(option.store));
        return *this;
    }
    CommandForm& takes(PositionalSpec spec)
    {
        positional = std::move(spec);
        return *this;
    }
    CommandForm& takes(QStringList Options::*field, PositionalSpec spec)
    {
        positional = std::move(spec);
        m_positional = field;
        return *this;
    }
    CommandForm& operator<<(OptionGroup optionGroup)
    {
        groups.push_back(std::move(optionGroup));
        return *this;
    }

    // Takes every declared option out of the arguments, then the positional words; the first
    // refusal is the usage message.
    Result<Options> parse(CliArguments& arguments) const
    {
        std::vector<bool> given;
        Result<Options> parsed = take(arguments, given);
        if (!parsed)
            return parsed;
        const Result<QStringList> rest = arguments.positional();
        if (!rest)
            return rest.failure();
        if (Status counted = checkPositional(*rest); !counted)
            return counted.failure();
        if (Status grouped = checkGroups(given); !grouped)
            return grouped.failure();
        if (m_positional)
            (*parsed).*m_positional = *rest;
        return parsed;
    }
    // Takes the declared options only, leaving every other word (the global options, which stand
    // anywhere around the command).
    Result<Options> takeOptions(CliArguments& arguments) const
    {
        std::vector<bool> given;
        return take(arguments, given);
    }

private:
    Result<Options> take(CliArguments& arguments, std::vector<bool>& given) const
    {
        Options parsed{};
        for (std::size_t i = 0; i < options.size(); ++i) {
            const Result<std::optional<QStringList>> values =
                arguments.takeOption(options[i].name, options[i].valueCount);
            if (!values)
                return values.failure();
            given.push_back(values->has_value());
            if (!values->has_value())
                continue;
            if (Status stored = m_stores[i](parsed, **values); !stored)
                return stored.failure();
        }
        return parsed;
    }

    std::vector<std::function<Status(Options&, const QStringList&)>> m_stores;
    QStringList Options::*m_positional = nullptr;
};

// The parsed options of a form that has none.
struct NoOptions
{
};

// Checks of one value word, shared by the declarations; each returns the usage refusal.
namespace OptionValue {
Result<qint64> wholeNumber(const QString& text, qint64 minimum, qint64 maximum, const QString& refusal);
Result<int> choiceIndex(const QString& text, const QStringList& choices, const QString& name);
} // namespace OptionValue

namespace OptionKinds {

template <typename Field, typename Value> void assign(std::optional<Field>& field, Value&& value)
{
    field = Field(std::forward<Value>(value));
}
template <typename Field, typename Value> void assign(Field& field, Value&& value)
{
    field = Field(std::forward<Value>(value));
}

// An option whose words `read` turns into the value of `field` (or refuses).
template <typename Options, typename Field, typename Read>
Option<Options> value(OptionSpec spec, Field Options::*field, Read read)
{
    return {std::move(spec), [field, read](Options& options, const QStringList& words) -> Status {
                auto checked = read(words);
                if (!checked)
                    return checked.failure();
                assign(options.*field, std::move(*checked));
                return success();
            }};
}

// "--name": present or not.
template <typename Options> Option<Options> flag(QString name, bool Options::*field, QString help)
{
    return {OptionSpec{std::move(name), QString(), std::move(help), 0},
            [field](Options& options, const QStringList&) {
                options.*field = true;
                return success();
            }};
}

// "--name VALUE" taken as it is.
template <typename Options, typename Field>
Option<Options> text(QString name, QString valueName, Field Options::*field, QString help)
{
    return value(OptionSpec{std::move(name), std::move(valueName), std::move(help)}, field,
                 [](const QStringList& words) { return Result<QString>(words.first()); });
}

// "--name N": a whole number in [minimum, maximum]; `refusal` replaces the default message.
template <typename Options, typename Field>
Option<Options> wholeNumber(QString name, QString valueName, Field Options::*field, qint64 minimum,
                            qint64 maximum, QString help, QString refusal = QString())
{
    if (refusal.isEmpty())
        refusal = QStringLiteral("%1 takes a whole number %2..%3").arg(name).arg(minimum).arg(maximum);
    return value(OptionSpec{std::move(name), std::move(valueName), std::move(help)}, field,
                 [minimum, maximum, refusal](const QStringList& words) {
                     return OptionValue::wholeNumber(words.first(), minimum, maximum, refusal);
                 });
}

// "--name a|b|...": one of the named choices, stored as the value paired with it.
template <typename Options, typename Field, typename Value>
Option<Options> choice(QString name, Field Options::*field, std::vector<std::pair<QString, Value>> choices,
                       QString help)
{
    QStringList names;
    for (const auto& entry : choices)
        names << entry.first;
    OptionSpec spec{name, names.join(QLatin1Char('|')), std::move(help)};
    return value(std::move(spec), field, [names, choices, name](const QStringList& words) -> Result<Value> {
        const Result<int> at = OptionValue::choiceIndex(words.first(), names, name);
        if (!at)
            return at.failure();
        return choices[std::size_t(*at)].second;
    });
}

// "--name on|off".
template <typename Options, typename Field>
Option<Options> onOff(QString name, Field Options::*field, QString help)
{
    return choice(
        std::move(name), field,
        std::vector<std::pair<QString, bool>>{{QStringLiteral("on"), true}, {QStringLiteral("off"), false}},
        std::move(help));
}

} // namespace OptionKinds
} // namespace quorvel::cli
