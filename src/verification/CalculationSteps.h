#pragma once

#include "core/DrawTable.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

// One row of the grid of `frmGsbz`, for one draw.
struct CalculationStepRow
{
    QString issue;   // "期号": `strQQH`, eight digits
    QString numbers; // "当期号码": the eight numbers, two digits each, separated by blanks
    QString text;    // the calculation text: the code with the draw's values written in
    QString value;   // "计算值(算下期)": the formula's value on this draw, unfolded; empty when empty
    qint64 termSum = 0; // sum of the understood terms, in 64 bits
};

// How a formula's value comes about on every draw. The code is read as a sum cut at every "+";
// a term (trimmed) is understood when it is a column code, a number (an optional "-" followed by
// digits) or a remainder term "(" column " MOD " k ")". Understood terms before the last are
// written as their values, the last term as written, and a term understood as none of these is
// written as it stands. The value column is the engine's value of the whole code.
class CalculationSteps
{
public:
    explicit CalculationSteps(const QString& code);

    // One row per draw, oldest first.
    std::vector<CalculationStepRow> rows(const DrawTable& table) const;

    // "期号", "当期号码", the formula's display text, "计算值(算下期)".
    static QStringList headers(const QString& displayText);
    // The eight numbers of a draw in the "00" format, separated by single blanks.
    static QString numbersText(const DrawTable& table, int draw);

private:
    enum class TermKind
    {
        Column,
        Number,
        Remainder,
        Other
    };
    struct Term
    {
        QString written; // as it stands in the code
        TermKind kind = TermKind::Other;
        int column = -1;   // term index of a column or remainder term
        qint64 number = 0; // a number, or the divisor k of a remainder term
    };
    static Term classify(const QString& written);
    static std::optional<qint64> termValue(const Term& term, const DrawTable& table, int draw);

    QString m_code;
    std::vector<Term> m_terms;
};

} // namespace quorvel
