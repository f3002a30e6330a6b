#include "ui/models/RankingModel.h"

#include "verification/Ranking.h"

#include <QBrush>
#include <QColor>

namespace quorvel {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kColumnWidthsTwips[RankingModel::kColumnCount] = {600, 600, 1000, 1000, 1000, 1000};

QColor colourOf(quint32 rgb)
{
    return QColor::fromRgb(QRgb(rgb));
}

} // namespace

RankingModel::RankingModel(const Ranking& ranking, int page, QObject* parent)
    : QAbstractTableModel(parent), m_ranking(ranking), m_page(page)
{
    refresh();
}

int RankingModel::columnWidthPixels(int column)
{
    return kColumnWidthsTwips[column] / kTwipsPerPixel;
}

void RankingModel::refresh()
{
    beginResetModel();
    const bool exists = m_page <= int(m_ranking.pages().size());
    const RankingPage* page = exists ? &m_ranking.pages()[std::size_t(m_page - 1)] : nullptr;
    m_rows = page ? int(page->rows.size()) : 0;
    m_resorted = page && page->resorted;
    endResetModel();
}

int RankingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RankingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RankingModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    // The ranking may have been filled anew before the window refreshes this model.
    if (m_page > int(m_ranking.pages().size()))
        return {};
    const RankingPage& page = m_ranking.pages()[std::size_t(m_page - 1)];
    if (index.row() >= int(page.rows.size()))
        return {};
    const RankedNumber& row = page.rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return row.rank;
        case 1:
            return row.number;
        case 2:
            return row.total;
        case 3:
            return row.kill;
        case 4:
            return row.keep;
        default:
            return row.label();
        }
    case Qt::ForegroundRole:
        return QBrush(colourOf(row.textColour()));
    case Qt::BackgroundRole:
        if (index.column() == 1 && row.pick == PickMark::Grey)
            return QBrush(colourOf(kRankingGreyCell));
        return {};
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    case Qt::ToolTipRole:
        if (index.column() == 1 && row.pick == PickMark::Picked)
            return QStringLiteral("本页选中的号码");
        if (index.column() == 1 && row.pick == PickMark::Grey)
            return QStringLiteral("前面的页已经选中的号码");
        return {};
    default:
        return {};
    }
}

QVariant RankingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Ranking::rankingHeaders(m_resorted).at(section);
}

} // namespace quorvel
