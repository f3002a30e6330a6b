#pragma once

#include "core/Draw.h"
#include "core/DrawTable.h"
#include "core/Result.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

class SqlConnection;

// The stored history as the program can use it, and the rows it had to leave out: a row edited by
// hand (or by another program) whose issue is not a valid issue or whose numbers are not eight
// different whole numbers 1..20. Such rows stay in the file.
struct StoredHistory
{
    DrawTable table;
    QStringList leftOut; // "ISSUE: reason" for each row left out, oldest first
};

// The history `Lishi` in formula.db: one row per draw with its 124 parameters, in issue order.
class HistoryTable
{
public:
    explicit HistoryTable(SqlConnection& connection);

    // Stores draws (any order, all new) in one transaction: an issue already stored stores nothing.
    // A stored draw that now follows one of them gets its previous-draw parameters (`L5N`, `L6N`)
    // computed again from its new predecessor, so the stored values never depend on the order in
    // which the draws arrived.
    Status insert(const std::vector<Draw>& draws);

    // The whole history, read straight into the columns of a draw table.
    Result<StoredHistory> load() const;
    Result<DrawTable> readAll() const;          // load() without the list of rows left out
    Result<std::vector<qint32>> issues() const; // oldest first
    Result<std::optional<Draw>> newest() const;
    Result<std::optional<Draw>> oldest() const;
    Result<int> count() const;
    // The numbers of the stored draws among `issues` (in the order of `issues`; none for those
    // not stored).
    Result<std::vector<std::optional<DrawNumbers>>> numbersOf(const std::vector<qint32>& issues) const;

    // Deletions report how many draws they removed.
    Result<int> deleteNewest(int count);
    // Deletes the newest draw when it is still the one shown (its issue and numbers); when another
    // program has changed or deleted it, or stored a newer one, nothing is deleted and the failure
    // says so (kDrawChangedElsewhere).
    Result<int> deleteShownNewest(qint32 issue, const DrawNumbers& numbers);
    static const QString kDrawChangedElsewhere; // "该期历史已被其他程序修改或删除"
    Result<int> deleteAfter(qint32 issue); // keeps `issue` and every older draw
    Result<int> deleteAll();

private:
    Result<int> deleteWhere(const QString& condition, std::optional<qint32> value, const QString& what);
    Result<StoredHistory> loadThroughConnection(const QString& what) const;
    Status updatePreviousDrawParameters(const std::vector<qint32>& insertedIssues);

    SqlConnection& m_connection;
};

} // namespace quorvel
