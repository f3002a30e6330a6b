#include "app/cli/StepsCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "verification/CalculationSteps.h"

namespace quorvel::cli {

namespace {

struct StepsOptions : CommandOptions::ListChoice
{
    int listNumber = 0;
};

const CommandForm<StepsOptions>& form()
{
    static const QString refusal = QStringLiteral("steps needs --list-no N, a list number 1 and up");
    static const CommandForm<StepsOptions> declared =
        CommandOptions::withList(CommandForm<StepsOptions>(QStringLiteral("steps"))
                                 << CommandOptions::listNumber(&StepsOptions::listNumber, refusal)
                                 << CommandOptions::listNumberRequired(refusal));
    return declared;
}

} // namespace

std::vector<const FormSpec*> StepsCommand::forms()
{
    return {&form()};
}

int StepsCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<StepsOptions> list = form().parse(arguments);
    if (!list)
        return context.usage(list.error());

    const Result<std::unique_ptr<CliSession>> session = context.startOnList(list->position, list->kill);
    if (!session)
        return context.fail(session.failure());
    const Workspace& workspace = (*session)->workspace();
    const Result<FormulaListRow> formula = CommandOptions::formulaOnList(workspace, list->listNumber);
    if (!formula)
        return context.fail(formula.failure());

    QStringList header;
    for (const QString& caption : CalculationSteps::headers(formula->displayText))
        header << field(caption);
    context.print(header.join(QLatin1Char('\t')));
    for (const CalculationStepRow& row : CalculationSteps(formula->code).rows(*workspace.history()))
        context.print(
            QStringList{row.issue, row.numbers, field(row.text), row.value}.join(QLatin1Char('\t')));
    return ExitSuccess;
}

} // namespace quorvel::cli
