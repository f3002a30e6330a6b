#pragma once

#include <QString>

namespace quorvel {

// Where formula.db and the files the program writes live: the folder given on the command line,
// else the program's own folder when it is writable (portable use), else the per-user
// application data folder. The folder is created when missing.
QString resolveDataFolder(const QString& requestedFolder);

// Whether a text (such as the issue box, which can hold anything) can be part of the name of a
// file written into the data folder: no path separators, no characters file systems refuse.
bool fitsInFileName(const QString& text);

} // namespace quorvel
