#include "ui/HistoryPanel.h"

#include "core/TermTable.h"
#include "history/DrawEntry.h"
#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/HistoryMaintenance.h"
#include "ui/HistoryModel.h"
#include "ui/NumberEntryBox.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/WaitCursor.h"
#include "verification/HistoryDisplay.h"
#include "workspace/Desktop.h"
#include "workspace/ManualDrawEntry.h"
#include "workspace/Workspace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <optional>

namespace quorvel {

namespace {

QPushButton* commandButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

HistoryPanel::HistoryPanel(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_prompts(prompts)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_model = new HistoryModel(m_workspace, this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_model);
    int gridWidth = 0;
    for (int column = 0; column < HistoryModel::kColumnCount; ++column) {
        m_grid->setColumnWidth(column, HistoryModel::columnWidthPixels(column));
        gridWidth += HistoryModel::columnWidthPixels(column);
    }
    // With the per-draw results shown the grid scrolls sideways; the issues stay in view.
    m_grid->freezeFirstColumn();
    m_grid->setMinimumWidth(gridWidth + m_grid->verticalScrollBar()->sizeHint().width() +
                            2 * m_grid->frameWidth());
    m_grid->viewport()->installEventFilter(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(createEntryBox());

    m_onlineUpdateButton = commandButton("Command21", QStringLiteral("开奖历史号在线更新(&O)"), this);
    m_onlineUpdateButton->setToolTip(QStringLiteral("从官方服务器更新历史号码"));
    m_deleteNewestButton = commandButton("Command3", QStringLiteral("删除最后历史(&D)"), this);
    m_textExportButton = commandButton("cmdLsdcTxt", QStringLiteral("历史号码导出文本文件(&X)"), this);
    m_spreadsheetButton = commandButton("cmdDcexl", QStringLiteral("导出列表到Excel"), this);
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_onlineUpdateButton, 0, 0);
    buttons->addWidget(m_deleteNewestButton, 0, 1);
    buttons->addWidget(m_textExportButton, 1, 0);
    buttons->addWidget(m_spreadsheetButton, 1, 1);
    layout->addLayout(buttons);

    m_resultsCheck =
        new QCheckBox(QStringLiteral("历史列表显示公式各期验算结果(时间较长，请耐性等待...)"), this);
    m_resultsCheck->setObjectName(QStringLiteral("Check1"));
    layout->addWidget(m_resultsCheck);
    m_formulaScroll = new QScrollBar(Qt::Horizontal, this);
    m_formulaScroll->setObjectName(QStringLiteral("HScroll1"));
    m_formulaScroll->setEnabled(false);
    layout->addWidget(m_formulaScroll);

    createMenu();
    connectResultsDisplay();

    m_maintenance = new HistoryMaintenance(m_workspace, m_prompts, *this);
    connect(m_onlineUpdateButton, &QPushButton::clicked, m_maintenance, &HistoryMaintenance::updateOnline);
    connect(m_deleteNewestButton, &QPushButton::clicked, m_maintenance,
            &HistoryMaintenance::deleteNewestDraw);
    connect(m_textExportButton, &QPushButton::clicked, m_maintenance, &HistoryMaintenance::exportText);
    connect(m_deleteAllAction, &QAction::triggered, m_maintenance, &HistoryMaintenance::deleteAll);
    connect(m_deleteAfterAction, &QAction::triggered, m_maintenance, &HistoryMaintenance::deleteAfterIssue);
    connect(m_deleteNewestAction, &QAction::triggered, m_maintenance, &HistoryMaintenance::deleteNewestCount);
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, m_prompts, this);
    connect(m_spreadsheetButton, &QPushButton::clicked, this, &HistoryPanel::exportSpreadsheet);
    connect(m_spreadsheetAction, &QAction::triggered, this, &HistoryPanel::exportSpreadsheet);

