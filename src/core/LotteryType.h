#pragma once

#include <QString>

#include <array>

namespace quorvel {

// One regional variant of the lottery. D (draws per day) differs for some variants between the
// value applied at start-up and the value applied when the user picks the variant from the menu.
struct LotteryType
{
    QString caption; // menu caption, e.g. "广东快乐十分"
    QString code;    // type code used in the results-page address, e.g. "gd"
    int drawsPerDayAtStartup;
    int drawsPerDayWhenPicked;
};

constexpr int kLotteryTypeCount = 8;
constexpr int kNoLotteryType = 544; // stored `GsZl` value meaning "no variant chosen yet"
constexpr int kDefaultDrawsPerDay = 84;

const std::array<LotteryType, kLotteryTypeCount>& lotteryTypes();

bool isLotteryTypeIndex(int index);
// D applied at start-up for a stored `GsZl` (84 when no valid variant is stored).
int drawsPerDayAtStartup(int index);
// Type code for a stored `GsZl` (empty when no valid variant is stored).
QString lotteryTypeCode(int index);

} // namespace quorvel
