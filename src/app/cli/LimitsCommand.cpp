#include "app/cli/LimitsCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/LimitUpdate.h"

namespace quorvel::cli {

namespace {

struct LimitsOptions
{
    int position = 1;
};

const CommandForm<LimitsOptions>& form()
{
    static const CommandForm<LimitsOptions> declared =
        CommandForm<LimitsOptions>(QStringLiteral("limits update"))
        << CommandOptions::position(&LimitsOptions::position);
    return declared;
}

} // namespace

std::vector<const FormSpec*> LimitsCommand::forms()
{
    return {&form()};
}

int LimitsCommand::run(const CliContext& context, CliArguments& arguments)
{
    if (arguments.takeCommandWord() != QLatin1String("update"))
        return context.usage(subcommandRefusal(forms()));
    const Result<LimitsOptions> parsed = form().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    // The update asks first; without --yes nobody is there to say OK.
    if (!context.options().yes)
        return context.usage(
            QStringLiteral("limits update changes the formula table: give --yes to confirm"));

    WorkspaceStartOptions options;
    options.position = parsed->position;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    LimitUpdate update((*session)->workspace());
    if (!update.confirm())
        return context.fail(QStringLiteral("极限值没有更新"));
    const Result<int> raised = update.apply();
    if (!raised)
        return context.fail(raised.failure());
    context.print(QStringLiteral("raised %1").arg(*raised));
    return ExitSuccess;
}

} // namespace quorvel::cli
