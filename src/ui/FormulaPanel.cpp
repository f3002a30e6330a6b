#include "ui/FormulaPanel.h"

#include "core/Settings.h"
#include "ui/FailureNotice.h"
#include "ui/FormulaListModel.h"
#include "ui/GridView.h"
#include "ui/OperationProgress.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/ToolWindows.h"
#include "ui/WaitCursor.h"
#include "ui/tools/CalculationStepsWindow.h"
#include "workspace/FormulaEntry.h"
#include "workspace/FormulaMaintenance.h"
#include "workspace/Workspace.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace quorvel {

FormulaPanel::FormulaPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_prompts(prompts), m_toolWindows(toolWindows)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_displayTabs = new QTabBar(this);
    m_displayTabs->setObjectName(QStringLiteral("TabStrip1"));
    m_displayTabs->addTab(QStringLiteral("公式中文显示"));
    m_displayTabs->addTab(QStringLiteral("公式英文显示"));
    m_displayTabs->setExpanding(false);
    m_displayTabs->setDrawBase(false);
    m_displayTabs->setCurrentIndex(m_workspace.chineseDisplay() ? 0 : 1);
    connect(m_displayTabs, &QTabBar::currentChanged, this, &FormulaPanel::chooseDisplay);
    layout->addWidget(m_displayTabs);

    m_model = new FormulaListModel(m_workspace, this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid2"));
    m_grid->setModel(m_model);
    for (int column = 0; column < FormulaListModel::ColumnCount; ++column)
        m_grid->setColumnWidth(column, FormulaListModel::columnWidthPixels(column));
    // Five-digit row numbers fit their column.
    m_grid->setColumnWidth(FormulaListModel::NumberColumn,
                           qMax(FormulaListModel::columnWidthPixels(FormulaListModel::NumberColumn),
                                fontMetrics().horizontalAdvance(QStringLiteral("88888")) + 10));
    m_grid->setColumnHidden(FormulaListModel::IdxColumn, true);
    m_equivalenceJob = new Job<std::vector<int>>(this);
    connect(m_equivalenceJob, &JobSignals::finished, this, &FormulaPanel::equivalenceFinished);
    // "随机概率" and "同输出" stand beside the statistics while their settings item is on; the formula
    // column gives up their width.
    const auto showOptionalColumns = [this] {
        const bool shown = sameOutputShown();
        int optionalWidth = 0;
        for (const int column : {FormulaListModel::ChanceColumn, FormulaListModel::SameOutputColumn}) {
            m_grid->setColumnHidden(column, !shown);
            optionalWidth += shown ? FormulaListModel::columnWidthPixels(column) : 0;
        }
        m_grid->setElasticColumn(
            FormulaListModel::FormulaColumn,
            FormulaListModel::columnWidthPixels(FormulaListModel::FormulaColumn) * 3 / 4 - optionalWidth);
        refreshEquivalence();
    };
    connect(&m_workspace.settings(), &Settings::changed, this, showOptionalColumns);
    // The formula column takes the room the window leaves; on a 1366 pixel screen it gives up
    // part of its design width so the statistics stay in view without scrolling sideways.
    showOptionalColumns();
    connect(&m_workspace, &Workspace::formulaListChanged, this, &FormulaPanel::refreshEquivalence);
    connect(&m_workspace, &Workspace::historyChanged, this, &FormulaPanel::refreshEquivalence);
    m_grid->viewport()->installEventFilter(this);
    connect(m_grid, &QAbstractItemView::clicked, this, &FormulaPanel::cellClicked);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &FormulaPanel::cellDoubleClicked);
    layout->addWidget(m_grid, 1);

    auto* typed = new QHBoxLayout;
    typed->setContentsMargins(0, 6, 0, 0);
    m_formulaBox = new QLineEdit(this);
    m_formulaBox->setObjectName(QStringLiteral("Text2"));
    m_formulaBox->setPlaceholderText(QStringLiteral("例如：第一码+第三大小+7=下期杀第一"));
    typed->addWidget(m_formulaBox, 1);
    m_addButton = new QPushButton(QStringLiteral("添加所输公式(&A)"), this);
    m_addButton->setObjectName(QStringLiteral("Command1"));
    m_addButton->setAutoDefault(false);
    connect(m_addButton, &QPushButton::clicked, this, &FormulaPanel::addTypedFormula);
    connect(m_formulaBox, &QLineEdit::returnPressed, m_addButton, &QPushButton::click);
    typed->addWidget(m_addButton);
    layout->addLayout(typed);

    createMenu();

    connect(&m_workspace, &Workspace::formulaListChanged, m_grid, &GridView::scrollNewestIntoView);
    connect(&m_workspace, &Workspace::displayModeChanged, this, [this](bool chinese) {
        const QSignalBlocker blocker(m_displayTabs);
        m_displayTabs->setCurrentIndex(chinese ? 0 : 1);
    });
}

