#pragma once

#include <QFileDevice>
#include <QString>

#include <vector>

namespace quorvel {

// For its lifetime makes a file or a folder impossible to write for this process, as a
// write-protected file or a folder on a read-only share would be. Root writes whatever the
// permission bits say, so a test running as root also takes the identity of "nobody" for the
// scope (the effective user only, given back at the end); the paths it names are then made
// reachable for that user.
class ReadOnlyScope
{
public:
    enum class What
    {
        File,  // the file cannot be written; its folder can
        Folder // nothing can be created in the folder; the files in it can be written
    };

    ReadOnlyScope(const QString& path, What what);
    ~ReadOnlyScope();
    ReadOnlyScope(const ReadOnlyScope&) = delete;
    ReadOnlyScope& operator=(const ReadOnlyScope&) = delete;

private:
    struct Saved
    {
        QString path;
        QFileDevice::Permissions permissions;
        uint owner;
    };
    void remember(const QString& path);

    std::vector<Saved> m_saved;
    bool m_changedUser = false;
};

} // namespace quorvel
