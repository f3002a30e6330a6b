#pragma once

#include <vector>

namespace quorvel {

// `Selection_Sort`: for i < j, exchanges values i and j when value j is smaller and not 0. For
// non-negative input the zero entries keep their places and the others end ascending in the
// remaining places, as the prediction expects.
void Selection_Sort(std::vector<int>& values);

} // namespace quorvel
