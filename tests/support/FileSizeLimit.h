#pragma once

#include <sys/resource.h>

#include <csignal>

namespace quorvel {

// For its lifetime limits the size of the files this process writes (RLIMIT_FSIZE, as `ulimit -f`
// does) and ignores SIGXFSZ, so that a write past the limit fails the way a write to a full disk
// does instead of ending the process. A file already larger can be read, and rewritten in place
// below the limit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The same for a child process, between fork and exec (only async-signal-safe calls).
    static bool applyInChild(rlim_t bytes);

private:
    rlimit m_saved{};
    struct sigaction m_savedAction
    {
    };
};

} // namespace quorvel
