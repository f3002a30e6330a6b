#include "core/WriteError.h"

#include <cerrno>
#include <csignal>

namespace quorvel {

QString WriteError::causeOf(int systemError)
{
    switch (systemError) {
    case ENOSPC:
        return QStringLiteral("磁盘空间已满");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("磁盘配额已用完");
#endif
    case EFBIG:
        return QStringLiteral("文件大小超过了系统对本程序的限制");
    case EROFS:
        return QStringLiteral("文件所在的磁盘是只读的");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    default:
        return QString();
    }
}

QString WriteError::withCause(const QString& text, int systemError)
{
    const QString cause = causeOf(systemError);
    if (cause.isEmpty())
        return text;
    if (text.isEmpty())
        return cause;
    return QStringLiteral("%1（%2）").arg(cause, text);
}

void WriteError::failWritesPastSizeLimit()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace quorvel
