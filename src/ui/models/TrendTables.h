#pragma once

#include "verification/TrendFigures.h"

class QStandardItemModel;

namespace quorvel {

// The figure tables of the trend window, filled from the trend figures. Each cell's number sorts
// by its value (Qt::UserRole), whatever its text.
namespace TrendTables {

constexpr int kSortRole = Qt::UserRole;

// "遗漏统计": one row per number with 出现次数, 理论次数, 偏差, 当前遗漏, 上次遗漏, 最大遗漏, 平均遗漏,
// 欲出几率 and 随机概率.
void fillOmission(QStandardItemModel& model, const TrendChart& chart);
// "冷热分析": one row per number with its hits in the newest 10, 20 and 50 draws and 热, 温 or 冷.
void fillHotCold(QStandardItemModel& model, const std::array<HotCold, kHighestNumber>& figures);
// "两面长龙": one row per position and attribute, then per dragon-tiger pair, with the newest side,
// its streak, the longest run in the range and its chance; streaks of 5 or more stand out.
void fillTwoSided(QStandardItemModel& model, const std::vector<TwoSidedStreak>& streaks);

// 热, 温 or 冷.
QString temperatureText(Temperature temperature);

} // namespace TrendTables

} // namespace quorvel
