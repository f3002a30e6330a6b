#pragma once

#include "workspace/Desktop.h"
#include "workspace/Prompts.h"

#include <QString>

namespace quorvel::cli {

class CliContext;

// The prompts of a run without a window: notices become lines on stderr; questions are answered
// OK with --yes and Cancel without it; input boxes and file dialogs are cancelled, since nobody is
// there to answer them (commands take those answers as arguments instead).
class CliPrompts : public Prompts
{
public:
    CliPrompts(const CliContext& context, bool answerYes);

    void notice(const QString& title, const QString& message) override;
    using Prompts::question;
    bool question(const QString& title, const QString& message, DefaultButton defaultButton) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;

private:
    const CliContext& m_context;
    bool m_answerYes;
};

// The desktop of a run without a window: nothing is opened (commands print the paths of the files
// they write); the clipboard lives for the run.
class CliDesktop : public Desktop
{
public:
    void showFile(const QString&) override {}
    void openUrl(const QUrl&) override {}
    void setClipboardText(const QString& text) override { m_clipboard = text; }
    QString clipboardText() const override { return m_clipboard; }

private:
    QString m_clipboard;
};

} // namespace quorvel::cli
