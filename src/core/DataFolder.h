#pragma once

#include <QString>

namespace quorvel {

// Where formula.db and the files the program writes live: the folder given on the command line,
// else the program's own folder when it is writable (portable use), else the per-user
// application data folder. The folder is created when missing.
QString resolveDataFolder(const QString& requestedFolder);

} // namespace quorvel
