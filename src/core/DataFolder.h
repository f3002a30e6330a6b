#pragma once

#include <QString>

namespace quorvel {

// Where formula.db and the files the program writes live: the folder given on the command line,
// else the program's own folder when it is writable (portable use) and not that of an installed
// copy, else the per-user application data folder. The folder is created when missing.
QString resolveDataFolder(const QString& requestedFolder);

// Whether a program folder is where an installed copy lives (the install prefix's bin folder,
// also under a staging root such as an unpacked package). An installed program keeps nothing
// beside its binary, even when root can write there.
bool isInstalledProgramFolder(const QString& programFolder);

// Whether a text (such as the issue box, which can hold anything) can be part of the name of a
// file written into the data folder: no path separators, no characters file systems refuse.
bool fitsInFileName(const QString& text);

} // namespace quorvel
