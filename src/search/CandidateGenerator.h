#pragma once

#include "formulas/FormulaText.h"

#include <QString>

#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace quorvel {

// One candidate formula of the search: a sum of terms plus a whole-number constant. Its code and
// display text are composed from these when they are needed (for an accepted candidate or the
// one on show), not for every candidate tried.
struct Candidate
{
    std::vector<int> terms; // 0-based term indexes in drawing order; a term may repeat
    int constant = 0;
};

// What a candidate is drawn for and how its display text reads.
struct GenerationSettings
{
    int position = 1; // 1..8
    bool kill = false;
    int operandCount = 8;        // terms per candidate, 2..24
    std::optional<int> constant; // the specified end constant; empty: random 0..19
    FormulaText::Shape shape = FormulaText::Shape::Prefix;
};

// Draws random candidates from the term table: operands uniformly from the 124 terms with
// replacement, then the end constant.
class CandidateGenerator
{
public:
    // Uniform numbers in [0, 1).
    using RandomSource = std::function<double()>;

    static constexpr int kMinimumOperands = 2;
    static constexpr int kMaximumOperands = 24;

    CandidateGenerator(); // seeded once from the clock
    explicit CandidateGenerator(quint64 seed);
    explicit CandidateGenerator(RandomSource source);

    // Fills `candidate` (reusing its storage) with newly drawn operands and constant.
    void generate(const GenerationSettings& settings, Candidate& candidate);
    Candidate generate(const GenerationSettings& settings);

    // The code, such as L1A+L2B+3 or L1A+L3B+-2.
    static QString code(const Candidate& candidate);
    // The display expression and display text, such as [第一杀]第一码+第二大小+3.
    static QString displayExpression(const Candidate& candidate);
    static QString displayText(const Candidate& candidate, const GenerationSettings& settings);

    // The specified end constant typed as text: a number made whole (halves to even) and held
    // to the 16-bit range; 0 for a text that is not a number.
    static int specifiedConstant(const QString& text);

private:
    double nextUniform();

    std::mt19937_64 m_engine;
    RandomSource m_source;
};

} // namespace quorvel
