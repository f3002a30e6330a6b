#include "ui/models/DistributionModel.h"

#include "verification/Ranking.h"

namespace quorvel {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnWidthsTwips[DistributionModel::kColumnCount] = {1200, 1200, 8000};
} // namespace

DistributionModel::DistributionModel(const Ranking& ranking, int page, QObject* parent)
    : QAbstractTableModel(parent), m_ranking(ranking), m_page(page)
{
    refresh();
}

int DistributionModel::columnWidthPixels(int column)
{
    return kColumnWidthsTwips[column] / kTwipsPerPixel;
}

void DistributionModel::refresh()
{
    beginResetModel();
    m_rows = m_page <= int(m_ranking.pages().size())
                 ? int(m_ranking.pages()[std::size_t(m_page - 1)].distribution.size())
                 : 0;
    endResetModel();
}

int DistributionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DistributionModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DistributionModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    // The ranking may have been filled anew before the window refreshes this model.
    if (m_page > int(m_ranking.pages().size()))
        return {};
    const std::vector<DistributionRow>& rows = m_ranking.pages()[std::size_t(m_page - 1)].distribution;
    if (index.row() >= int(rows.size()))
        return {};
    const DistributionRow& row = rows[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0:
            return row.count;
        case 1:
            return row.howMany;
        default:
            return row.text();
        }
    }
    if (role == Qt::TextAlignmentRole)
        return index.column() == 2 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
    return {};
}

QVariant DistributionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Ranking::distributionHeaders().at(section);
}

} // namespace quorvel
