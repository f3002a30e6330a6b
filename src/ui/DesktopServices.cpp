#include "ui/DesktopServices.h"

#include "workspace/Prompts.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>

namespace quorvel {

void DesktopServices::showFile(const QString& path)
{
    if (m_unattended)
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        m_prompts.notice(QStringLiteral("无法打开文件"),
                         QStringLiteral("没有找到能打开此文件的程序，文件保存在：\n%1")
                             .arg(QDir::toNativeSeparators(path)));
}

void DesktopServices::openUrl(const QUrl& url)
{
    if (m_unattended)
        return;
    if (!QDesktopServices::openUrl(url))
        m_prompts.notice(
            QStringLiteral("无法打开"),
            QStringLiteral("没有找到能打开此地址的浏览器：\n%1")
                .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()));
}

void DesktopServices::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString DesktopServices::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}

} // namespace quorvel
