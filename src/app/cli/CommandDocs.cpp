#include "app/cli/CommandDocs.h"

#include "app/cli/CommandTable.h"

#include <QStringList>

#include <vector>

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

// An option as the manual page sets it: the name in bold, its value in italics.
QString roffOption(const OptionSpec& option)
{
    QString text = QStringLiteral("\\fB") + roff(option.name) + QStringLiteral("\\fR");
    if (!option.value.isEmpty())
        text += QStringLiteral(" \\fI") + roff(option.value) + QStringLiteral("\\fR");
    return text;
}

// Each option with its help, as a tagged paragraph.
QStringList roffOptions(const std::vector<OptionSpec>& options)
{
    QStringList lines;
    for (const OptionSpec& option : options)
        lines << QStringLiteral(".TP") << roffOption(option) << roff(option.help);
    return lines;
}

QStringList namesOf(const std::vector<OptionSpec>& options)
{
    QStringList names;
    for (const OptionSpec& option : options)
        names << option.name;
    return names;
}

// The words that may follow a command: the second word of its forms (import, list...).
QStringList subcommandsOf(const CliCommand& command)
{
    QStringList words;
    for (const FormSpec* form : command.forms()) {
        const QStringList parts = form->words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() > 1 && !words.contains(parts[1]))
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
         << QStringLiteral(".B quorvel\\-cli") << QStringLiteral("\\fICOMMAND\\fR \\-\\-help")
         << QStringLiteral(".br") << QStringLiteral(".B quorvel\\-cli")
         << QStringLiteral("\\-\\-help | \\-\\-version") << QStringLiteral(".SH DESCRIPTION")
         << QStringLiteral("Runs the operations of the window program on the same data folder, for scripts "
                           "and long jobs. Output lines have their fields separated by one TAB. A file "
                           "the program writes into the data folder has its full path as the last line "
                           "of the output.")
         << QStringLiteral(".SH GLOBAL OPTIONS");
    page << roffOptions(globalForm().options) << QStringLiteral(".SH COMMANDS");
    for (const CliCommand& command : commandTable()) {
        page << QStringLiteral(".SS ") + roff(command.name) << roff(command.summary);
        for (const FormSpec* form : command.forms())
            page << QStringLiteral(".PP")
                 << QStringLiteral("\\fB") + roff(form->usage()) + QStringLiteral("\\fR");
        page << roffOptions(optionsOf(command)) << QStringLiteral(".PP");
    }
    page << QStringLiteral(".SH EXIT STATUS")
         << QStringLiteral(
                "0 on success, 2 on a usage error, 1 on any other error, with a one\\-line message "
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
        cases << QStringLiteral("        %1) words=\"%2 %3 --help\" ;;")
                     .arg(command.name, subcommandsOf(command).join(QLatin1Char(' ')),
                          namesOf(optionsOf(command)).join(QLatin1Char(' ')));
    }
    const QString globals = namesOf(globalForm().options).join(QLatin1Char(' '));
    // The global options that take a value, whose value is no command.
    QStringList valued;
    for (const OptionSpec& option : globalForm().options) {
        if (option.valueCount > 0)
            valued << option.name;
    }
    return QStringLiteral(
               "# bash completion for quorvel-cli: its commands, and each command's words and options.\n"
               "_quorvel_cli()\n"
               "{\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} command= i word words\n"
               "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
               "        word=${COMP_WORDS[i]}\n"
               "        case $word in\n"
               "            %4) ((i++)) ;;\n"
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
        .arg(names.join(QLatin1Char(' ')), globals, cases.join(QLatin1Char('\n')),
             valued.join(QStringLiteral(" | ")));
}

} // namespace quorvel::cli
