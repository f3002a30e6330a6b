#pragma once

#include <QString>

namespace quorvel {

// Whether the system still lets one more thread start; it does not when the address space has no
// room left for another stack. Work handed to a thread pool whose thread cannot start would wait
// forever, so long work asks first and otherwise ends at once with kOutOfMemory.
bool threadCanStart();

// "内存不足": what an operation that ran out of memory ends with.
QString outOfMemoryMessage();

} // namespace quorvel
