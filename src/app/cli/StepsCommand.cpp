#include "app/cli/StepsCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "verification/CalculationSteps.h"

namespace quorvel::cli {

int StepsCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> listOption =
        arguments.takeOption(QStringLiteral("--list-no"), 1);
    if (!listOption)
        return context.usage(listOption.error());
    bool ok = false;
    const int listNumber = listOption->has_value() ? (**listOption).first().toInt(&ok) : 0;
    if (!ok || listNumber < 1)
        return context.usage(QStringLiteral("steps needs --list-no N, a list number 1 and up"));
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
    if (!workspace.formulaList().contains(listNumber))
        return context.fail(
            QStringLiteral("%1%2公式没有序号 %3")
                .arg(workspace.positionCaption(), list->kill ? QStringLiteral("杀") : QStringLiteral("生"))
                .arg(listNumber));

    const FormulaListRow& formula = workspace.formulaList().row(listNumber);
    QStringList header;
    for (const QString& caption : CalculationSteps::headers(formula.displayText))
        header << field(caption);
    context.print(header.join(QLatin1Char('\t')));
    for (const CalculationStepRow& row : CalculationSteps(formula.code).rows(*workspace.history()))
        context.print(
            QStringList{row.issue, row.numbers, field(row.text), row.value}.join(QLatin1Char('\t')));
    return ExitSuccess;
}

} // namespace quorvel::cli
