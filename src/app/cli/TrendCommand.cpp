#include "app/cli/TrendCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandForm.h"
#include "verification/ChanceBaseline.h"
#include "verification/TrendTables.h"

#include <algorithm>
#include <limits>

namespace quorvel::cli {

namespace {

} // namespace

Option<TrendOptions> TrendCommand::scopeOption()
{
    return OptionKinds::value(
        OptionSpec{QStringLiteral("--scope"), QStringLiteral("all|1..8"),
                   QStringLiteral("the numbers drawn at every position, or at one (default: all)")},
        &TrendOptions::scope, [](const QStringList& words) -> Result<int> {
            if (words.first() == QLatin1String("all"))
                return 0;
            const Result<qint64> position = OptionValue::wholeNumber(
                words.first(), 1, kPositionCount, QStringLiteral("--scope takes all or a position 1..8"));
            if (!position)
                return position.failure();
            return int(*position);
        });
}

Option<TrendOptions> TrendCommand::rangeOption()
{
    return OptionKinds::value(OptionSpec{QStringLiteral("--range"), QStringLiteral("R|all"),
                                         QStringLiteral("the newest R draws, or all of them (default: 100)")},
                              &TrendOptions::range, [](const QStringList& words) -> Result<int> {
                                  if (words.first() == QLatin1String("all"))
                                      return 0;
                                  const Result<qint64> range = OptionValue::wholeNumber(
                                      words.first(), 1, std::numeric_limits<int>::max(),
                                      QStringLiteral("--range takes all or a whole number 1 or more"));
                                  if (!range)
                                      return range.failure();
                                  return int(*range);
                              });
}

namespace {

enum class View
{
    Chart,
    Omission,
    HotCold,
    TwoSides
};

const CommandForm<TrendOptions>& formOf(View view)
{
    static const CommandForm<TrendOptions> chart = CommandForm<TrendOptions>(QStringLiteral("trend chart"))
                                                   << TrendCommand::scopeOption()
                                                   << TrendCommand::rangeOption();
    static const CommandForm<TrendOptions> omission =
        CommandForm<TrendOptions>(QStringLiteral("trend omission"))
        << TrendCommand::scopeOption() << TrendCommand::rangeOption();
    static const CommandForm<TrendOptions> hotCold =
        CommandForm<TrendOptions>(QStringLiteral("trend hotcold")) << TrendCommand::scopeOption();
    static const CommandForm<TrendOptions> twoSides =
        CommandForm<TrendOptions>(QStringLiteral("trend twosides")) << TrendCommand::rangeOption();
    switch (view) {
    case View::Chart:
        return chart;
    case View::Omission:
        return omission;
    case View::HotCold:
        return hotCold;
    case View::TwoSides:
        break;
    }
    return twoSides;
}

const std::pair<QString, View> kViews[] = {{QStringLiteral("chart"), View::Chart},
                                           {QStringLiteral("omission"), View::Omission},
                                           {QStringLiteral("hotcold"), View::HotCold},
                                           {QStringLiteral("twosides"), View::TwoSides}};

void printChart(const CliContext& context, const DrawTable& history, TrendScope scope, int range)
{
    const TrendChart chart(history, scope, TrendRange::newest(history.drawCount(), range));
    for (int row = 0; row < chart.rowCount(); ++row) {
        const int draw = chart.range().first + row;
        TabLine line;
        line << TrendTables::issueText(history.issues()[std::size_t(draw)]);
        for (int number = 1; number <= kHighestNumber; ++number) {
            if (chart.isHit(row, number))
                line << QStringLiteral("*");
            else
                line << chart.omission(row, number);
        }
        if (scope.isEveryPosition()) {
            const DrawShape shape = drawShape(history, draw);
            for (int column = 0; column < TrendTables::kShapeColumnCount; ++column)
                line << TrendTables::shapeText(shape, column);
        }
        context.print(line);
    }
    const std::pair<QString, int NumberTrend::*> footers[] = {
        {QStringLiteral("HITS"), &NumberTrend::hits},
        {QStringLiteral("AVGMISS"), &NumberTrend::avgMiss},
        {QStringLiteral("MAXMISS"), &NumberTrend::maxMiss},
        {QStringLiteral("MAXRUN"), &NumberTrend::maxRun},
        {QStringLiteral("CURRENT"), &NumberTrend::current}};
    for (const auto& [name, figure] : footers) {
        TabLine line;
        line << name;
        for (int number = 1; number <= kHighestNumber; ++number)
            line << chart.number(number).*figure;
        context.print(line);
    }
}

void printOmission(const CliContext& context, const DrawTable& history, TrendScope scope, int range)
{
    const TrendChart chart(history, scope, TrendRange::newest(history.drawCount(), range));
    for (int number = 1; number <= kHighestNumber; ++number) {
        const NumberTrend& figures = chart.number(number);
        TabLine line;
        line << number << figures.hits << QString::asprintf("%.1f", figures.expected)
             << QString::asprintf("%+.1f", figures.deviation) << figures.current
             << (figures.previous ? QString::number(*figures.previous) : QStringLiteral("-"))
             << figures.maxMiss << figures.avgMiss
             << (figures.ratio ? QString::asprintf("%.2f", *figures.ratio) : QStringLiteral("-"))
             << ChanceBaseline::probabilityText(figures.chance);
        context.print(line);
    }
}

void printHotCold(const CliContext& context, const DrawTable& history, TrendScope scope)
{
    const auto figures = hotCold(history, scope);
    for (int number = 1; number <= kHighestNumber; ++number) {
        const HotCold& counts = figures[std::size_t(number - 1)];
        static const QString classes[] = {QStringLiteral("hot"), QStringLiteral("warm"),
                                          QStringLiteral("cold")};
        TabLine line;
        line << number << counts.newest10 << counts.newest20 << counts.newest50
             << classes[int(counts.temperature)];
        context.print(line);
    }
}

void printTwoSides(const CliContext& context, const DrawTable& history, int range)
{
    static const QString attributes[] = {QStringLiteral("bigsmall"), QStringLiteral("oddeven"),
                                         QStringLiteral("tail"), QStringLiteral("digitsum"),
                                         QStringLiteral("dragontiger")};
    for (const TwoSidedStreak& streak :
         twoSidedStreaks(history, TrendRange::newest(history.drawCount(), range))) {
        TabLine line;
        if (streak.pairedPosition == 0)
            line << streak.position;
        else
            line << QStringLiteral("%1-%2").arg(streak.position).arg(streak.pairedPosition);
        line << attributes[int(streak.attribute)] << streak.sideText() << streak.streak << streak.longest
             << ChanceBaseline::probabilityText(streak.chance);
        context.print(line);
    }
}

} // namespace

std::vector<const FormSpec*> TrendCommand::forms()
{
    std::vector<const FormSpec*> forms;
    for (const auto& [word, view] : kViews)
        forms.push_back(&formOf(view));
    return forms;
}

int TrendCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> word = arguments.takeCommandWord();
    const auto* chosen = std::find_if(std::begin(kViews), std::end(kViews),
                                      [&](const auto& entry) { return word == entry.first; });
    if (chosen == std::end(kViews))
        return context.usage(subcommandRefusal(forms()));
    const View view = chosen->second;
    const Result<TrendOptions> options = formOf(view).parse(arguments);
    if (!options)
        return context.usage(options.error());
    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const TrendScope scope{options->scope};
    switch (view) {
    case View::Chart:
        printChart(context, *history, scope, options->range);
        break;
    case View::Omission:
        printOmission(context, *history, scope, options->range);
        break;
    case View::HotCold:
        printHotCold(context, *history, scope);
        break;
    case View::TwoSides:
        printTwoSides(context, *history, options->range);
        break;
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
