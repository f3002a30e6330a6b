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
    const QString typed = event->text();
    const bool digit = typed.size() == 1 && typed.at(0).isDigit() && typed.at(0).unicode() < 128;
    if (!digit || text().isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (m_lastBox) {
        setText(QString::number(qint64(number()) * 10 + typed.at(0).digitValue()));
        event->accept();
    } else {
        QLineEdit::keyPressEvent(event);
    }
    Q_EMIT numberCompleted(m_position);
}

void NumberEntryBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back to the window or closing a menu is no move of the user into this box.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Q_EMIT focusEntered(m_position);
}

} // namespace quorvel
