#include "support/FileSizeLimit.h"

#include <QtGlobal>

namespace quorvel {

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &m_savedAction);
    getrlimit(RLIMIT_FSIZE, &m_saved);
    const rlimit limit{bytes, m_saved.rlim_max};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        qWarning("cannot limit the file size: writes are not limited");
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_saved);
    sigaction(SIGXFSZ, &m_savedAction, nullptr);
}

bool FileSizeLimit::applyInChild(rlim_t bytes)
{
    // An ignored signal stays ignored across exec.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace quorvel
