#pragma once

#include <QString>

#include <optional>

namespace quorvel {

// Every question, notice, input box and file dialog goes through this interface: real dialogs in
// the window program, answers from the command line in the companion, a scripted fake in tests.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A notice with an OK button.
    virtual void notice(const QString& title, const QString& message) = 0;
    // Which button of a question Enter presses. Questions before a deletion default to Cancel,
    // so a stray Enter never deletes anything.
    enum class DefaultButton
    {
        Ok,
        Cancel
    };

    // A question with OK and Cancel and the question icon; true for OK.
    bool question(const QString& title, const QString& message)
    {
        return question(title, message, DefaultButton::Ok);
    }
    virtual bool question(const QString& title, const QString& message, DefaultButton defaultButton) = 0;
    // An input box; empty optional when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt,
                                             const QString& defaultText) = 0;
    // An open-file dialog; empty when cancelled. The filter is Qt's ("文件 (*.txt);;所有文件 (*)")
    // or "description|pattern" pairs joined by "|" ("Text(*.txt)|*.txt").
    virtual QString openFileName(const QString& title, const QString& folder, const QString& filter) = 0;
};

} // namespace quorvel
