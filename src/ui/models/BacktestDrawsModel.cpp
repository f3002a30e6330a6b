#include "ui/models/BacktestDrawsModel.h"

#include "core/TermTable.h"
#include "history/DrawEntry.h"

#include <QBrush>
#include <QColor>
#include <QStringList>

namespace quorvel {

namespace {

const char* const kHeaders[BacktestDrawsModel::ColumnCount] = {"期号", "位置", "选号", "开奖号", "正确"};

} // namespace

const QColor& BacktestDrawsModel::heldColour()
{
    static const QColor colour(0x00, 0x00, 0xFF);
    return colour;
}

const QColor& BacktestDrawsModel::failedColour()
{
    static const QColor colour(0x00, 0xFF, 0x00);
    return colour;
}

BacktestDrawsModel::BacktestDrawsModel(QObject* parent) : QAbstractTableModel(parent) {}

void BacktestDrawsModel::setResult(const BacktestResult& result)
{
    beginResetModel();
    m_draws = result.draws;
    m_positions = result.shownPosition;
    endResetModel();
}

int BacktestDrawsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_draws.size()) * m_positions;
}

int BacktestDrawsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BacktestDrawsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const BacktestDraw& draw = m_draws[std::size_t(index.row() / m_positions)];
    const int position = index.row() % m_positions + 1;
    const BacktestPage& page = draw.pages[std::size_t(position - 1)];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case IssueColumn:
            return DrawEntry::issueText(draw.issue);
        case PositionColumn:
            return positionName(position);
        case PicksColumn: {
            QStringList numbers;
            for (const int n : page.picks)
                numbers << QString::number(n);
            return numbers.join(QLatin1Char(' '));
        }
        case DrawnColumn:
            return page.drawn;
        case RightColumn:
            return page.picks.empty() ? QString()
                                      : QStringLiteral("%1/%2").arg(page.right).arg(page.picks.size());
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (index.column() != RightColumn || page.picks.empty())
            return {};
        return QBrush(pageHeld(page.picks, page.drawn) ? heldColour() : failedColour());
    case Qt::ForegroundRole:
        if (index.column() == RightColumn && !page.picks.empty() && pageHeld(page.picks, page.drawn))
            return QBrush(Qt::white);
        return {};
    default:
        return {};
    }
}

QVariant BacktestDrawsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromUtf8(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace quorvel
