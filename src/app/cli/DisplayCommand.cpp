#include "app/cli/DisplayCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "history/DrawEntry.h"
#include "workspace/VerificationDisplay.h"

namespace quorvel::cli {

namespace {

QLatin1Char colourLetter(CellColour colour)
{
    switch (colour) {
    case CellColour::Blue:
        return QLatin1Char('b');
    case CellColour::Green:
        return QLatin1Char('g');
    case CellColour::White:
        return QLatin1Char('w');
    case CellColour::None:
        break;
    }
    return QLatin1Char('-');
}

struct DisplayOptions : CommandOptions::ListChoice
{
    std::optional<DisplayMode> mode;
};

const CommandForm<DisplayOptions>& form()
{
    static const CommandForm<DisplayOptions> declared =
        CommandOptions::withList(CommandForm<DisplayOptions>(QStringLiteral("display")))
        << OptionKinds::choice(
               QStringLiteral("--mode"), &DisplayOptions::mode,
               std::vector<std::pair<QString, DisplayMode>>{{QStringLiteral("next"), DisplayMode::NextDraw},
                                                            {QStringLiteral("same"), DisplayMode::SameDraw}},
               QStringLiteral("each value against the next or the same draw (default: the stored LsXs)"));
    return declared;
}

} // namespace

std::vector<const FormSpec*> DisplayCommand::forms()
{
    return {&form()};
}

int DisplayCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<DisplayOptions> list = form().parse(arguments);
    if (!list)
        return context.usage(list.error());

    const Result<std::unique_ptr<CliSession>> session = context.startOnList(list->position, list->kill);
    if (!session)
        return context.fail(session.failure());
    const Workspace& workspace = (*session)->workspace();
    const DisplayMode shown = list->mode.value_or(VerificationDisplay::modeOf(workspace.settings()));
    const std::shared_ptr<const HistoryDisplay> display = VerificationDisplay::forList(workspace, shown);
    const DrawTable& history = *workspace.history();
    for (int draw = 0; draw < history.drawCount(); ++draw) {
        QString line = DrawEntry::issueText(history.issues()[std::size_t(draw)]);
        for (int listNumber = 1; listNumber <= display->formulaCount(); ++listNumber) {
            const DisplayCell cell = display->cell(listNumber, draw);
            line += QLatin1Char('\t') + HistoryDisplay::cellText(cell) + QLatin1Char(':') +
                    colourLetter(cell.colour);
        }
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
