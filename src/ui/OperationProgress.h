#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QProgressBar;
class QProgressDialog;
class QWidget;

namespace quorvel {

class JobSignals;

// The one progress dialog of the window program. It carries the title of the operation it
// belongs to, and it is closed before the operation's outcome is shown: the operation closes it
// when it ends, and every message, question or input box of the program closes any modal progress
// dialog still open before it appears (DialogPrompts calls closeModal()), so no message can ever
// sit under a modal dialog that waits for its Cancel. Closing it never counts as Cancel.
class OperationProgress : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString title;      // the operation's own title
        QString label;      // the line above the bar
        QString objectName; // what tests find it by
        int maximum = 0;    // 0: a busy bar without steps
        bool modal = true;  // modal to its window; otherwise the window stays usable
        int delayMs = 0;    // it appears only for an operation that takes longer than this
    };

    OperationProgress(QWidget* window, const Options& options);
    ~OperationProgress() override;

    // Shows the progress a job reports (range, value and text) until the dialog closes.
    void follow(const JobSignals& job);
    // The same for a bar that a window keeps in its own layout (range and value).
    static void follow(const JobSignals& job, QProgressBar* bar);
    void setLabelText(const QString& text);
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int maximum() const;
    // From here on the operation can no longer be stopped.
    void removeCancelButton();
    bool isOpen() const;
    QProgressDialog* dialog() const;

    // Hides and releases the dialog now; what it still receives is dropped. Safe to call again.
    void close();
    // Closes every open modal progress dialog: called before any message box or dialog appears.
    static void closeModal();

Q_SIGNALS:
    void cancelled(); // the user pressed 取消 (never sent by close())

private:
    QPointer<QProgressDialog> m_dialog;
    bool m_modal = true;
};

} // namespace quorvel
