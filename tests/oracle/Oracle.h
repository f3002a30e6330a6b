#pragma once

#include "core/Draw.h"
#include "verification/Verifier.h"

#include <QSqlDatabase>
#include <QString>

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

    // Per-draw results of the last verified formula, oldest draw first.
    struct Columns
    {
        std::vector<std::optional<double>> canshu;
        std::vector<std::optional<qint64>> preCanshu;
        std::vector<bool> gscs;
    };

    // Steps 2 to 8 of the verification pass for one formula: evaluation by UPDATE, alignment walk,
    // GSCS reset and hit rule, counting over the window; with the computed value of the newest draw.
    FormulaVerdict verify(const QString& code, int position, bool kill, const VerificationSettings& settings);
    Columns columns() const;

private:
    QSqlDatabase db() const;
    void exec(const QString& statement);

    QString m_connectionName;
    int m_drawCount = 0;
};

// The statement form of a code: infix "a MOD b" rewritten to the registered function MOD(a, b)
// and integer constants written as reals so that "/" divides as real numbers, as the program's
// own database dialect does.
QString sqliteExpression(const QString& code);

} // namespace quorvel::oracle
