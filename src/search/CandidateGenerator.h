#pragma once

#include "core/TermTable.h"
#include "formulas/FormulaText.h"
#include "search/CandidateRandom.h"

#include <QString>

#include <algorithm>
#include <optional>
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
    bool operator==(const GenerationSettings&) const = default;
};

// Draws candidates from the term table: operands uniformly from the 124 terms with replacement,
// then the end constant. Candidate i of a run is drawn from the stream CandidateRandom(seed, i).
class CandidateGenerator
{
public:
    static constexpr int kMinimumOperands = 2;
    static constexpr int kMaximumOperands = 24;
    static constexpr int kRandomConstants = 20; // a random end constant is 0..19

    // Hands out candidates firstIndex, firstIndex + 1, ... of the run with `seed`.
    explicit CandidateGenerator(quint64 seed, quint64 firstIndex = 0);

    // Fills `candidate` (reusing its storage) with the next candidate's operands and constant.
    void generate(const GenerationSettings& settings, Candidate& candidate);
    Candidate generate(const GenerationSettings& settings);
    quint64 nextIndex() const { return m_next; }

    // Candidate `index` of the run with `seed`.
    static Candidate candidateAt(quint64 seed, quint64 index, const GenerationSettings& settings);

    static int operandCountOf(const GenerationSettings& settings)
    {
        return std::clamp(settings.operandCount, kMinimumOperands, kMaximumOperands);
    }

    // Draws one candidate's 0-based term indexes into `terms` (room for kMaximumOperands) and its
    // constant, from `random` (anything with below(count)); returns the number of terms. Each
    // operand is the whole part of (a number in [0, 1) times 124); the random constant takes the
    // number after the last operand.
    template <typename Random>
    static int draw(const GenerationSettings& settings, Random& random, int* terms, int& constant)
    {
        const int operands = operandCountOf(settings);
        for (int k = 0; k < operands; ++k)
            terms[k] = random.below(kTermCount);
        constant = settings.constant ? *settings.constant : random.below(kRandomConstants);
        return operands;
    }

    // The code, such as L1A+L2B+3 or L1A+L3B+-2.
    static QString code(const Candidate& candidate);
    // The display expression and display text, such as [第一杀]第一码+第二大小+3.
    static QString displayExpression(const Candidate& candidate);
    static QString displayText(const Candidate& candidate, const GenerationSettings& settings);

    // The specified end constant typed as text: a number made whole (halves to even) and held
    // to the 16-bit range; 0 for a text that is not a number.
    static int specifiedConstant(const QString& text);

    // A seed taken from the clock, for a run whose user gave none.
    static quint64 clockSeed();

private:
    quint64 m_key;
    quint64 m_next;
};

} // namespace quorvel
