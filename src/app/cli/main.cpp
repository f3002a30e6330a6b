// quorvel-cli: the program's own operations from the command line, for scripts and tests.

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/EvalCommand.h"
#include "app/cli/FormulasCommand.h"
#include "app/cli/HistoryCommand.h"
#include "app/cli/ParamsCommand.h"
#include "app/cli/VerifyCommand.h"

#include <QCoreApplication>

using namespace quorvel::cli;

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));

    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    CliArguments arguments(words);
    const CliContext plain{QString(), QString()};

    const auto dataFolder = arguments.takeOption(QStringLiteral("--data-dir"), 1);
    if (!dataFolder)
        return plain.usage(dataFolder.error());
    const auto settingsFile = arguments.takeOption(QStringLiteral("--settings-file"), 1);
    if (!settingsFile)
        return plain.usage(settingsFile.error());
    const CliContext context(dataFolder->value_or(QStringList{QString()}).first(),
                             settingsFile->value_or(QStringList{QString()}).first());

    const std::optional<QString> command = arguments.takeCommandWord();
    if (!command)
        return context.usage(QStringLiteral("no command given"));
    if (*command == QLatin1String("params"))
        return ParamsCommand::run(context, arguments);
    if (*command == QLatin1String("history"))
        return HistoryCommand::run(context, arguments);
    if (*command == QLatin1String("formulas"))
        return FormulasCommand::run(context, arguments);
    if (*command == QLatin1String("eval"))
        return EvalCommand::run(context, arguments);
    if (*command == QLatin1String("verify"))
        return VerifyCommand::run(context, arguments);
    return context.usage(QStringLiteral("unknown command %1").arg(*command));
}
