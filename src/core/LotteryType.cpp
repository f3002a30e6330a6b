#include "core/LotteryType.h"

namespace quorvel {

const std::array<LotteryType, kLotteryTypeCount>& lotteryTypes()
{
    // Chongqing and Shaanxi apply a different D at start-up than when picked from the menu;
    // callers take the column that fits the moment.
    static const std::array<LotteryType, kLotteryTypeCount> types = {{
        {QStringLiteral("广东快乐十分"), QStringLiteral("gd"), 84, 84},
        {QStringLiteral("天津快乐十分"), QStringLiteral("tj"), 84, 84},
        {QStringLiteral("湖南快乐十分"), QStringLiteral("hn"), 84, 84},
        {QStringLiteral("重庆幸运农场"), QStringLiteral("cq"), 97, 84},
        {QStringLiteral("陕西快乐十分"), QStringLiteral("shx"), 71, 97},
        {QStringLiteral("山西快乐十分"), QStringLiteral("sx"), 86, 86},
        {QStringLiteral("云南快乐十分"), QStringLiteral("yn"), 72, 72},
        {QStringLiteral("黑龙江快乐十分"), QStringLiteral("hlj"), 84, 84},
    }};
    return types;
}

bool isLotteryTypeIndex(int index)
{
    return index >= 0 && index < kLotteryTypeCount;
}

int drawsPerDayAtStartup(int index)
{
    return isLotteryTypeIndex(index) ? lotteryTypes()[index].drawsPerDayAtStartup : kDefaultDrawsPerDay;
}

QString lotteryTypeCode(int index)
{
    return isLotteryTypeIndex(index) ? lotteryTypes()[index].code : QString();
}

} // namespace quorvel
