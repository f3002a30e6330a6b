#include "ui/FormulaListModel.h"

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
constexpr std::array<int, FormulaListModel::ColumnCount> kColumnWidthsTwips{420, 4800, 500, 420, 600, 600,
                                                                            800, 800,  800, 800, 0};

static_assert(FormulaListModel::ColumnCount == FormulaListSheet::kColumnCount);

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
    connect(&m_workspace, &Workspace::formulaListChanged, this, &FormulaListModel::resetToListOrder);
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

QString FormulaListModel::toolTip(int row, int column) const
{
    if (!isEvaluable(row))
        return QStringLiteral("公式无法计算");
    // A long formula shows its whole text, whatever the column's width.
    if (column == FormulaColumn)
        return data(index(row, column), Qt::DisplayRole).toString();
    if (column < MaxMissesColumn || column > LastHitsColumn)
        return {};
    const int listNumber = listNumberAt(row);
    const auto& results = m_workspace.formulaList().results();
    if (listNumber == 0 || listNumber > int(results.size()))
        return {};
    const FormulaListResult& result = results[std::size_t(listNumber - 1)];
    if (result.totalWeight <= 0)
        return QStringLiteral("没有可验证的历史期数");
    const double percent = 100.0 * double(result.hitWeight) / double(result.totalWeight);
    return QStringLiteral("加权正确率：%1%（命中权重 %2 / 总权重 %3）")
        .arg(percent, 0, 'f', 2)
        .arg(result.hitWeight)
        .arg(result.totalWeight);
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
    if (role == Qt::DisplayRole)
        return FormulaListSheet::headers().at(section);
    return {};
}

bool FormulaListModel::sortByColumn(int column)
{
    static const FormulaListSort::Key keys[] = {
        FormulaListSort::Key::Limit, FormulaListSort::Key::MaxMisses, FormulaListSort::Key::MaxHits,
        FormulaListSort::Key::LastMisses, FormulaListSort::Key::LastHits};
    if (column < LimitColumn || column > LastHitsColumn)
        return false;
    beginResetModel();
    m_sortedRows = FormulaListSort::sorted(m_workspace, keys[column - LimitColumn]);
    m_sorted = true;
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

} // namespace quorvel
