#pragma once

#include "core/FormulaRecord.h"
#include "core/Result.h"

#include <optional>
#include <vector>

namespace quorvel {

class SqlConnection;

// The formula tables `Gongshi1`..`Gongshi8` of formula.db, one per position; kill and keep
// formulas of a position share its table. Positions outside 1..8 are refused.
class FormulaTables
{
public:
    explicit FormulaTables(SqlConnection& connection);

    // Formulas of a position (of one kind, or both), in idx order (stored order among equal idx).
    Result<std::vector<FormulaRecord>> read(int position, std::optional<bool> kill = std::nullopt) const;
    Result<int> count(int position) const;

    Status append(int position, const std::vector<NewFormula>& formulas); // one transaction
    Status deleteByIdx(int position, int idx);
    // Deletes the stored rows given (FormulaRecord::rowId), in one transaction.
    Status deleteRows(int position, const std::vector<qint64>& rowIds);
    // Deletes the formula the user saw: the row it was read from when that still holds it, else
    // another row of its table holding the same kind, code and display text. When no row holds
    // it (another program changed or deleted it) nothing is deleted and the failure says so
    // (kChangedElsewhere).
    Status deleteShown(const ShownFormula& shown);
    static const QString kChangedElsewhere; // "该公式已被其他程序修改或删除"
    Status deleteAll(int position);
    Status renumber(int position); // idx = 1..n in stored order
    // Writes the numbers and statistics of the rows given, in one transaction; a row that no longer
    // holds the code and display text it was read with is left alone.
    Status update(int position, const std::vector<FormulaRowUpdate>& updates);
    Status setLimit(int position, int idx, std::optional<int> limit);
    // Writes the limit values of the rows given, in one transaction.
    Status setLimits(int position, const std::vector<LimitChange>& changes);

    // Removes duplicates (same kind, code, display text and limit) keeping the first of each in
    // stored order, empties the run statistics and renumbers idx 1..n.
    Status rebuild(int position);

private:
    SqlConnection& m_connection;
};

} // namespace quorvel
