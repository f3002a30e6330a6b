#include "fuzz/FuzzSupport.h"

#include "core/DrawParameters.h"

#include <cstdio>
#include <cstdlib>

namespace quorvel::fuzz {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

void violated(const char* invariant, const QString& detail)
{
    std::fprintf(stderr, "invariant broken: %s\n%s\n", invariant, detail.toUtf8().constData());
    std::abort();
}

const DrawTable& smallDrawTable()
{
    static const DrawTable table = [] {
        // Draws of 广东快乐十分 (84 a day) from tests/data/gdklsf-168bet-funyule.txt: the last
        // three of 2014-10-29 and the first nine of 2014-10-30.
        const DrawNumbers numbers[] = {
            {2, 9, 17, 19, 13, 16, 18, 20}, {5, 12, 2, 18, 7, 16, 6, 1},    {19, 4, 2, 16, 14, 3, 18, 17},
            {13, 8, 17, 6, 16, 15, 14, 7},  {6, 11, 10, 17, 1, 13, 3, 18},  {18, 14, 12, 5, 11, 19, 1, 2},
            {7, 14, 1, 17, 5, 2, 10, 9},    {7, 5, 14, 1, 8, 3, 12, 10},    {6, 10, 2, 5, 16, 20, 17, 12},
            {11, 12, 1, 10, 14, 7, 6, 2},   {3, 18, 12, 13, 9, 19, 16, 14}, {15, 2, 9, 10, 1, 8, 16, 6},
        };
        const qint32 issues[] = {14102982, 14102983, 14102984, 14103001, 14103002, 14103003,
                                 14103004, 14103005, 14103006, 14103007, 14103008, 14103009};
        std::vector<Draw> draws;
        std::optional<DrawNumbers> previous;
        for (std::size_t i = 0; i < std::size(issues); ++i) {
            draws.push_back(makeDraw(numbers[i], issues[i], previous, 84, EntryPath::Manual));
            previous = numbers[i];
        }
        return DrawTable(draws);
    }();
    return table;
}

} // namespace quorvel::fuzz
