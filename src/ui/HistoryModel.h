#pragma once

#include <QAbstractTableModel>

namespace quorvel {

class Workspace;

// The history grid `MSFlexGrid1`: one row per stored draw, oldest first; column 0 the issue
// number, columns 1..8 the numbers in drawing order. The column of the current position is
// bold blue. Reads the workspace's in-memory history, so any length scrolls without delay.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kIssueColumn = 0;
    static constexpr int kColumnCount = 9;
    // Design widths in twips (twentieths of a point); a pixel is 15 twips on a 96 dpi screen.
    static constexpr int kIssueWidthTwips = 1500;
    static constexpr int kNumberWidthTwips = 600;

    explicit HistoryModel(Workspace& workspace, QObject* parent = nullptr);

    static int columnWidthPixels(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void reload();
    void markPosition(int position);

    Workspace& m_workspace;
    int m_rows = 0;
    int m_markedPosition = 1;
};

} // namespace quorvel
