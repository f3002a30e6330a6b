#pragma once

#include "verification/CalculationSteps.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace quorvel {

// The grid `MSFlexGrid1` of `frmGsbz`: one row per draw, oldest first, with its issue, its
// numbers, the formula with the draw's values written in, and the formula's value.
class CalculationStepsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 4;

    explicit CalculationStepsModel(QObject* parent = nullptr);

    static int columnWidthPixels(int column);
    void setRows(const QStringList& headers, std::vector<CalculationStepRow> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_headers;
    std::vector<CalculationStepRow> m_rows;
};

} // namespace quorvel
