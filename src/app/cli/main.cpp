// quorvel-cli: the program's own operations from the command line, for scripts and tests.

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandTable.h"
#include "core/BuildInfo.h"
#include "core/BusyWait.h"
#include "core/Settings.h"
#include "core/WriteError.h"

#include <QCoreApplication>

using namespace quorvel;
using namespace quorvel::cli;

namespace {

// Says once per wait, after a second, that the database is held by another program.
class BusyLine : public BusyWait::Observer
{
public:
    explicit BusyLine(const CliContext& context) : m_context(context) {}
    void waiting(const QString& filePath, qint64 elapsedMs) override
    {
        if (elapsedMs < m_lastElapsed)
            m_said = false; // a new wait
        m_lastElapsed = elapsedMs;
        if (m_said || elapsedMs < BusyWait::kNoticeAfterMs)
            return;
        m_said = true;
        m_context.printError(BusyWait::kWaitingMessage + QStringLiteral("（%1）").arg(filePath));
    }

private:
    const CliContext& m_context;
    qint64 m_lastElapsed = 0;
    bool m_said = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    WriteError::failWritesPastSizeLimit();
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));

    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    CliArguments arguments(words);
    const Result<GlobalOptions> options = globalForm().takeOptions(arguments);
    if (!options)
        return CliContext(GlobalOptions{}).usage(options.error());
    const CliContext context(*options);

    const std::optional<QString> name = arguments.takeCommandWord();
    if (!name) {
        // Asked instead of a command, the program says what it is or how it is used.
        const Result<bool> version = arguments.takeFlag(QStringLiteral("--version"));
        const Result<bool> help = arguments.takeFlag(QStringLiteral("--help"));
        const Result<QStringList> rest = arguments.positional();
        // "--help COMMAND" asks for the help of that command, as "COMMAND --help" does.
        if (version && help && rest && !*version && *help && rest->size() == 1) {
            if (const CliCommand* asked = findCommand(rest->first())) {
                context.print(commandHelp(*asked));
                return ExitSuccess;
            }
        }
        const bool alone = version && help && rest && rest->isEmpty() && *version != *help;
        if (alone && *version)
            context.print(QStringLiteral("quorvel-cli ") + BuildInfo::version());
        if (alone && *help)
            context.print(helpText());
        return alone ? 0 : context.usage(QStringLiteral("no command given"));
    }
    const CliCommand* command = findCommand(*name);
    if (!command)
        return context.usage(QStringLiteral("unknown command %1").arg(*name));
    const Result<bool> help = arguments.takeFlag(QStringLiteral("--help"));
    if (!help)
        return context.usage(help.error());
    if (*help) {
        context.print(commandHelp(*command));
        return ExitSuccess;
    }
    BusyLine busyLine(context);
    BusyWait::setObserver(&busyLine);
    int status = ExitSuccess;
    try {
        status = command->run(context, arguments);
    } catch (const std::bad_alloc&) {
        // What was being written is rolled back by SQLite as the process ends.
        status = context.fail(QStringLiteral("内存不足"));
    }
    BusyWait::setObserver(nullptr);
    // A setting that did not reach its file is a failure of the command, whatever it printed.
    if (const QString failure = Settings::takeWriteFailure(); !failure.isEmpty()) {
        context.printError(failure);
        if (status == ExitSuccess)
            status = ExitFailure;
    }
    return status;
}
