#include "ui/tools/FormulaFilterWindow.h"

#include "workspace/FormulaFilters.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvel {

FormulaFilterWindow::FormulaFilterWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("frmGSGuolv"));
    setWindowTitle(QStringLiteral("公式过滤设置窗口"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("公式参数"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* rows = new QGridLayout(frame);
    const QString captions[4] = {QStringLiteral("最大连错"), QStringLiteral("最大连对"),
                                 QStringLiteral("最后连错"), QStringLiteral("最后连对")};
    for (int statistic = 0; statistic < 4; ++statistic) {
        rows->addWidget(new QLabel(captions[statistic], frame), statistic, 0);
        for (int bound = 0; bound < 2; ++bound) {
            auto* box = new QLineEdit(frame);
            box->setObjectName(QStringLiteral("Text1_%1").arg(2 + 2 * statistic + bound));
            box->installEventFilter(this);
            m_boxes[std::size_t(2 * statistic + bound)] = box;
            rows->addWidget(box, statistic, 1 + 2 * bound);
        }
        rows->addWidget(new QLabel(QStringLiteral("到"), frame), statistic, 2);
    }
    layout->addWidget(frame);

    m_okButton = new QPushButton(QStringLiteral("确定(&K)"), this);
    m_okButton->setObjectName(QStringLiteral("Command1"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &FormulaFilterWindow::applyFilter);
    layout->addWidget(m_okButton, 0, Qt::AlignRight);
}

void FormulaFilterWindow::ask()
{
    const std::array<int, 8> bounds = FormulaFilters(m_workspace).prefilledBounds();
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        m_boxes[i]->setText(QString::number(bounds[i]));
    show();
    raise();
    activateWindow();
}

void FormulaFilterWindow::applyFilter()
{
    std::array<QString, 8> texts;
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        texts[i] = m_boxes[i]->text();
    const int remaining = FormulaFilters(m_workspace).applyRangeFilter(texts);
    accept();
    Q_EMIT filtered(remaining);
}

bool FormulaFilterWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quorvel
