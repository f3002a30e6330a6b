#include "ui/DialogPrompts.h"

#include "ui/OperationProgress.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace quorvel {

namespace {

// A dialog asked for in the middle of long work shows the normal pointer, not the wait cursor.
class NormalPointer
{
public:
    NormalPointer() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalPointer() { QApplication::restoreOverrideCursor(); }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;
};

// A filter of "description|pattern" pairs joined by "|" ("Text(*.txt)|*.txt") becomes the file
// dialog's "description (pattern)" joined by ";;"; a filter without "|" is already the dialog's.
QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString pattern = parts.at(i + 1).trimmed();
        filters << (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

void DialogPrompts::setParentWidget(QWidget* parent)
{
    m_parent = parent;
}

QWidget* DialogPrompts::parent() const
{
    // No dialog of the program appears under a modal progress dialog waiting for its Cancel.
    OperationProgress::closeModal();
    if (m_parent)
        return m_parent;
    // The active window can be a progress dialog that has just been hidden: its own window then.
    QWidget* active = QApplication::activeWindow();
    while (active && !active->isVisible() && active->parentWidget())
        active = active->parentWidget()->window();
    return active;
}

void DialogPrompts::notice(const QString& title, const QString& message)
{
    if (m_unattended) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
        return;
    }
    NormalPointer pointer;
    QMessageBox::information(parent(), title, message, QMessageBox::Ok);
}

bool DialogPrompts::question(const QString& title, const QString& message, DefaultButton defaultButton)
{
    if (m_unattended) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
        return false;
    }
    NormalPointer pointer;
    QMessageBox box(QMessageBox::Question, title, message, QMessageBox::Ok | QMessageBox::Cancel, parent());
    box.setDefaultButton(defaultButton == DefaultButton::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

std::optional<QString> DialogPrompts::inputText(const QString& title, const QString& prompt,
                                                const QString& defaultText)
{
    if (m_unattended)
        return std::nullopt;
    NormalPointer pointer;
    bool ok = false;
    const QString text = QInputDialog::getText(parent(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString DialogPrompts::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    if (m_unattended)
        return {};
    NormalPointer pointer;
    return QFileDialog::getOpenFileName(parent(), title, folder, qtFileFilter(filter));
}

} // namespace quorvel