void FormulaPanel::createMenu()
{
    m_formulaMenu = new QMenu(QStringLiteral("管理"), this);
    m_formulaMenu->setObjectName(QStringLiteral("mnuMang"));
    const struct
    {
        const char* name;
        const char* caption;
    } items[] = {
        {"mnuExl", "导出到EXCEL表格(&E)"}, {"mnuCulate", "查询该公式历史计算式(&U)"},
        {"mnuDelGS", "删除该公式(&D)"},    {"mnuDelXzGS", "删除选中所有公式(&C)"},
        {"mnuDelLst", "删除最后公式(&E)"}, {"mnuDelNXzGS", "删除未选中公式(&X)"},
    };
    for (const auto& item : items) {
        QAction* action = m_formulaMenu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1String(item.name));
    }
    QAction* steps = m_formulaMenu->findChild<QAction*>(QStringLiteral("mnuCulate"));
    connect(steps, &QAction::triggered, this, &FormulaPanel::showCalculationSteps);
    connectDeletions();
    m_formulaMenu->addSeparator();
    QAction* unselect = m_formulaMenu->addAction(QStringLiteral("取消重复公式的选中"));
    unselect->setObjectName(QStringLiteral("mnuUnselectRepeats"));
    unselect->setToolTip(QStringLiteral("每组每期输出都相同的公式只留第一个选中，预测时同一个公式只算一次"));
    connect(unselect, &QAction::triggered, this, &FormulaPanel::unselectRepeats);
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, m_prompts, this);
    QAction* spreadsheet = m_formulaMenu->findChild<QAction*>(QStringLiteral("mnuExl"));
    connect(spreadsheet, &QAction::triggered, this, [this] {
        // The list as shown: in the sorted order of a double click when it is sorted.
        if (!m_exportRunner->isRunning())
            m_exportRunner->start(SpreadsheetExport(m_workspace).formulaList(m_model->sortedRows()));
    });
}

void FormulaPanel::connectDeletions()
{
    const auto item = [this](const char* name) {
        return m_formulaMenu->findChild<QAction*>(QLatin1String(name));
    };
    m_deleteThisAction = item("mnuDelGS");
    const auto run = [this](const std::function<Status(FormulaMaintenance&)>& deletion) {
        WaitCursor wait;
        FormulaMaintenance maintenance(m_workspace);
        reportFailure(m_prompts, deletion(maintenance));
    };
    connect(m_deleteThisAction, &QAction::triggered, this, [this, run] {
        const int listNumber = m_model->listNumberAt(m_grid->currentIndex().row());
        run([listNumber](FormulaMaintenance& maintenance) { return maintenance.deleteFormula(listNumber); });
    });
    connect(item("mnuDelLst"), &QAction::triggered, this,
            [run] { run([](FormulaMaintenance& maintenance) { return maintenance.deleteLast(); }); });
    connect(item("mnuDelXzGS"), &QAction::triggered, this,
            [run] { run([](FormulaMaintenance& maintenance) { return maintenance.deleteMarked(true); }); });
    connect(item("mnuDelNXzGS"), &QAction::triggered, this,
            [run] { run([](FormulaMaintenance& maintenance) { return maintenance.deleteMarked(false); }); });
}

void FormulaPanel::chooseDisplay(int tab)
{
    WaitCursor wait;
    reportFailure(m_prompts, m_workspace.setChineseDisplay(tab == 0));
}

void FormulaPanel::cellClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.column() == FormulaListModel::FormulaColumn) {
        if (const int listNumber = m_model->listNumberAt(index.row()); listNumber != 0)
            m_workspace.toggleSelection(listNumber);
    } else if (index.column() == FormulaListModel::ComputedColumn) {
        m_model->markSameComputedValue(index.row());
    }
}

void FormulaPanel::cellDoubleClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (m_model->sortByColumn(index.column()))
        m_grid->scrollNewestIntoView();
}

