#pragma once

#include <QThreadPool>

#include <functional>

namespace quorvel {

// The blocking form of long work that splits into independent slices: work(slice) runs for every
// slice 0..count-1, on threads of the pool and on the calling thread, which takes slices as well
// and returns once every slice is done. Helpers the pool cannot start (busy, or no room left for
// another thread) are not waited for: the calling thread then does their share, and a helper that
// starts late finds nothing left and ends at once. `work` must be safe to call from several
// threads at the same time for different slices.
void runSlices(int count, const std::function<void(int)>& work,
               QThreadPool* pool = QThreadPool::globalInstance());

} // namespace quorvel
