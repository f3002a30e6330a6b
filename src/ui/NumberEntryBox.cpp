#include "ui/NumberEntryBox.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace quorvel {

NumberEntryBox::NumberEntryBox(int position, bool lastBox, QWidget* parent)
    : QLineEdit(parent), m_position(position), m_lastBox(lastBox)
{
    setAlignment(Qt::AlignCenter);
}

int NumberEntryBox::number() const
{
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

void NumberEntryBox::keyPressEvent(QKeyEvent* event)
{
    if (m_lastBox)
        Q_EMIT keyTypedInLastBox();
    // Enter after two digits moves on (or stores the draw) as the second digit does; in the last
    // box one digit is a whole number too, so Enter stores the draw after it as well.
    const qsizetype typed = text().trimmed().size();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (typed >= 2 || (m_lastBox && typed == 1))) {
        event->accept();
        Q_EMIT numberCompleted(m_position);
        return;
    }
    const QString key = event->text();
    const bool digit = key.size() == 1 && key.at(0).isDigit() && key.at(0).unicode() < 128;
    // What stays of the box once the typed digit has replaced the selected text.
    const qsizetype kept = text().size() - selectedText().size();
    if (!digit || kept == 0 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (m_lastBox && !hasSelectedText()) {
        setText(QString::number(qint64(number()) * 10 + key.at(0).digitValue()));
        event->accept();
    } else {
        QLineEdit::keyPressEvent(event);
    }
    Q_EMIT numberCompleted(m_position);
}

void NumberEntryBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A number typed with one digit is shown as the two digits it stands for.
    const QString current = text().trimmed();
    if (current.size() == 1 && current.at(0).isDigit() && current.at(0).unicode() < 128)
        setText(QLatin1Char('0') + current);
}

void NumberEntryBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back to the window or closing a menu is no move of the user into this box.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Q_EMIT focusEntered(m_position);
}

} // namespace quorvel
