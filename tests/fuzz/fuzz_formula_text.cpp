// A formula's display text, as typed or read from a formula file, through the whole road to its
// values: cut up, translated, checked as an import, compiled and evaluated. The first byte picks
// typed entry (even) or file import (odd); the rest is the text in UTF-8.
//
// Invariants: a named position is 1..8; a code that compiles evaluates on every draw, the same
// value whether evaluated over the whole history or draw by draw; a sum of terms equals the
// sum of its columns; every value folds to nothing or to a number -18..20.

#include "fuzz/FuzzSupport.h"

#include "formulas/CompiledFormula.h"
#include "formulas/FormulaText.h"
#include "formulas/NumberRules.h"

#include <cmath>
#include <cstring>

using namespace quorvel;

namespace {

bool sameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const FormulaText::ParseVariant variant =
        data[0] % 2 == 0 ? FormulaText::ParseVariant::Typed : FormulaText::ParseVariant::Import;
    const QString text = QString::fromUtf8(fuzz::bytesOf(data + 1, size - 1));

    FormulaText::translateExpression(text);
    const Result<FormulaText::ParsedFormula> parsed = FormulaText::parse(text, variant);
    if (!parsed)
        return 0;
    if (parsed->position && (*parsed->position < 1 || *parsed->position > 8))
        fuzz::violated("a named position is 1..8", text);
    // Typed entry takes any code the compiler accepts; an import also passes the character check.
    if (variant == FormulaText::ParseVariant::Import && !FormulaText::isRecognisedImportCode(*parsed))
        return 0;

    const Result<CompiledFormula> formula = CompiledFormula::compile(parsed->code);
    if (!formula)
        return 0;
    const DrawTable& table = fuzz::smallDrawTable();
    const std::vector<double> values = formula->evaluate(table);
    if (int(values.size()) != table.drawCount())
        fuzz::violated("one value per draw", parsed->code);
    for (int draw = 0; draw < table.drawCount(); ++draw) {
        const double value = values[std::size_t(draw)];
        if (!sameValue(formula->valueAt(table, draw), value))
            fuzz::violated("a draw's value does not depend on how many draws are evaluated", parsed->code);
        if (formula->isTermSum()) {
            double sum = double(formula->sumConstant());
            for (const int term : formula->sumTerms())
                sum += table.value(term, draw);
            if (!sameValue(sum, value))
                fuzz::violated("a term sum is the sum of its columns", parsed->code);
        }
        if (const std::optional<int> folded = fold(value); folded && (*folded < -18 || *folded > 20))
            fuzz::violated("a value folds to -18..20", parsed->code);
    }
    return 0;
}
