#pragma once

#include "workspace/Desktop.h"
#include "workspace/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <optional>

namespace quorvel {

// Prompts answered from a script: tests queue the answers in advance and read afterwards every
// notice, question and input box that was shown, with its title and message. A question or
// input box with no answer queued is answered with Cancel and counted as unexpected, so a
// test never blocks and can assert that nothing was asked that it did not plan for. It is the
// session's Desktop as well: files shown, addresses opened and the clipboard are recorded.
class ScriptedPrompts : public Prompts, public Desktop
{
public:
    enum class Kind
    {
        Notice,
        Question,
        InputText,
        OpenFileName,
        ShowFile,
        OpenUrl
    };

    struct Record
    {
        Kind kind = Kind::Notice;
        QString title;
        QString message;     // notice or question text, input prompt, dialog filter, file path or address
        QString defaultText; // input boxes: the default text; file dialogs: the initial folder
        DefaultButton defaultButton = DefaultButton::Ok; // questions: the button Enter presses
    };

    void queueQuestionAnswer(bool ok);
    void queueInputText(std::optional<QString> answer); // empty optional = Cancel
    void queueOpenFileName(const QString& path);        // empty = cancelled dialog

    const QList<Record>& records() const { return m_records; }
    QList<Record> records(Kind kind) const;
    QList<Record> notices() const { return records(Kind::Notice); }
    int count(Kind kind) const { return int(records(kind).size()); }
    // The last record of a kind; a default record when there is none.
    Record last(Kind kind) const;
    QStringList shownFiles() const;
    QList<QUrl> openedUrls() const;

    int unexpectedCalls() const { return m_unexpectedCalls; } // asked with no answer queued
    int unusedAnswers() const;                                // queued but never asked for
    void clear();                                             // forgets records and answers

    void notice(const QString& title, const QString& message) override;
    using Prompts::question;
    bool question(const QString& title, const QString& message, DefaultButton defaultButton) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;
    void showFile(const QString& path) override;
    void openUrl(const QUrl& url) override;
    void setClipboardText(const QString& text) override { m_clipboard = text; }
    QString clipboardText() const override { return m_clipboard; }

private:
    QList<Record> m_records;
    std::deque<bool> m_questionAnswers;
    struct InputAnswer
    {
        bool cancelled = false;
        QString text;
    };
    std::deque<InputAnswer> m_inputAnswers;
    std::deque<QString> m_fileNames;
    int m_unexpectedCalls = 0;
    QString m_clipboard;
};

} // namespace quorvel
