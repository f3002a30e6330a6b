#include "app/cli/ReferenceCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandForm.h"
#include "core/Database.h"
#include "core/HistoryTable.h"
#include "formulas/ParameterReference.h"

namespace quorvel::cli {

namespace {

const CommandForm<NoOptions>& form()
{
    static const CommandForm<NoOptions> declared =
        CommandForm<NoOptions>(QStringLiteral("reference"))
            .takes(PositionalSpec{{}, 0, 0, QStringLiteral("reference takes no arguments")});
    return declared;
}

} // namespace

std::vector<const FormSpec*> ReferenceCommand::forms()
{
    return {&form()};
}

int ReferenceCommand::run(const CliContext& context, CliArguments& arguments)
{
    if (const Result<NoOptions> none = form().parse(arguments); !none)
        return context.usage(none.error());
    const Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.failure());
    const Result<DrawTable> history = (*database)->history().readAll();
    if (!history)
        return context.fail(history.failure());
    const ParameterReference::Grid grid = ParameterReference::cells(
        history->isEmpty() ? std::nullopt : std::optional<Draw>(history->draw(history->drawCount() - 1)));
    for (const auto& row : grid) {
        QStringList cells;
        for (const QString& cell : row)
            cells << field(cell);
        context.print(cells.join(QLatin1Char('\t')));
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
