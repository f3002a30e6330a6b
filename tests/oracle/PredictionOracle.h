#pragma once

#include "oracle/Oracle.h"
#include "verification/Prediction.h"

#include <QSqlDatabase>

#include <array>
#include <optional>
#include <vector>

namespace quorvel::oracle {

// The prediction as its statements are written: formula tables `Gongshi1`..`Gongshi8` beside the
// oracle's `Lishi`, each formula's value by "UPDATE [Lishi] SET [canshu]=" + code and a walk of
// "SELECT * FROM lishi ORDER BY strQQH" to its newest draw, the formulas read by the list query
// or the sort-key query. Where the statements leave things open it follows the program's rules:
// a code whose UPDATE fails counts nothing (instead of reusing the previous formula's values),
// and formulas tying on the three sort keys come in idx order. Test and benchmark code only.
class PredictionOracle
{
public:
    // Stores the tables (replacing any stored before) in the history's database.
    PredictionOracle(Oracle& history,
                     const std::array<std::vector<PredictionFormula>, kPositionCount>& tables);

    // `Command23` on the stored tables; the tables of `params` are not read.
    PredictionResult run(const PredictionParams& params);

    // How many formula values the last run computed.
    int evaluatedFormulas() const { return m_evaluated; }

private:
    QSqlDatabase db() const { return m_history.database(); }
    std::optional<int> computedNumber(const QString& code);
    // rowid -> list number: rank in idx order among the table's formulas of the kind.
    std::vector<std::pair<qint64, int>> listNumbers(const QString& table, const QString& kind) const;

    Oracle& m_history;
    int m_evaluated = 0;
};

} // namespace quorvel::oracle
