#pragma once

#include <QAbstractTableModel>

namespace quorvel {

class Ranking;

// The distribution grid `MSFlexGrid3` of one page of `frmErrarrLei`: every count some number has,
// from the highest down, with how many numbers have it and which.
class DistributionModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 3;

    DistributionModel(const Ranking& ranking, int page, QObject* parent = nullptr);

    static int columnWidthPixels(int column);
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Ranking& m_ranking;
    int m_page; // 1..8
    int m_rows = 0;
};

} // namespace quorvel
