#pragma once

#include "verification/ExportSheets.h"
#include "verification/TrendFigures.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

// A cell of a trend table: its text, the value it sorts by, and a background that marks it.
struct TrendCell
{
    QString text;
    double sortValue = 0;
    std::optional<quint32> fill; // 0xRRGGBB
};

// A table of the trend window as it shows it and as its sheet is written.
struct TrendTable
{
    QStringList headers;
    std::vector<std::vector<TrendCell>> rows;
};

// Backgrounds: a hit of the chart, a hot and a cold number, and a streak of 5 or more.
constexpr quint32 kTrendHitFill = 0xE06666;
constexpr quint32 kTrendHotFill = 0xF4CCCC;
constexpr quint32 kTrendColdFill = 0xCFE2F3;
constexpr quint32 kTrendStreakFill = 0xFFECB3;

namespace TrendTables {

// "遗漏统计": one row per number with 出现次数, 理论次数, 偏差, 当前遗漏, 上次遗漏, 最大遗漏, 平均遗漏,
// 欲出几率 and 随机概率.
TrendTable omission(const TrendChart& chart);
// "冷热分析": one row per number with its hits in the newest 10, 20 and 50 draws and 热, 温 or 冷.
TrendTable hotCold(const std::array<HotCold, kHighestNumber>& figures);
// "两面长龙": one row per position and attribute, then per dragon-tiger pair, with the newest side,
// its streak, the longest run in the range and its chance; streaks of 5 or more stand out.
TrendTable twoSided(const std::vector<TwoSidedStreak>& streaks);

// 热, 温 or 冷.
QString temperatureText(Temperature temperature);

// The chart's columns: "期号", "01" .. "20", then on the chart of every position the shape
// columns "和值", "跨度", "奇偶比", "大小比", "重号".
constexpr int kShapeColumnCount = 5;
int chartColumnCount(TrendScope scope);
QString chartHeader(int column);
QString issueText(qint32 issue);
// A shape column's text (0 = 和值 .. 4 = 重号, "-" for the first stored draw).
QString shapeText(const DrawShape& shape, int shapeColumn);
// The footer rows under a chart: 出现次数, 平均遗漏, 最大遗漏, 最大连出, 当前遗漏, 随机概率.
constexpr int kFooterRowCount = 6;
QString footerLabel(int row);
QString footerText(const NumberTrend& figures, int row);

// A table as a sheet: the header row, then the rows with their backgrounds.
SheetGrid sheet(const TrendTable& table);
// The chart of a scope over a range as a sheet: "期号", 01 .. 20 (a hit filled, with its number;
// a miss with its omission), the shape columns on the chart of every position, then the footer
// rows.
SheetGrid chartSheet(const DrawTable& history, TrendScope scope, int range);

// The tabs of the trend window, in their order.
enum class TrendTab
{
    Chart,
    Position,
    Omission,
    HotCold,
    TwoSides
};

// The sheet of one tab as the window shows it with these choices: the scope counts for the
// chart of one position (its position), the omission table and the hot and cold numbers; the
// range for every tab but the hot and cold numbers, which look at the newest draws.
SheetGrid tabSheet(std::shared_ptr<const DrawTable> history, TrendTab tab, TrendScope scope, int range);

} // namespace TrendTables

} // namespace quorvel
