#include "ui/HistoryModel.h"

#include "core/TermTable.h"
#include "workspace/Workspace.h"

#include <QBrush>
#include <QFont>

namespace quorvel {

namespace {
constexpr int kTwipsPerPixel = 15;
}

HistoryModel::HistoryModel(Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), m_workspace(workspace)
{
    m_rows = m_workspace.history()->drawCount();
    m_markedPosition = m_workspace.currentPosition();
    connect(&m_workspace, &Workspace::historyChanged, this, &HistoryModel::reload);
    connect(&m_workspace, &Workspace::currentPositionChanged, this, &HistoryModel::markPosition);
}

int HistoryModel::columnWidthPixels(int column)
{
    return (column == kIssueColumn ? kIssueWidthTwips : kNumberWidthTwips) / kTwipsPerPixel;
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DrawTable& history = *m_workspace.history();
    const int draw = index.row();
    const int column = index.column();
    if (draw >= history.drawCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (column == kIssueColumn)
            return QStringLiteral("%1").arg(history.issues()[std::size_t(draw)], 8, 10, QLatin1Char('0'));
        return QString::number(history.numbersAt(column)[draw]);
    case Qt::TextAlignmentRole:
        return column == kIssueColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignCenter);
    case Qt::FontRole:
        if (column == m_markedPosition) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ForegroundRole:
        if (column == m_markedPosition)
            return QBrush(Qt::blue);
        return {};
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return section == kIssueColumn ? QStringLiteral("期号") : positionName(section);
    return {};
}

void HistoryModel::reload()
{
    beginResetModel();
    m_rows = m_workspace.history()->drawCount();
    m_markedPosition = m_workspace.currentPosition();
    endResetModel();
}

void HistoryModel::markPosition(int position)
{
    if (position == m_markedPosition)
        return;
    const int previous = m_markedPosition;
    m_markedPosition = position;
    if (m_rows == 0)
        return;
    const QList<int> roles{Qt::FontRole, Qt::ForegroundRole};
    for (int column : {previous, position}) {
        if (column >= 1 && column < kColumnCount)
            Q_EMIT dataChanged(index(0, column), index(m_rows - 1, column), roles);
    }
}

} // namespace quorvel
