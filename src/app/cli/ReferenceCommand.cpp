#include "app/cli/ReferenceCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "core/Database.h"
#include "core/HistoryTable.h"
#include "formulas/ParameterReference.h"

namespace quorvel::cli {

int ReferenceCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("reference takes no arguments"));
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