void FormulaPanel::addTypedFormula()
{
    const QString text = m_formulaBox->text();
    Status added = success();
    {
        WaitCursor wait;
        added = FormulaEntry(m_workspace).addTyped(text);
    }
    if (added) {
        m_formulaBox->clear();
        return;
    }
    reportFailure(m_prompts, added);
    if (text.trimmed().isEmpty())
        m_formulaBox->setFocus(Qt::OtherFocusReason);
}

void FormulaPanel::showCalculationSteps()
{
    const std::optional<std::pair<QString, QString>> formula =
        m_model->formulaAt(m_grid->currentIndex().row());
    if (!formula)
        return;
    CalculationStepsWindow& steps = m_toolWindows.window<CalculationStepsWindow>(
        [this] { return new CalculationStepsWindow(m_workspace, m_prompts, window()); });
    steps.showFormula(formula->first, formula->second);
}

bool FormulaPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            // The menu acts on the formula under the pointer.
            const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
            if (index.isValid())
                m_grid->setCurrentIndex(index);
            // A formula of the other kind in the sorted order has no list number to delete by.
            m_deleteThisAction->setEnabled(m_model->listNumberAt(m_grid->currentIndex().row()) != 0);
            m_formulaMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FormulaPanel::sameOutputShown() const
{
    return m_workspace.settings().chanceColumn();
}

void FormulaPanel::refreshEquivalence()
{
    if (m_equivalence.isCurrentFor(m_workspace)) {
        if (!m_model->hasEquivalenceClasses())
            m_model->setEquivalenceClasses(m_equivalence.classes());
        return;
    }
    // A run going on for an older list is followed by one for this list when it ends.
    if ((!sameOutputShown() && !m_unselectRepeatsWhenDone) || m_equivalenceJob->isRunning())
        return;
    m_equivalenceInput =
        std::make_shared<const FormulaListEquivalence::Input>(FormulaListEquivalence::inputOf(m_workspace));
    const int count = int(m_equivalenceInput->formulas.size());
    // The window stays usable; the dialog appears only for a list that takes a while.
    m_equivalenceProgress = new OperationProgress(
        window(), {QStringLiteral("同输出"), QStringLiteral("正在比较公式在历史每一期的输出…"),
                   QStringLiteral("equivalenceProgress"), count, false, 500});
    m_equivalenceProgress->follow(*m_equivalenceJob);
    connect(m_equivalenceProgress, &OperationProgress::cancelled, this, [this] {
        m_unselectRepeatsWhenDone = false;
        m_equivalenceJob->cancel();
    });
    m_equivalenceJob->start([input = m_equivalenceInput, count](QPromise<std::vector<int>>& promise) {
        promise.setProgressRange(0, count);
        std::vector<int> classes = FormulaListEquivalence::classesOf(*input, [&promise](int done) {
            promise.setProgressValue(done);
            promise.suspendIfRequested();
            return !promise.isCanceled();
        });
        if (!promise.isCanceled())
            promise.addResult(std::move(classes));
    });
}

void FormulaPanel::equivalenceFinished()
{
    const bool done = m_equivalenceJob->hasResult();
    if (done)
        m_equivalence.store(*m_equivalenceInput, m_equivalenceJob->result());
    m_equivalenceInput.reset();
    if (m_equivalenceProgress) {
        m_equivalenceProgress->close();
        m_equivalenceProgress->deleteLater();
    }
    if (!done) {
        m_unselectRepeatsWhenDone = false;
        return;
    }
    if (!m_equivalence.isCurrentFor(m_workspace)) {
        refreshEquivalence(); // the list or history changed meanwhile
        return;
    }
    m_model->setEquivalenceClasses(m_equivalence.classes());
    if (std::exchange(m_unselectRepeatsWhenDone, false))
        unselectRepeats();
}

void FormulaPanel::unselectRepeats()
{
    if (!m_equivalence.isCurrentFor(m_workspace)) {
        m_unselectRepeatsWhenDone = true;
        refreshEquivalence();
        return;
    }
    if (!m_model->hasEquivalenceClasses())
        m_model->setEquivalenceClasses(m_equivalence.classes());
    FormulaListEquivalence::unselectRepeats(m_workspace, m_model->shownClasses(),
                                            m_model->shownListNumbers());
}

} // namespace quorvel
