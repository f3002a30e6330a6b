#pragma once

#include <QString>

#include <random>

namespace quorvel::oracle {

// Random formula codes for differential tests.
class RandomFormula
{
public:
    explicit RandomFormula(std::mt19937_64& random) : m_random(random) {}

    // term + term + ... + constant with 2..24 terms; the constant may be negative ("+-7" or "-7").
    QString termSum();
    // Any expression of the grammar: sums, differences, products, divisions (also by columns
    // that are 0 on some draws), MOD terms in parentheses, unary minus, parentheses.
    QString expression();
    // One of the two, mostly general expressions.
    QString any();

private:
    int uniform(int low, int high); // inclusive
    bool chance(int percent);
    QString column();
    QString zeroableColumn(); // a column that is 0 on some draws
    QString constant();
    QString sum(int depth);
    QString product(int depth);
    QString factor(int depth);

    std::mt19937_64& m_random;
};

} // namespace quorvel::oracle
