#pragma once

#include "workspace/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace quorvel {

// The window program's Prompts: modal message boxes, input boxes and file dialogs over the window
// they belong to (each tool window has its own).
class DialogPrompts : public Prompts
{
public:
    explicit DialogPrompts(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window the dialogs are centred on and modal to (the active window when unset).
    void setParentWidget(QWidget* parent);
    // Unattended runs (smoke test, screenshot) never wait for a person: notices go to the error
    // output, questions and input boxes are answered with Cancel, file dialogs are cancelled.
    void setUnattended(bool unattended) { m_unattended = unattended; }

    void notice(const QString& title, const QString& message) override;
    using Prompts::question;
    bool question(const QString& title, const QString& message, DefaultButton defaultButton) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;

private:
    QWidget* parent() const;

    QPointer<QWidget> m_parent;
    bool m_unattended = false;
};

} // namespace quorvel
