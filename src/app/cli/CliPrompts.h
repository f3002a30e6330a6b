#pragma once

#include "workspace/Prompts.h"

#include <QString>

namespace quorvel::cli {

class CliContext;

// The prompts of a run without a window: notices become lines on stderr (prefixed with what
// the command is working on), questions and input boxes are answered with "cancel" since
// nobody is there to answer them, files to be shown are named on stderr.
class CliPrompts : public Prompts
{
public:
    explicit CliPrompts(const CliContext& context);

    // Text naming the item being processed, put before every notice; empty for none.
    void setSubject(const QString& subject);
    int noticeCount() const { return m_noticeCount; }

    void notice(const QString& title, const QString& message) override;
    bool question(const QString& title, const QString& message) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;
    void showFile(const QString& path) override;
    void openUrl(const QUrl& url) override;

private:
    const CliContext& m_context;
    QString m_subject;
    int m_noticeCount = 0;
};

} // namespace quorvel::cli
