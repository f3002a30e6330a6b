#pragma once

#include "core/Result.h"

#include <vector>

namespace quorvel {

class SqlConnection;

// One row of the ranking table `ErrarrLei`: a number and how many formulas counted it in total
// (`ETrrcount`), as killed (`Errcount`) and as kept (`Trrcount`).
struct RankingRow
{
    int num = 0;
    int total = 0;
    int kill = 0;
    int keep = 0;
    bool operator==(const RankingRow&) const = default;
};

// The ranking table `ErrarrLei` of formula.db: the counts of the last ranking page filled.
class RankingTable
{
public:
    explicit RankingTable(SqlConnection& connection);

    // Replaces every row with `rows`, in one transaction.
    Status replace(const std::vector<RankingRow>& rows);
    Result<std::vector<RankingRow>> read() const; // ascending num

private:
    SqlConnection& m_connection;
};

} // namespace quorvel
