#include "core/BuildInfo.h"

// The build defines both for this file alone, so a new version recompiles one file.
#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION is set by the build"
#endif
#ifndef QUORVEL_INSTALL_BINDIR
#error "QUORVEL_INSTALL_BINDIR is set by the build"
#endif

namespace quorvel {

QString BuildInfo::version()
{
    return QStringLiteral(QUORVEL_VERSION);
}

QString BuildInfo::installedProgramFolder()
{
    return QStringLiteral(QUORVEL_INSTALL_BINDIR);
}

} // namespace quorvel