    // The model has refreshed itself by the time this runs (it connected first).
    connect(&m_workspace, &Workspace::historyChanged, m_grid, &GridView::scrollNewestIntoView);
    connect(&m_workspace, &Workspace::issueTextChanged, this, [this](const QString& text) {
        if (m_issueBox->text() != text)
            m_issueBox->setText(text);
    });
}

QWidget* HistoryPanel::createEntryBox()
{
    auto* entry = new QGroupBox(this);
    auto* layout = new QGridLayout(entry);
    auto* prompt = new QLabel(QStringLiteral("手工输入已经开出的历史号码记录下一期:"), entry);
    prompt->setObjectName(QStringLiteral("Label12"));
    layout->addWidget(prompt, 0, 0, 1, 9);

    auto* issueLabel = new QLabel(QStringLiteral("期号："), entry);
    issueLabel->setObjectName(QStringLiteral("lblIssue"));
    m_issueBox = new QLineEdit(m_workspace.issueText(), entry);
    m_issueBox->setObjectName(QStringLiteral("Text1"));
    m_issueBox->setMaxLength(16);
    m_issueBox->setToolTip(QStringLiteral("期号（Alt+Q）"));
    issueLabel->setBuddy(m_issueBox);
    // The caption carries no mnemonic, so the shortcut to the issue box is set apart.
    auto* issueShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Q), this);
    connect(issueShortcut, &QShortcut::activated, this, &HistoryPanel::focusIssueBox);
    auto* issueRow = new QHBoxLayout;
    issueRow->addWidget(issueLabel);
    issueRow->addWidget(m_issueBox);
    issueRow->addStretch(1);
    layout->addLayout(issueRow, 1, 0, 1, 9);
    connect(m_issueBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_workspace.setIssueText(text); });
    m_issueBox->installEventFilter(this); // a pasted draw line

    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12;
    for (int position = 1; position <= kPositionCount; ++position) {
        auto* box = new NumberEntryBox(position, position == kPositionCount, entry);
        box->setObjectName(QStringLiteral("txtIpt%1").arg(position));
        box->setFixedWidth(boxWidth);
        box->setToolTip(positionName(position));
        m_numberBoxes[std::size_t(position - 1)] = box;
        layout->addWidget(box, 2, position - 1);
        connect(box, &NumberEntryBox::numberCompleted, this, &HistoryPanel::numberCompleted);
        if (position == 1) {
            connect(box, &NumberEntryBox::focusEntered, this, &HistoryPanel::clearNumberBoxes);
            box->installEventFilter(this); // a pasted draw line
        }
        if (position == kPositionCount) {
            connect(box, &NumberEntryBox::keyTypedInLastBox, this, [this] {
                if (m_model->rowCount() + 1 >= GridView::kScrollRowThreshold)
                    m_grid->scrollNewestIntoView();
            });
        }
    }
    layout->setColumnStretch(kPositionCount, 1);
    return entry;
}

void HistoryPanel::createMenu()
{
    m_historyMenu = new QMenu(QStringLiteral("历史管理"), this);
    m_historyMenu->setObjectName(QStringLiteral("mnuLsgl"));
    const struct
    {
        const char* name;
        const char* caption;
        QAction** slot; // the built items
    } items[] = {
        {"mnuDcls", "导出历史号码(&O)", &m_spreadsheetAction},
        {"mnuDlAll", "删除所有历史(&A）", &m_deleteAllAction},
        {"mnuDlzd", "删除到选定期(&D)", &m_deleteAfterAction},
        {"mnuEszhzd", "删除最后指定数量期历史(&E)", &m_deleteNewestAction},
    };
    for (const auto& item : items) {
        QAction* action = m_historyMenu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1String(item.name));
        action->setEnabled(item.slot != nullptr);
        if (item.slot)
            *item.slot = action;
    }
    m_historyMenu->addSeparator();
    QAction* import = m_historyMenu->addAction(QStringLiteral("从文本文件导入历史号码(&I)"));
    import->setObjectName(QStringLiteral("mnuDrls"));
    connect(import, &QAction::triggered, this, [this] { m_maintenance->importFile(); });
    QAction* missing = m_historyMenu->addAction(QStringLiteral("检查缺失期号(&M)"));
    missing->setObjectName(QStringLiteral("mnuJcqh"));
    connect(missing, &QAction::triggered, this, [this] { m_maintenance->showMissing(); });
}

void HistoryPanel::exportSpreadsheet()
{
    if (m_exportRunner->isRunning())
        return;
    if (std::optional<SpreadsheetJob> job = SpreadsheetExport(m_workspace).history(m_model->resultsShown()))
        m_exportRunner->start(std::move(*job));
}

void HistoryPanel::focusFirstNumberBox()
{
    m_numberBoxes[0]->setFocus(Qt::OtherFocusReason);
}

void HistoryPanel::focusIssueBox()
{
    m_issueBox->setFocus(Qt::ShortcutFocusReason);
    m_issueBox->selectAll();
}

void HistoryPanel::numberCompleted(int position)
{
    if (position < kPositionCount) {
        m_numberBoxes[std::size_t(position)]->setFocus(Qt::TabFocusReason);
        return;
    }
    storeDraw();
}

