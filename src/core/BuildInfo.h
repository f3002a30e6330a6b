#pragma once

#include <QString>

namespace quorvel {

// What the build knows of the program: its version, set once in the project file, and the folder
// an installed copy of it lives in (the install prefix's bin folder, /usr/bin for the package).
struct BuildInfo
{
    static QString version();
    static QString installedProgramFolder();
};

} // namespace quorvel
