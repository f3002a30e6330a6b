#pragma once

#include <QAbstractTableModel>

#include <memory>

namespace quorvel {

class HistoryDisplay;
class Workspace;

// The history grid `MSFlexGrid1`: one row per stored draw, oldest first; column 0 the issue
// number, columns 1..8 the numbers in drawing order. The column of the current position is
// bold blue. Reads the workspace's in-memory history, so any length scrolls without delay.
//
// With the per-draw verification display on (`Check1`) every formula of the list has a column
// after column 8 (formula k in column k + 8) showing, draw by draw, the number it named and
// whether it was right. A column's cells are computed when the view first asks for them.
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

    // `Check1`: formula columns on or off; they follow the list, the position, the history and
    // the display mode (`mnuYsXs`) while on.
    void setResultsShown(bool shown);
    bool resultsShown() const { return m_display != nullptr; }
    int formulaColumnCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void reload();
    void markPosition(int position);
    void rebuildDisplay();
    void refreshDisplay();
    QVariant displayData(int draw, int listNumber, int role) const;

    Workspace& m_workspace;
    int m_rows = 0;
    int m_markedPosition = 1;
    std::shared_ptr<const HistoryDisplay> m_display; // null while the display is off
};

} // namespace quorvel
