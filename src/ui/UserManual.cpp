#include "ui/UserManual.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

// Resources compiled into a static library are registered by hand before their first use.
static void registerResources()
{
    Q_INIT_RESOURCE(quorvel);
}

namespace quorvel {

Result<QUrl> UserManual::install(const QString& dataFolder, const QString& section)
{
    registerResources();
    QFile source(QString::fromLatin1(kResourcePath));
    if (!source.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("程序中缺少使用说明文档。")};
    const QByteArray page = source.readAll();

    const QString folder = QDir(dataFolder).filePath(QString::fromUtf8(kFolderName));
    if (!QDir().mkpath(folder))
        return Failure{QStringLiteral("无法创建文件夹：%1").arg(QDir::toNativeSeparators(folder))};
    const QString path = QDir(folder).filePath(QString::fromLatin1(kFileName));
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(page) != page.size() || !target.commit())
        return Failure{QStringLiteral("无法写入说明文档：%1（%2）")
                           .arg(QDir::toNativeSeparators(path), target.errorString())};

    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(section);
    return url;
}

} // namespace quorvel
