#pragma once

#include "core/Draw.h"
#include "verification/Verifier.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quorvel::oracle {

// The reference: a private SQLite copy of a history on which the program's statements are run
// as they are written (UPDATE [Lishi] SET [canshu]= + code, the walks, the GSCS updates), with a
// MOD function registered to behave as the number rules say. Test and benchmark code only.
class Oracle
{
public:
    explicit Oracle(const std::vector<Draw>& draws);
    ~Oracle();
    Oracle(const Oracle&) = delete;
    Oracle& operator=(const Oracle&) = delete;

    int drawCount() const { return m_drawCount; }

    // Per-draw results of the last verified formula or candidate, oldest draw first.
    struct Columns
    {
        std::vector<std::optional<double>> canshu;
        std::vector<std::optional<qint64>> preCanshu;
        std::vector<bool> gscs;
        std::vector<bool> gsgl;
    };

    // Steps 2 to 8 of the verification pass for one formula: evaluation by UPDATE, alignment walk,
    // GSCS reset and hit rule, counting over the window; with the computed value of the newest draw.
    FormulaVerdict verify(const QString& code, int position, bool kill, const VerificationSettings& settings);
    // Step 8 (and the computed value) again over the GSCS and canshu of the last verified formula,
    // for other window and weight settings; steps 2 to 6 do not depend on them.
    FormulaVerdict recount(const VerificationSettings& settings) const;

    // The search's verification of one candidate: evaluation by UPDATE, the walk that writes the
    // folded number into PreCanshu, the GSGL reset and hit rule, and the count of the newest
    // min(N + 1, n - 1) outcomes (no flag B, no weights). Empty when the code does not evaluate.
    std::optional<RunStatistics> verifyCandidate(const QString& code, int position, bool kill, int periods);
    // The search's count again over the GSGL of the last candidate, for another window N.
    RunStatistics recountCandidate(int periods) const;

    Columns columns() const;

    // The connection holding `Lishi`, for further reference statements over the same history.
    QSqlDatabase database() const { return db(); }
    // "UPDATE [Lishi] SET [canshu]=" + code; false when the statement fails.
    bool evaluate(const QString& code);

private:
    QSqlDatabase db() const;
    bool exec(const QString& statement);
    // Writes PreCanshu(t) = predicted(canshu(t - 1)) for t = 2..R, walking the draws in issue order.
    void walkPreCanshu(const std::function<std::optional<qint64>(std::optional<double>)>& predicted);
    std::vector<bool> flags(const QString& column) const;

    QString m_connectionName;
    int m_drawCount = 0;
};

// The statement form of a code: infix "a MOD b" rewritten to the registered function MOD(a, b)
// and integer constants written as reals so that "/" divides as real numbers, as the program's
// own database dialect does.
QString sqliteExpression(const QString& code);

// ((v - 1) MOD 20) + 1 of a value v made whole (halves to even), with the registered MOD; empty
// for an empty value and for values no 64-bit whole number holds.
std::optional<qint64> foldedNumber(const std::optional<double>& value);

// The registered MOD on whole numbers: both operands rounded half to even, remainder with the
// sign of the dividend; empty when an operand is empty or the divisor rounds to 0.
std::optional<double> modulo(std::optional<double> dividend, std::optional<double> divisor);

} // namespace quorvel::oracle
