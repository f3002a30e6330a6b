#pragma once

#include "workspace/Desktop.h"

namespace quorvel {

class Prompts;

// The window program's Desktop: the desktop's default viewer and browser, the system clipboard.
// What cannot be opened is said through Prompts.
class DesktopServices : public Desktop
{
public:
    explicit DesktopServices(Prompts& prompts) : m_prompts(prompts) {}

    // Unattended runs (smoke test, screenshot) open nothing.
    void setUnattended(bool unattended) { m_unattended = unattended; }

    void showFile(const QString& path) override;
    void openUrl(const QUrl& url) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() const override;

private:
    Prompts& m_prompts;
    bool m_unattended = false;
};

} // namespace quorvel
