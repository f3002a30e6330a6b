#include "core/LotteryType.h"

namespace quorvel {

const std::array<LotteryType, kLotteryTypeCount>& lotteryTypes()
{
    static const std::array<LotteryType, kLotteryTypeCount> types = {{
        {QStringLiteral("广东快乐十分"), QStringLiteral("gd"), 84},
        {QStringLiteral("天津快乐十分"), QStringLiteral("tj"), 84},
        {QStringLiteral("湖南快乐十分"), QStringLiteral("hn"), 84},
        {QStringLiteral("重庆幸运农场"), QStringLiteral("cq"), 97},
        {QStringLiteral("陕西快乐十分"), QStringLiteral("shx"), 71},
        {QStringLiteral("山西快乐十分"), QStringLiteral("sx"), 86},
        {QStringLiteral("云南快乐十分"), QStringLiteral("yn"), 72},
        {QStringLiteral("黑龙江快乐十分"), QStringLiteral("hlj"), 84},
    }};
    return types;
}

bool isLotteryTypeIndex(int index)
{
    return index >= 0 && index < kLotteryTypeCount;
}

int drawsPerDayOf(int index)
{
    return isLotteryTypeIndex(index) ? lotteryTypes()[std::size_t(index)].drawsPerDay : kDefaultDrawsPerDay;
}

QString lotteryTypeCode(int index)
{
    return isLotteryTypeIndex(index) ? lotteryTypes()[std::size_t(index)].code : QString();
}

} // namespace quorvel
