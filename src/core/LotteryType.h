#pragma once

#include <QString>

#include <array>

namespace quorvel {

// One regional variant of the lottery and its draws per day D. The same D applies whether the
// variant was picked from the menu a moment ago or read from the settings at start-up.
struct LotteryType
{
    QString caption; // menu caption, e.g. "广东快乐十分"
    QString code;    // type code used in the results-page address, e.g. "gd"
    int drawsPerDay;
};

constexpr int kLotteryTypeCount = 8;
constexpr int kNoLotteryType = 544; // stored `GsZl` value meaning "no variant chosen yet"
constexpr int kDefaultDrawsPerDay = 84;

const std::array<LotteryType, kLotteryTypeCount>& lotteryTypes();

bool isLotteryTypeIndex(int index);
// D for a stored `GsZl` (84 when no valid variant is stored).
int drawsPerDayOf(int index);
// Type code for a stored `GsZl` (empty when no valid variant is stored).
QString lotteryTypeCode(int index);

} // namespace quorvel