void HistoryPanel::storeDraw()
{
    DrawNumbers numbers{};
    for (int p = 0; p < kPositionCount; ++p)
        numbers[std::size_t(p)] = m_numberBoxes[std::size_t(p)]->number();
    std::optional<Result<Status>> stored;
    {
        WaitCursor wait;
        stored = ManualDrawEntry(m_workspace).add(m_issueBox->text(), numbers);
    }
    // A refused draw keeps its numbers in the boxes for correction.
    if (!*stored) {
        reportFailure(m_prompts, stored->failure());
        return;
    }
    reportFailure(m_prompts, **stored);
    clearNumberBoxes();
    focusFirstNumberBox();
    m_grid->scrollNewestIntoView();
}

bool HistoryPanel::pasteDraw(const QString& text)
{
    const Result<std::optional<DrawEntry::PastedDraw>> pasted = DrawEntry::pastedDraw(text);
    if (!pasted) {
        m_prompts.notice(QStringLiteral("号码输入有误"), pasted.error());
        return true;
    }
    if (!*pasted)
        return false; // one field: the box pastes it as it is
    m_issueBox->setText((*pasted)->issue);
    m_workspace.setIssueText((*pasted)->issue);
    for (int p = 0; p < kPositionCount; ++p)
        m_numberBoxes[std::size_t(p)]->setText(
            QStringLiteral("%1").arg((*pasted)->numbers[std::size_t(p)], 2, 10, QLatin1Char('0')));
    storeDraw();
    return true;
}

void HistoryPanel::clearNumberBoxes()
{
    for (NumberEntryBox* box : m_numberBoxes)
        box->clear();
}

void HistoryPanel::connectResultsDisplay()
{
    m_grid->horizontalHeader()->setDefaultSectionSize(
        HistoryModel::columnWidthPixels(HistoryModel::kColumnCount));
    // The default size is the formula columns'; the nine columns of the draws keep their own,
    // also after a reset of the model (every fill) gives the header its sections anew.
    fitColumns();
    connect(m_model, &QAbstractItemModel::modelReset, this, &HistoryPanel::fitColumns);
    m_formulaScroll->setMinimum(1);
    m_formulaScroll->setMaximum(1);
    m_formulaScroll->setSingleStep(HistoryDisplay::kScrollPage);
    m_formulaScroll->setPageStep(HistoryDisplay::kScrollPage);
    connect(m_resultsCheck, &QCheckBox::toggled, this, &HistoryPanel::showResults);
    connect(m_formulaScroll, &QScrollBar::valueChanged, this, &HistoryPanel::jumpToFormulaPage);
    connect(&m_workspace, &Workspace::formulaListChanged, this, [this] {
        m_formulaScroll->setMaximum(HistoryDisplay::scrollMaximum(m_model->formulaColumnCount()));
    });
}

void HistoryPanel::showResults(bool shown)
{
    Status verified = success();
    {
        WaitCursor wait;
        m_model->setResultsShown(shown);
        m_formulaScroll->setValue(1);
        m_formulaScroll->setMaximum(HistoryDisplay::scrollMaximum(m_model->formulaColumnCount()));
        m_formulaScroll->setEnabled(shown);
        // The pass fills the statistics the display is read with.
        verified = m_workspace.Yansuan();
        m_grid->scrollNewestIntoView();
    }
    reportFailure(m_prompts, verified);
}

void HistoryPanel::jumpToFormulaPage(int value)
{
    // The bar stops at the first formula of a page: 1, 501, 1001, ...
    const int first = (value - 1) / HistoryDisplay::kScrollPage * HistoryDisplay::kScrollPage + 1;
    if (first != value) {
        m_formulaScroll->setValue(first);
        return;
    }
    if (!m_model->resultsShown())
        return;
    const int column = HistoryDisplay::gridColumnOfFormula(first);
    m_grid->horizontalScrollBar()->setValue(first == 1 ? 0
                                                       : m_grid->horizontalHeader()->sectionPosition(column));
}

void HistoryPanel::fitColumns()
{
    for (int column = 0; column < HistoryModel::kColumnCount; ++column)
        m_grid->setColumnWidth(column, HistoryModel::columnWidthPixels(column));
}

bool HistoryPanel::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_issueBox || watched == m_numberBoxes[0]) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
        return pasteDraw(m_workspace.desktop().clipboardText());
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            m_historyMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvel
