#pragma once

#include "core/DrawTable.h"
#include "core/Result.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <span>
#include <vector>

namespace quorvel {

// A formula code parsed once: column codes (any letter case), integer constants, + - * /,
// unary minus, parentheses and the MOD operator (binding tighter than + and -, looser than *
// and /). Evaluated column-at-a-time over a DrawTable. Values are doubles: / divides as real
// numbers; a division or remainder by zero makes that draw's value empty (NaN); MOD rounds both
// operands half to even and keeps the sign of the dividend.
class CompiledFormula
{
public:
    // Fails with a readable message when the code is not of the grammar.
    static Result<CompiledFormula> compile(QStringView code);

    CompiledFormula();
    ~CompiledFormula();
    CompiledFormula(const CompiledFormula&);
    CompiledFormula& operator=(const CompiledFormula&);
    CompiledFormula(CompiledFormula&&) noexcept;
    CompiledFormula& operator=(CompiledFormula&&) noexcept;

    // Values on draws [firstDraw, firstDraw + out.size()).
    void evaluate(const DrawTable& table, int firstDraw, std::span<double> out) const;
    std::vector<double> evaluate(const DrawTable& table) const;
    double valueAt(const DrawTable& table, int draw) const;

    // True for term + term + ... + constant (what the search makes): a sum of whole columns.
    bool isTermSum() const;
    const std::vector<int>& sumTerms() const; // 0-based term indexes, repeats allowed
    qint64 sumConstant() const;
    // Terms, operators and constants of the expression (for node-rate figures).
    int nodeCount() const;

private:
    struct Program;
    std::unique_ptr<Program> m_program;
};

// Sum of whole columns plus a constant over draws [firstDraw, firstDraw + count), into out.
// The fast path of term sums; every term value is an integer, so the sum is exact.
void sumTermColumns(const DrawTable& table, std::span<const int> terms, qint64 constant, int firstDraw,
                    int count, qint64* out);

} // namespace quorvel
