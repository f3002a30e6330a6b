#pragma once

#include <QString>
#include <QUrl>

namespace quorvel {

// What the program hands to the user's desktop: a written file to look at, an address to open,
// text for the clipboard. The window program uses the desktop's default viewer and browser; tests
// record what was asked for.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Shows a file the program has written in the user's viewer.
    virtual void showFile(const QString& path) = 0;
    // Opens an address (documentation) in the user's browser.
    virtual void openUrl(const QUrl& url) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() const = 0;
};

} // namespace quorvel
