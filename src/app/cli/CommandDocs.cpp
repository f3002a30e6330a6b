#include "app/cli/CommandDocs.h"

#include "app/cli/CommandTable.h"

#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace quorvel::cli {

namespace {

// Text set in roff: backslashes kept, minus signs meant as such, no line taken for a request.
QString roff(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    escaped.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (escaped.startsWith(QLatin1Char('.')) || escaped.startsWith(QLatin1Char('\'')))
        escaped.prepend(QStringLiteral("\\&"));
    return escaped;
}

// The options a command's forms name, in the order they first appear.
QStringList optionsOf(const QStringList& forms)
{
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    QStringList options;
    for (const QString& form : forms) {
        for (const QRegularExpressionMatch& match : option.globalMatch(form)) {
            if (!options.contains(match.captured()))
                options << match.captured();
        }
    }
    return options;
}

// The words that may follow a command: the lower-case second word of its forms (import, list...).
QStringList subcommandsOf(const QStringList& forms)
{
    static const QRegularExpression word(QStringLiteral("^[a-z]+$"));
    QStringList words;
    for (const QString& form : forms) {
        const QStringList parts = form.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() > 1 && word.match(parts[1]).hasMatch() && !words.contains(parts[1]))
            words << parts[1];
    }
    return words;
}

} // namespace

QString manualPage(const QString& version)
{
    QStringList page;
    page << QStringLiteral(".TH QUORVEL\\-CLI 1 \"\" \"Quorvel %1\" \"User Commands\"").arg(roff(version))
         << QStringLiteral(".SH NAME")
         << QStringLiteral("quorvel\\-cli \\- the command\\-line companion of Quorvel, the Happy Ten formula "
                           "analysis program")
         << QStringLiteral(".SH SYNOPSIS") << QStringLiteral(".B quorvel\\-cli")
         << roff(globalOptionsUsage()) + QStringLiteral(" \\fICOMMAND\\fR ...") << QStringLiteral(".br")
         << QStringLiteral(".B quorvel\\-cli") << QStringLiteral("\\-\\-help | \\-\\-version")
         << QStringLiteral(".SH DESCRIPTION")
         << QStringLiteral("Runs the operations of the window program on the same data folder, for scripts "
                           "and long jobs. Output lines have their fields separated by one TAB. A file "
                           "the program writes into the data folder has its full path as the last line "
                           "of the output.")
         << QStringLiteral(".SH GLOBAL OPTIONS") << QStringLiteral(".TP")
         << QStringLiteral("\\fB\\-\\-data\\-dir\\fR \\fIDIR\\fR")
         << QStringLiteral("Keep formula.db and the files the program writes in DIR (otherwise the per-user "
                           "data folder, or the program's own folder when it is writable and not "
                           "installed).")
         << QStringLiteral(".TP") << QStringLiteral("\\fB\\-\\-settings\\-file\\fR \\fIFILE\\fR")
         << QStringLiteral("Keep the settings in the ini file FILE instead of the user's settings store.")
         << QStringLiteral(".TP") << QStringLiteral("\\fB\\-\\-yes\\fR")
         << QStringLiteral("Answer every question of the operation with OK; without it, Cancel.")
         << QStringLiteral(".TP") << QStringLiteral("\\fB\\-\\-today\\fR \\fIYYYY\\-MM\\-DD\\fR")
         << QStringLiteral("Take this date as today.") << QStringLiteral(".SH COMMANDS");
    for (const CliCommand& command : commandTable()) {
        page << QStringLiteral(".SS ") + roff(command.name) << roff(command.summary);
        for (const QString& form : command.usage)
            page << QStringLiteral(".TP") << QStringLiteral("\\fB") + roff(form) + QStringLiteral("\\fR")
                 << QStringLiteral(".PP");
    }
    page << QStringLiteral(".SH EXIT STATUS")
         << QStringLiteral("0 on success, 2 on a usage error, 1 on any other error, with a one\\-line message "
                           "on standard error.")
         << QStringLiteral(".SH SEE ALSO") << QStringLiteral(".BR quorvel (1)");
    return page.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString bashCompletion()
{
    QStringList names;
    QStringList cases;
    for (const CliCommand& command : commandTable()) {
        names << command.name;
        cases << QStringLiteral("        %1) words=\"%2 %3\" ;;")
                     .arg(command.name, subcommandsOf(command.usage).join(QLatin1Char(' ')),
                          optionsOf(command.usage).join(QLatin1Char(' ')));
    }
    const QString globals = optionsOf({globalOptionsUsage()}).join(QLatin1Char(' '));
    return QStringLiteral(
               "# bash completion for quorvel-cli: its commands, and each command's words and options.\n"
               "_quorvel_cli()\n"
               "{\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} command= i word words\n"
               "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
               "        word=${COMP_WORDS[i]}\n"
               "        case $word in\n"
               "            --data-dir | --settings-file | --today) ((i++)) ;;\n"
               "            -*) ;;\n"
               "            *) command=$word; break ;;\n"
               "        esac\n"
               "    done\n"
               "    if [ -z \"$command\" ]; then\n"
               "        words=\"%1 %2 --help --version\"\n"
               "    else\n"
               "        case $command in\n"
               "%3\n"
               "        *) words= ;;\n"
               "        esac\n"
               "        words=\"$words %2\"\n"
               "    fi\n"
               "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
               "}\n"
               "complete -o default -F _quorvel_cli quorvel-cli\n")
        .arg(names.join(QLatin1Char(' ')), globals, cases.join(QLatin1Char('\n')));
}

} // namespace quorvel::cli
