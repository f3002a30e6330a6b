#include "verification/SelectionSort.h"

#include <utility>

namespace quorvel {

void Selection_Sort(std::vector<int>& values)
{
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (values[j] < values[i] && values[j] != 0)
                std::swap(values[i], values[j]);
        }
    }
}

} // namespace quorvel
