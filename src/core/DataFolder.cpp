#include "core/DataFolder.h"

#include "core/BuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel {

QString resolveDataFolder(const QString& requestedFolder)
{
    QString folder;
    if (!requestedFolder.isEmpty()) {
        folder = QDir(requestedFolder).absolutePath();
    } else {
        const QString programFolder = QCoreApplication::applicationDirPath();
        const QFileInfo programFolderInfo(programFolder);
        if (!programFolder.isEmpty() && programFolderInfo.isDir() && programFolderInfo.isWritable() &&
            !isInstalledProgramFolder(programFolder))
            folder = programFolder;
        else
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    // A folder that cannot be created shows up as a failure when the database is opened in it.
    QDir().mkpath(folder);
    return folder;
}

bool isInstalledProgramFolder(const QString& programFolder)
{
    const QString installed = QDir::cleanPath(BuildInfo::installedProgramFolder());
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(programFolder));
    return folder == installed || folder.endsWith(installed);
}

bool fitsInFileName(const QString& text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            return false;
    }
    return true;
}

} // namespace quorvel
