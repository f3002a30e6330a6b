#include "verification/PickTally.h"

#include <algorithm>

namespace quorvel {

int rightPicks(const std::vector<int>& picks, int drawn, bool kill)
{
    const auto drawnPicks = std::count(picks.begin(), picks.end(), drawn);
    return int(kill ? qsizetype(picks.size()) - drawnPicks : drawnPicks);
}

bool pageHeld(const std::vector<int>& picks, int drawn, bool kill)
{
    if (picks.empty())
        return false;
    const int right = rightPicks(picks, drawn, kill);
    return kill ? right == int(picks.size()) : right > 0;
}

} // namespace quorvel
