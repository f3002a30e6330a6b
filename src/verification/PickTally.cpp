#include "verification/PickTally.h"

#include <algorithm>

namespace quorvel {

int rightPicks(const std::vector<int>& picks, int drawn)
{
    return int(std::count(picks.begin(), picks.end(), drawn));
}

bool pageHeld(const std::vector<int>& picks, int drawn)
{
    return rightPicks(picks, drawn) > 0;
}

} // namespace quorvel
