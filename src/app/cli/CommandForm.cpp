#include "app/cli/CommandForm.h"

namespace quorvel::cli {

namespace {

const OptionGroup* groupOf(const std::vector<OptionGroup>& groups, const QString& name)
{
    for (const OptionGroup& group : groups) {
        if (group.names.contains(name))
            return &group;
    }
    return nullptr;
}

} // namespace

QString optionUsage(const OptionSpec& option)
{
    return option.value.isEmpty() ? option.name : option.name + QLatin1Char(' ') + option.value;
}

QString FormSpec::usage() const
{
    QStringList parts;
    if (!words.isEmpty())
        parts << words;
    if (!positional.usage.isEmpty())
        parts << positional.usage;
    for (const OptionSpec& option : options) {
        const OptionGroup* group = groupOf(groups, option.name);
        if (!group) {
            parts << QLatin1Char('[') + optionUsage(option) + QLatin1Char(']');
            continue;
        }
        // A group stands where its first option is declared.
        if (group->names.first() != option.name)
            continue;
        QStringList members;
        for (const QString& name : group->names) {
            for (const OptionSpec& member : options) {
                if (member.name == name)
                    members << optionUsage(member);
            }
        }
        const QString alternatives = members.join(QStringLiteral(" | "));
        if (!group->required)
            parts << QLatin1Char('[') + alternatives + QLatin1Char(']');
        else if (members.size() == 1)
            parts << alternatives;
        else
            parts << QLatin1Char('(') + alternatives + QLatin1Char(')');
    }
    return parts.join(QLatin1Char(' '));
}

Status FormSpec::checkPositional(const QStringList& given) const
{
    const int count = int(given.size());
    if (count >= positional.minimum && (positional.maximum < 0 || count <= positional.maximum))
        return success();
    if (!positional.refusal.isEmpty())
        return Failure{positional.refusal};
    if (positional.maximum == 0)
        return Failure{QStringLiteral("%1 takes no positional arguments").arg(words)};
    if (positional.maximum == positional.minimum)
        return Failure{QStringLiteral("%1 takes %2 positional arguments").arg(words).arg(positional.minimum)};
    if (positional.maximum < 0)
        return Failure{
            QStringLiteral("%1 takes at least %2 positional arguments").arg(words).arg(positional.minimum)};
    return Failure{QStringLiteral("%1 takes %2..%3 positional arguments")
                       .arg(words)
                       .arg(positional.minimum)
                       .arg(positional.maximum)};
}

Status FormSpec::checkGroups(const std::vector<bool>& given) const
{
    for (const OptionGroup& group : groups) {
        int count = 0;
        for (std::size_t i = 0; i < options.size() && i < given.size(); ++i) {
            if (given[i] && group.names.contains(options[i].name))
                ++count;
        }
        if (count > 1 || (group.required && count == 0))
            return Failure{group.refusal};
    }
    return success();
}

QString subcommandRefusal(const std::vector<const FormSpec*>& forms)
{
    const QString command = forms.front()->words.section(QLatin1Char(' '), 0, 0);
    bool runsBare = false;
    QStringList subcommands;
    for (const FormSpec* form : forms) {
        const QString subcommand = form->words.section(QLatin1Char(' '), 1);
        if (subcommand.isEmpty())
            runsBare = true;
        else if (runsBare)
            subcommands << (form->positional.usage.isEmpty()
                                ? subcommand
                                : subcommand + QLatin1Char(' ') + form->positional.usage);
        else if (!subcommands.contains(subcommand))
            subcommands << subcommand;
    }
    const QString last = subcommands.takeLast();
    const QString choices =
        subcommands.isEmpty() ? last : subcommands.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return runsBare ? QStringLiteral("%1 takes options or %2").arg(command, choices)
                    : QStringLiteral("%1 needs %2").arg(command, choices);
}

namespace OptionValue {

Result<qint64> wholeNumber(const QString& text, qint64 minimum, qint64 maximum, const QString& refusal)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        return Failure{refusal};
    return value;
}

Result<int> choiceIndex(const QString& text, const QStringList& choices, const QString& name)
{
    const qsizetype at = choices.indexOf(text);
    if (at < 0)
        return Failure{QStringLiteral("option %1 takes %2").arg(name, choices.join(QLatin1Char('|')))};
    return int(at);
}

} // namespace OptionValue
} // namespace quorvel::cli
