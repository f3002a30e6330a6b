#include "support/ReadOnlyScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace quorvel {

namespace {

constexpr uid_t kNobody = 65534;

const QFileDevice::Permissions kReadable =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
const QFileDevice::Permissions kReachable =
    kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
const QFileDevice::Permissions kWritable = QFileDevice::WriteOwner;

} // namespace

void ReadOnlyScope::remember(const QString& path)
{
    const QFileInfo info(path);
    m_saved.push_back({path, info.permissions(), info.ownerId()});
}

ReadOnlyScope::ReadOnlyScope(const QString& path, What what)
{
    const bool root = geteuid() == 0;
    const QFileInfo info(path);
    const QString folder = what == What::File ? info.absolutePath() : info.absoluteFilePath();
    // Every folder above must be reachable by the user the test becomes.
    if (root) {
        for (QDir up(folder); !up.isRoot(); up.cdUp()) {
            remember(up.absolutePath());
            QFile::setPermissions(up.absolutePath(), QFileInfo(up.absolutePath()).permissions() | kReachable);
        }
    }
    if (what == What::File) {
        remember(path);
        QFile::setPermissions(path, kReadable);
    } else {
        const QStringList files = QDir(folder).entryList(QDir::Files);
        for (const QString& name : files) {
            const QString file = QDir(folder).filePath(name);
            remember(file);
            if (root && ::chown(QFile::encodeName(file).constData(), kNobody, gid_t(-1)) != 0)
                qWarning("cannot hand %s to nobody", qPrintable(file));
            QFile::setPermissions(file, kReadable | kWritable);
        }
        remember(folder);
        QFile::setPermissions(folder, kReachable);
    }
    if (root) {
        m_changedUser = ::seteuid(kNobody) == 0;
        if (!m_changedUser)
            qWarning("cannot take the identity of nobody: read-only paths stay writable");
    }
}

ReadOnlyScope::~ReadOnlyScope()
{
    if (m_changedUser && ::seteuid(0) != 0)
        qFatal("cannot take back the identity of root");
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        QFile::setPermissions(it->path, it->permissions);
        if (geteuid() == 0 && ::chown(QFile::encodeName(it->path).constData(), it->owner, gid_t(-1)) != 0)
            qWarning("cannot give %s back to its owner", qPrintable(it->path));
    }
}

} // namespace quorvel
