#pragma once

#include "core/FormulaRecord.h"
#include "verification/ChanceBaseline.h"
#include "workspace/FormulaListSheet.h"
#include "workspace/FormulaListSort.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace quorvel {

class Workspace;

// The formula list `MSFlexGrid2`: the formulas of the current position and kind with their
// computed value for the coming draw and their run statistics. Everything is read from the
// workspace's arrays when the view asks, so thousands of formulas cost nothing until shown.
//
// Besides the list order (list number = row + 1) the model has a sorted order, made by a double
// click on a statistics column: every formula of the current table, both kinds, ascending by
// that column. Formulas of the shown kind keep their selection mark, computed value and the
// statistics of the last verification; formulas of the other kind were not verified by that pass,
// so they show the statistics stored in their table, no computed value and no selection mark.
// The next fill or verification returns to the list order.
class FormulaListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn = 0, // "序号": row number; blue when the formula is selected
        FormulaColumn,    // "公式": display text or code
        PositionColumn,   // "种类": position caption
        KindColumn,       // "生杀"
        ComputedColumn,   // "计算值"
        LimitColumn,      // "极限值"
        MaxMissesColumn,  // "最大连错"
        MaxHitsColumn,    // "最大连对"
        LastMissesColumn, // "最后连错"
        LastHitsColumn,   // "最后连对"
        IdxColumn,        // hidden: the formula's number `idx`
        ChanceColumn,     // "随机概率": how likely luck alone gives the record (shown when switched on)
        SameOutputColumn, // "同输出": the row of the first formula that predicts the same (shown with
                          // 随机概率)
        ColumnCount
    };

    // Background of column 0 for a selected formula (the grid's blue) and of a computed value
    // that matches the one clicked (green).
    static const QColor& selectedColour();
    static const QColor& sameValueColour();

    explicit FormulaListModel(Workspace& workspace, QObject* parent = nullptr);

    static int columnWidthPixels(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // List number (1-based) of the formula shown in a row; 0 past the end.
    int listNumberAt(int row) const;
    bool isSortedOrder() const { return m_sorted; }
    // The rows of the sorted order shown; null in list order.
    const std::vector<SortedFormulaRow>* sortedRows() const { return m_sorted ? &m_sortedRows : nullptr; }
    // Code and display text of the formula shown in a row (either order); empty past the end.
    std::optional<std::pair<QString, QString>> formulaAt(int row) const;

    // Double click: columns 5..9 sort the shown list ascending by that column, a second double
    // click on the same column descending (true); any other column leaves the order as it is (false).
    bool sortByColumn(int column);
    // Left click in column 4: marks green every computed value equal to the one in this row
    // (clicking an empty value clears the marks).
    void markSameComputedValue(int row);
    std::optional<QString> markedValue() const { return m_markedValue; }

    // The equivalence classes of the list (by list number, the first list number of each class),
    // shown in column "同输出" in the order shown; empty for none. The list's next change drops them.
    void setEquivalenceClasses(std::vector<int> classes);
    bool hasEquivalenceClasses() const { return !m_classes.empty(); }
    // For each row shown, the row (1-based) of the first row shown whose formula says the same.
    const std::vector<int>& shownClasses() const { return m_shownClasses; }
    // The list number of each row shown.
    std::vector<int> shownListNumbers() const;

private:
    void resetToListOrder();
    void refreshResults();
    void refreshSelection();
    void updateShownClasses();

    QString computedText(int row) const;
    FormulaListSheet::ShownFormula shownFormula(int row) const;
    QString toolTip(int row, int column) const;
    // What luck gives beside the record of the formula in a row; empty for a row without one.
    std::optional<ChanceBaseline::Figures> chanceFigures(int row) const;
    QString chanceText(int row) const;
    bool isEvaluable(int row) const;

    Workspace& m_workspace;
    int m_listRows = 0;
    bool m_sorted = false;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    std::vector<SortedFormulaRow> m_sortedRows;
    std::optional<QString> m_markedValue;
    std::vector<int> m_classes;
    std::vector<int> m_shownClasses;
};

} // namespace quorvel
