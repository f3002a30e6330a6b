#include "oracle/RandomFormula.h"

#include "core/TermTable.h"

#include <QStringList>

namespace quorvel::oracle {

int RandomFormula::uniform(int low, int high)
{
    return low + int(m_random() % quint64(high - low + 1));
}

bool RandomFormula::chance(int percent)
{
    return uniform(1, 100) <= percent;
}

QString RandomFormula::column()
{
    const QString& code = termTable()[std::size_t(uniform(0, kTermCount - 1))].code;
    // Codes are case-insensitive; now and then write one in lower case.
    return chance(5) ? code.toLower() : code;
}

QString RandomFormula::zeroableColumn()
{
    static const QStringList kZeroable = {
        QStringLiteral("L1B"), QStringLiteral("L2C"), QStringLiteral("L3D"), QStringLiteral("L4E"),
        QStringLiteral("L5N"), QStringLiteral("L6N"), QStringLiteral("L1K"), QStringLiteral("L5H"),
        QStringLiteral("L8B"), QStringLiteral("L2K"), QStringLiteral("L6M"), QStringLiteral("L4M")};
    return kZeroable[uniform(0, int(kZeroable.size()) - 1)];
}

QString RandomFormula::constant()
{
    return QString::number(uniform(0, 40));
}

QString RandomFormula::termSum()
{
    QStringList parts;
    const int terms = uniform(2, 24);
    for (int i = 0; i < terms; ++i)
        parts << column();
    QString code = parts.join(u'+');
    const int value = uniform(-30, 30);
    if (value >= 0)
        code += u'+' + QString::number(value);
    else
        code += chance(50) ? QStringLiteral("+") + QString::number(value) : QString::number(value);
    return code;
}

QString RandomFormula::expression()
{
    return sum(0);
}

QString RandomFormula::any()
{
    return chance(30) ? termSum() : expression();
}

QString RandomFormula::sum(int depth)
{
    QString result = product(depth);
    const int more = uniform(0, depth == 0 ? 4 : 2);
    for (int i = 0; i < more; ++i)
        result += (chance(60) ? QStringLiteral("+") : QStringLiteral("-")) + product(depth);
    return result;
}

QString RandomFormula::product(int depth)
{
    QString result = factor(depth);
    if (chance(35)) {
        const int kind = uniform(0, 2);
        if (kind == 0) {
            result += QStringLiteral("*") + factor(depth);
        } else if (kind == 1) {
            // Divisions produce fractions, halves (rounded to even) and empty values.
            const int divisor = uniform(0, 4);
            if (divisor == 0)
                result += QStringLiteral("/") + zeroableColumn();
            else if (divisor <= 2)
                result += QStringLiteral("/") + QString::number(uniform(0, 12));
            else
                result += QStringLiteral("/") + factor(depth);
        } else {
            // A MOD term in parentheses, so the rewrite of the infix operator is unambiguous.
            const QString divisor = chance(25) ? zeroableColumn() : QString::number(uniform(0, 25));
            result = QStringLiteral("(") + result + QStringLiteral(" MOD ") + divisor + QStringLiteral(")");
        }
    }
    return result;
}

QString RandomFormula::factor(int depth)
{
    const int kind = depth >= 3 ? uniform(0, 1) : uniform(0, 5);
    switch (kind) {
    case 0:
    case 1:
        return chance(75) ? column() : constant();
    case 2:
        return QStringLiteral("(") + sum(depth + 1) + QStringLiteral(")");
    case 3:
        return QStringLiteral("-") + factor(depth + 1);
    case 4:
        return QStringLiteral("(") + factor(depth + 1) + QStringLiteral(" mod ") + factor(depth + 1) +
               QStringLiteral(")");
    default:
        return QStringLiteral("(") + column() + QStringLiteral(" - ") + column() + QStringLiteral(")");
    }
}

} // namespace quorvel::oracle
