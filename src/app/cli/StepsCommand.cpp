#include "app/cli/StepsCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "verification/CalculationSteps.h"

namespace quorvel::cli {

int StepsCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<int> listNumber = CommandOptions::listNumber(arguments, QStringLiteral("steps"));
    if (!listNumber)
        return context.usage(listNumber.error());
    const Result<CommandOptions::ListChoice> list = CommandOptions::listChoice(arguments);
    if (!list)
        return context.usage(list.error());
    if (const Result<QStringList> words = CommandOptions::positional(arguments, QStringLiteral("steps"), 0);
        !words)
        return context.usage(words.error());

    const Result<std::unique_ptr<CliSession>> session = context.startOnList(list->position, list->kill);
    if (!session)
        return context.fail(session.failure());
    const Workspace& workspace = (*session)->workspace();
    const Result<FormulaListRow> formula = CommandOptions::formulaOnList(workspace, *listNumber);
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
