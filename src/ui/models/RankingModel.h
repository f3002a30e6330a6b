#pragma once

#include <QAbstractTableModel>

namespace quorvel {

class Ranking;

// The ranking grid `MSFlexGrid1` of one page of `frmErrarrLei`: the numbers 1..20 in the page's
// order with their counts and label; the text colour of a row follows its label, the number cell
// of a number an earlier page picked is grey.
class RankingModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 6;

    RankingModel(const Ranking& ranking, int page, QObject* parent = nullptr);

    static int columnWidthPixels(int column);

    // The ranking changed (a new fill or a re-sort): reads the page again.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Ranking& m_ranking;
    int m_page; // 1..8
    int m_rows = 0;
    bool m_resorted = false;
};

} // namespace quorvel
