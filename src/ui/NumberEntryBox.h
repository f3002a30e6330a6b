#pragma once

#include <QLineEdit>

namespace quorvel {

// One of the eight number boxes of manual draw entry (`txtIpt1`..`txtIpt8`). Numbers are typed
// as two digits: a digit typed into a box that already holds a character (other than the text it
// replaces) completes the number, and so does Enter after two digits (after one in the last box).
// In boxes 1..7 the digit goes in and `numberCompleted` asks for the next box; in the last box
// the value becomes (current value) * 10 + digit and `numberCompleted` stores the draw. Every
// other key is ordinary editing.
class NumberEntryBox : public QLineEdit
{
    Q_OBJECT
public:
    NumberEntryBox(int position, bool lastBox, QWidget* parent = nullptr);

    int position() const { return m_position; }
    // The box's number; text that is not a number reads as 0.
    int number() const;

Q_SIGNALS:
    void numberCompleted(int position);
    // Any key in the last box (the history grid scrolls to its newest rows).
    void keyTypedInLastBox();
    // The box gained the focus from the user (keyboard or mouse), not from window activation.
    void focusEntered(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_position;
    bool m_lastBox;
};

} // namespace quorvel
