#include "ui/FormulaListModel.h"

#include "workspace/FormulaListEquivalence.h"
#include "workspace/FormulaListSheet.h"
#include "workspace/Workspace.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <array>

namespace quorvel {

namespace {

constexpr int kTwipsPerPixel = 15;
// Design widths in twips, by column.
constexpr std::array<int, FormulaListModel::ColumnCount> kColumnWidthsTwips{
    420, 4800, 500, 420, 600, 600, 800, 800, 800, 800, 0, 900, 700};

// The sheet holds the columns up to the hidden `idx`; the chance and same-output columns are the
// window's alone.
static_assert(FormulaListModel::IdxColumn + 1 == FormulaListSheet::kColumnCount);

} // namespace

const QColor& FormulaListModel::selectedColour()
{
    static const QColor colour(0x00, 0x00, 0xFF);
    return colour;
}

const QColor& FormulaListModel::sameValueColour()
{
    static const QColor colour(0x00, 0xFF, 0x00);
    return colour;
}

FormulaListModel::FormulaListModel(Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), m_workspace(workspace)
{
    m_listRows = m_workspace.formulaList().count();
    connect(&m_workspace, &Workspace::formulaListChanged, this, [this] {
        m_classes.clear();
        resetToListOrder();
    });
    connect(&m_workspace, &Workspace::currentPositionChanged, this, &FormulaListModel::resetToListOrder);
    connect(&m_workspace, &Workspace::resultsChanged, this, &FormulaListModel::refreshResults);
    connect(&m_workspace, &Workspace::selectionChanged, this, &FormulaListModel::refreshSelection);
}

int FormulaListModel::columnWidthPixels(int column)
{
    if (column < 0 || column >= ColumnCount)
        return 0;
    return kColumnWidthsTwips[std::size_t(column)] / kTwipsPerPixel;
}

int FormulaListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_sorted ? int(m_sortedRows.size()) : m_listRows;
}

int FormulaListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int FormulaListModel::listNumberAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    const int listNumber = m_sorted ? m_sortedRows[std::size_t(row)].listNumber : row + 1;
    return listNumber <= m_workspace.formulaList().count() ? listNumber : 0;
}

std::optional<std::pair<QString, QString>> FormulaListModel::formulaAt(int row) const
{
    if (const int listNumber = listNumberAt(row); listNumber != 0) {
        const FormulaListRow& formula = m_workspace.formulaList().row(listNumber);
        return std::make_pair(formula.code, formula.displayText);
    }
    if (m_sorted && row >= 0 && row < int(m_sortedRows.size())) {
        const FormulaRecord& stored = m_sortedRows[std::size_t(row)].stored;
        return std::make_pair(stored.code, stored.displayText);
    }
    return std::nullopt;
}

bool FormulaListModel::isEvaluable(int row) const
{
    const int listNumber = listNumberAt(row);
    const auto& results = m_workspace.formulaList().results();
    if (listNumber == 0 || listNumber > int(results.size()))
        return true;
    return results[std::size_t(listNumber - 1)].evaluable;
}

QString FormulaListModel::computedText(int row) const
{
    const int listNumber = listNumberAt(row);
    return listNumber == 0 ? QString() : m_workspace.computedValue(listNumber);
}

FormulaListSheet::ShownFormula FormulaListModel::shownFormula(int row) const
{
    if (const int listNumber = listNumberAt(row); listNumber != 0)
        return {listNumber, nullptr};
    if (m_sorted && row >= 0 && row < int(m_sortedRows.size()))
        return {0, &m_sortedRows[std::size_t(row)].stored};
    return {};
}

std::optional<ChanceBaseline::Figures> FormulaListModel::chanceFigures(int row) const
{
    const int listNumber = listNumberAt(row);
    const auto& results = m_workspace.formulaList().results();
    if (listNumber == 0 || listNumber > int(results.size()))
        return std::nullopt;
    const FormulaListResult& result = results[std::size_t(listNumber - 1)];
    if (!result.evaluable || result.outcomes <= 0)
        return std::nullopt;
    return ChanceBaseline::figures(result.outcomes, result.hits, result.statistics.maxMisses,
                                   result.statistics.maxHits, m_workspace.currentKindIsKill());
}

QString FormulaListModel::chanceText(int row) const
{
    const std::optional<ChanceBaseline::Figures> figures = chanceFigures(row);
    return figures ? ChanceBaseline::percentText(ChanceBaseline::listChance(*figures)) : QString();
}

