#include "ui/models/CalculationStepsModel.h"

namespace quorvel {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnWidthsTwips[CalculationStepsModel::kColumnCount] = {1200, 2600, 12000, 1600};
} // namespace

CalculationStepsModel::CalculationStepsModel(QObject* parent) : QAbstractTableModel(parent) {}

int CalculationStepsModel::columnWidthPixels(int column)
{
    return kColumnWidthsTwips[column] / kTwipsPerPixel;
}

void CalculationStepsModel::setRows(const QStringList& headers, std::vector<CalculationStepRow> rows)
{
    beginResetModel();
    m_headers = headers;
    m_rows = std::move(rows);
    endResetModel();
}

int CalculationStepsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CalculationStepsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CalculationStepsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CalculationStepRow& row = m_rows[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0:
            return row.issue;
        case 1:
            return row.numbers;
        case 2:
            return row.text;
        default:
            return row.value;
        }
    }
    // The issue reads from the left, everything else from the right.
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CalculationStepsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_headers.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers.at(section);
}

} // namespace quorvel
