#pragma once

#include "formulas/ParameterReference.h"

#include <QAbstractTableModel>

namespace quorvel {

// The parameter reference grid `MSFlexGrid1` of `frmShuoming`: the header row ("第一" .. "第八",
// "总位") is the view's header, the 40 parameter rows are the model's rows, with their labels in
// column 0.
class ParameterReferenceModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ParameterReferenceModel(QObject* parent = nullptr);

    // Shows the values of the newest draw, or only the labels and headers without one.
    void fill(const std::optional<Draw>& newestDraw);
    // The text of a cell of the 41 x 10 grid, header row 0 included.
    QString cellText(int gridRow, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    ParameterReference::Grid m_grid;
};

} // namespace quorvel