QString FormulaListModel::toolTip(int row, int column) const
{
    if (!isEvaluable(row))
        return QStringLiteral("公式无法计算");
    // A long formula shows its whole text, whatever the column's width.
    if (column == FormulaColumn)
        return data(index(row, column), Qt::DisplayRole).toString();
    if (column == LimitColumn) {
        const QString limit = FormulaListSheet::text(m_workspace, row, shownFormula(row), column);
        return !limit.isEmpty()
                   ? QStringLiteral(
                         "极限值%1：“更新极限值(U)”为该公式记下的连错期数，最后连错达到它时公式处在极限。")
                         .arg(limit)
                   : QStringLiteral("尚无极限值：“更新极限值(U)”会为该公式记下连错期数。");
    }
    if (column == SameOutputColumn) {
        const QString first = data(index(row, column), Qt::DisplayRole).toString();
        return first.isEmpty()
                   ? QString()
                   : QStringLiteral("与第%1行的公式在历史的每一期算出的号码都相同，两者是同一个公式。")
                         .arg(first);
    }
    if (column < MaxMissesColumn || (column > LastHitsColumn && column != ChanceColumn))
        return {};
    const int listNumber = listNumberAt(row);
    const auto& results = m_workspace.formulaList().results();
    if (listNumber == 0 || listNumber > int(results.size()))
        return {};
    const FormulaListResult& result = results[std::size_t(listNumber - 1)];
    const std::optional<ChanceBaseline::Figures> figures = chanceFigures(row);
    if (!figures || result.totalWeight <= 0)
        return QStringLiteral("没有可验证的历史期数");

    const bool kill = m_workspace.currentKindIsKill();
    const QString nobody = kill ? QStringLiteral("一个毫无预测能力的杀码公式（每期约95%对）")
                                : QStringLiteral("一个毫无预测能力的留码公式（每期约5%对）");
    const QString n = QString::number(figures->outcomes);
    const RunStatistics& s = result.statistics;
    const auto percent = [](double p) { return ChanceBaseline::percentText(p); };
    switch (column) {
    case MaxMissesColumn:
        return QStringLiteral("验证的%1期中最长连错%2期，%3在%1期中连错至少这么长的概率为%4。")
            .arg(n)
            .arg(s.maxMisses)
            .arg(nobody, percent(figures->maxMissChance));
    case MaxHitsColumn:
        return QStringLiteral("验证的%1期中最长连对%2期，%3在%1期中连对至少这么长的概率为%4。")
            .arg(n)
            .arg(s.maxHits)
            .arg(nobody, percent(figures->maxHitChance));
    case LastMissesColumn:
        return s.lastMisses == 0
                   ? QStringLiteral("最近一期公式对了，所以最后连错为0。")
                   : QStringLiteral("最近连续错了%1期，%2最近至少连错这么多期的概率为%3。")
                         .arg(s.lastMisses)
                         .arg(nobody, percent(ChanceBaseline::lastRunChance(s.lastMisses, false, kill)));
    case LastHitsColumn:
        return s.lastHits == 0
                   ? QStringLiteral("最近一期公式错了，所以最后连对为0。")
                   : QStringLiteral("最近连续对了%1期，%2最近至少连对这么多期的概率为%3。")
                         .arg(s.lastHits)
                         .arg(nobody, percent(ChanceBaseline::lastRunChance(s.lastHits, true, kill)));
    default: {
        const double weighted = double(result.hitWeight) / double(result.totalWeight);
        return QStringLiteral(
                   "验证的%1期中对了%2期（正确率%3%，加权正确率%4%），%5对这么多期或更多的概率为%6，"
                   "连对%7期或更长的概率为%8，本列取两者中较小的。")
            .arg(n)
            .arg(figures->hits)
            .arg(100 * figures->hitRate, 0, 'f', 2)
            .arg(100 * weighted, 0, 'f', 2)
            .arg(nobody, percent(figures->hitsChance))
            .arg(s.maxHits)
            .arg(percent(figures->maxHitChance));
    }
    }
}

