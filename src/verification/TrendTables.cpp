#include "verification/TrendTables.h"

#include "core/TermTable.h"
#include "verification/ChanceBaseline.h"

namespace quorvel {

namespace TrendTables {

namespace {

TrendCell cell(const QString& text, double sortValue, std::optional<quint32> fill = std::nullopt)
{
    return {text, sortValue, fill};
}

TrendCell wholeCell(int value)
{
    return cell(QString::number(value), value);
}

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString attributeName(TwoSidedAttribute attribute)
{
    switch (attribute) {
    case TwoSidedAttribute::BigSmall:
        return QStringLiteral("大小");
    case TwoSidedAttribute::OddEven:
        return QStringLiteral("单双");
    case TwoSidedAttribute::Tail:
        return QStringLiteral("尾数大小");
    case TwoSidedAttribute::DigitSum:
        return QStringLiteral("合数单双");
    case TwoSidedAttribute::DragonTiger:
        break;
    }
    return QStringLiteral("龙虎");
}

} // namespace

QString temperatureText(Temperature temperature)
{
    switch (temperature) {
    case Temperature::Hot:
        return QStringLiteral("热");
    case Temperature::Cold:
        return QStringLiteral("冷");
    case Temperature::Warm:
        break;
    }
    return QStringLiteral("温");
}

TrendTable omission(const TrendChart& chart)
{
    TrendTable table{{QStringLiteral("号码"), QStringLiteral("出现次数"), QStringLiteral("理论次数"),
                      QStringLiteral("偏差"), QStringLiteral("当前遗漏"), QStringLiteral("上次遗漏"),
                      QStringLiteral("最大遗漏"), QStringLiteral("平均遗漏"), QStringLiteral("欲出几率"),
                      QStringLiteral("随机概率")},
                     {}};
    for (int number = 1; number <= kHighestNumber; ++number) {
        const NumberTrend& figures = chart.number(number);
        table.rows.push_back({
            cell(twoDigits(number), number),
            wholeCell(figures.hits),
            cell(QString::number(figures.expected, 'f', 1), figures.expected),
            cell(QString::asprintf("%+.1f", figures.deviation), figures.deviation),
            wholeCell(figures.current),
            figures.previous ? wholeCell(*figures.previous) : cell(QStringLiteral("-"), -1),
            wholeCell(figures.maxMiss),
            wholeCell(figures.avgMiss),
            figures.ratio ? cell(QString::number(*figures.ratio, 'f', 2), *figures.ratio)
                          : cell(QStringLiteral("-"), -1),
            cell(ChanceBaseline::percentText(figures.chance), figures.chance),
        });
    }
    return table;
}

TrendTable hotCold(const std::array<HotCold, kHighestNumber>& figures)
{
    TrendTable table{{QStringLiteral("号码"), QStringLiteral("近10期"), QStringLiteral("近20期"),
                      QStringLiteral("近50期"), QStringLiteral("冷热")},
                     {}};
    for (int number = 1; number <= kHighestNumber; ++number) {
        const HotCold& counts = figures[std::size_t(number - 1)];
        std::optional<quint32> fill;
        if (counts.temperature != Temperature::Warm)
            fill = counts.temperature == Temperature::Hot ? kTrendHotFill : kTrendColdFill;
        table.rows.push_back({cell(twoDigits(number), number), wholeCell(counts.newest10),
                              wholeCell(counts.newest20), wholeCell(counts.newest50),
                              cell(temperatureText(counts.temperature), int(counts.temperature), fill)});
    }
    return table;
}

TrendTable twoSided(const std::vector<TwoSidedStreak>& streaks)
{
    TrendTable table{{QStringLiteral("位置"), QStringLiteral("属性"), QStringLiteral("最新"),
                      QStringLiteral("连出"), QStringLiteral("最长连出"), QStringLiteral("随机概率")},
                     {}};
    for (const TwoSidedStreak& streak : streaks) {
        const QString where = streak.pairedPosition == 0
                                  ? positionName(streak.position)
                                  : QStringLiteral("%1-%2").arg(streak.position).arg(streak.pairedPosition);
        std::vector<TrendCell> row{cell(where, double(table.rows.size())),
                                   cell(attributeName(streak.attribute), int(streak.attribute)),
                                   cell(streak.sideText(), streak.firstSide),
                                   wholeCell(streak.streak),
                                   wholeCell(streak.longest),
                                   cell(ChanceBaseline::percentText(streak.chance), streak.chance)};
        if (streak.streak >= 5) {
            for (TrendCell& item : row)
                item.fill = kTrendStreakFill;
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

int chartColumnCount(TrendScope scope)
{
    return 1 + kHighestNumber + (scope.isEveryPosition() ? kShapeColumnCount : 0);
}

QString chartHeader(int column)
{
    static const QString shapes[kShapeColumnCount] = {QStringLiteral("和值"), QStringLiteral("跨度"),
                                                      QStringLiteral("奇偶比"), QStringLiteral("大小比"),
                                                      QStringLiteral("重号")};
    if (column == 0)
        return QStringLiteral("期号");
    if (column <= kHighestNumber)
        return twoDigits(column);
    return shapes[column - kHighestNumber - 1];
}

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
}

QString shapeText(const DrawShape& shape, int shapeColumn)
{
    switch (shapeColumn) {
    case 0:
        return QString::number(shape.sum);
    case 1:
        return QString::number(shape.span);
    case 2:
        return QStringLiteral("%1:%2").arg(shape.odd).arg(shape.even());
    case 3:
        return QStringLiteral("%1:%2").arg(shape.big).arg(shape.small());
    default:
        return shape.repeated ? QString::number(*shape.repeated) : QStringLiteral("-");
    }
}

QString footerLabel(int row)
{
    static const QString labels[kFooterRowCount] = {QStringLiteral("出现次数"), QStringLiteral("平均遗漏"),
                                                    QStringLiteral("最大遗漏"), QStringLiteral("最大连出"),
                                                    QStringLiteral("当前遗漏"), QStringLiteral("随机概率")};
    return labels[row];
}

QString footerText(const NumberTrend& figures, int row)
{
    const int values[kFooterRowCount - 1] = {figures.hits, figures.avgMiss, figures.maxMiss, figures.maxRun,
                                             figures.current};
    return row < kFooterRowCount - 1 ? QString::number(values[row])
                                     : ChanceBaseline::percentText(figures.chance);
}

SheetGrid sheet(const TrendTable& table)
{
    std::vector<std::vector<WorkbookCell>> rows;
    std::vector<WorkbookCell> header;
    for (const QString& text : table.headers)
        header.push_back(WorkbookCell::text(text));
    rows.push_back(std::move(header));
    for (const std::vector<TrendCell>& row : table.rows) {
        std::vector<WorkbookCell> cells;
        for (const TrendCell& item : row)
            cells.push_back(WorkbookCell::fromGridText(item.text, item.fill));
        rows.push_back(std::move(cells));
    }
    return SheetGrid::of(std::move(rows));
}

SheetGrid chartSheet(const DrawTable& history, TrendScope scope, int range)
{
    const TrendChart chart(history, scope, TrendRange::newest(history.drawCount(), range));
    const int columns = chartColumnCount(scope);
    std::vector<std::vector<WorkbookCell>> rows;
    rows.emplace_back();
    for (int column = 0; column < columns; ++column)
        rows.back().push_back(WorkbookCell::text(chartHeader(column)));
    for (int row = 0; row < chart.rowCount(); ++row) {
        const int draw = chart.range().first + row;
        std::vector<WorkbookCell> cells{WorkbookCell::text(issueText(history.issues()[std::size_t(draw)]))};
        for (int number = 1; number <= kHighestNumber; ++number) {
            cells.push_back(chart.isHit(row, number) ? WorkbookCell::number(number, kTrendHitFill)
                                                     : WorkbookCell::number(chart.omission(row, number)));
        }
        if (scope.isEveryPosition()) {
            const DrawShape shape = drawShape(history, draw);
            for (int shapeColumn = 0; shapeColumn < kShapeColumnCount; ++shapeColumn)
                cells.push_back(WorkbookCell::fromGridText(shapeText(shape, shapeColumn)));
        }
        rows.push_back(std::move(cells));
    }
    for (int footer = 0; footer < kFooterRowCount; ++footer) {
        std::vector<WorkbookCell> cells{WorkbookCell::text(footerLabel(footer))};
        for (int number = 1; number <= kHighestNumber; ++number)
            cells.push_back(WorkbookCell::fromGridText(footerText(chart.number(number), footer)));
        rows.push_back(std::move(cells));
    }
    return SheetGrid::of(std::move(rows));
}

SheetGrid tabSheet(std::shared_ptr<const DrawTable> history, TrendTab tab, TrendScope scope, int range)
{
    const TrendRange newest = TrendRange::newest(history->drawCount(), range);
    switch (tab) {
    case TrendTab::Chart:
        return chartSheet(*history, TrendScope{}, range);
    case TrendTab::Position:
        return chartSheet(*history, scope, range);
    case TrendTab::Omission:
        return sheet(omission(TrendChart(*history, scope, newest)));
    case TrendTab::HotCold:
        return sheet(hotCold(quorvel::hotCold(*history, scope)));
    case TrendTab::TwoSides:
        break;
    }
    return sheet(twoSided(twoSidedStreaks(*history, newest)));
}

} // namespace TrendTables

} // namespace quorvel