QVariant FormulaListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    const int listNumber = listNumberAt(row);
    const bool known = listNumber != 0 || (m_sorted && row < int(m_sortedRows.size()));
    if (!known)
        return {};
    const bool selected = listNumber != 0 && m_workspace.isSelected(listNumber);

    switch (role) {
    case Qt::DisplayRole:
        if (column == ChanceColumn)
            return chanceText(row);
        if (column == SameOutputColumn) {
            const int first = row < int(m_shownClasses.size()) ? m_shownClasses[std::size_t(row)] : 0;
            return first != 0 && first != row + 1 ? QString::number(first) : QString();
        }
        return FormulaListSheet::text(m_workspace, row, shownFormula(row), column);
    case Qt::TextAlignmentRole:
        if (column == FormulaColumn)
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (column == NumberColumn)
            return selected ? QBrush(selectedColour())
                            : QBrush(QGuiApplication::palette().color(QPalette::Button));
        if (column == ComputedColumn) {
            const QString value = computedText(row);
            if (m_markedValue && !value.isEmpty() && value == *m_markedValue)
                return QBrush(sameValueColour());
            return QBrush(Qt::white);
        }
        return {};
    case Qt::ForegroundRole:
        if (column == NumberColumn && selected)
            return QBrush(Qt::white);
        if (!isEvaluable(row))
            return QBrush(Qt::gray);
        if (column == ComputedColumn)
            return QBrush(Qt::blue);
        return {};
    case Qt::FontRole:
        if (!isEvaluable(row)) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: {
        const QString tip = toolTip(row, column);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
        return {};
    }
}

QVariant FormulaListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role != Qt::DisplayRole)
        return {};
    if (section == ChanceColumn)
        return QStringLiteral("随机概率");
    if (section == SameOutputColumn)
        return QStringLiteral("同输出");
    return FormulaListSheet::headers().at(section);
}

bool FormulaListModel::sortByColumn(int column)
{
    static const FormulaListSort::Key keys[] = {
        FormulaListSort::Key::Limit, FormulaListSort::Key::MaxMisses, FormulaListSort::Key::MaxHits,
        FormulaListSort::Key::LastMisses, FormulaListSort::Key::LastHits};
    if (column < LimitColumn || column > LastHitsColumn)
        return false;
    // A second double click on the same column reverses the order.
    m_sortDescending = m_sorted && m_sortColumn == column && !m_sortDescending;
    m_sortColumn = column;
    beginResetModel();
    m_sortedRows = FormulaListSort::sorted(m_workspace, keys[column - LimitColumn], m_sortDescending);
    m_sorted = true;
    updateShownClasses();
    endResetModel();
    return true;
}

void FormulaListModel::markSameComputedValue(int row)
{
    const QString value = computedText(row);
    if (value.isEmpty())
        m_markedValue.reset();
    else
        m_markedValue = value;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, ComputedColumn), index(rowCount() - 1, ComputedColumn),
                           {Qt::BackgroundRole});
}

void FormulaListModel::resetToListOrder()
{
    beginResetModel();
    m_sorted = false;
    m_sortedRows.clear();
    m_markedValue.reset();
    m_listRows = m_workspace.formulaList().count();
    updateShownClasses();
    endResetModel();
}

void FormulaListModel::refreshResults()
{
    const int rows = m_workspace.formulaList().count();
    if (m_sorted || rows != m_listRows) {
        beginResetModel();
        m_sorted = false;
        m_sortedRows.clear();
        m_listRows = rows;
        updateShownClasses();
        endResetModel();
        return;
    }
    if (m_listRows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_listRows - 1, ColumnCount - 1));
}

void FormulaListModel::refreshSelection()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, NumberColumn), index(rowCount() - 1, ComputedColumn));
}

std::vector<int> FormulaListModel::shownListNumbers() const
{
    std::vector<int> listNumbers(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        listNumbers[std::size_t(row)] = listNumberAt(row);
    return listNumbers;
}

void FormulaListModel::setEquivalenceClasses(std::vector<int> classes)
{
    m_classes = std::move(classes);
    updateShownClasses();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, SameOutputColumn), index(rowCount() - 1, SameOutputColumn));
}

void FormulaListModel::updateShownClasses()
{
    // Classes held for another list than the one shown would name the wrong rows.
    if (m_classes.size() != std::size_t(m_workspace.formulaList().count()))
        m_classes.clear();
    m_shownClasses = m_classes.empty() ? std::vector<int>()
                                       : FormulaListEquivalence::inOrder(m_classes, shownListNumbers());
}

} // namespace quorvel
