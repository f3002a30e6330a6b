#pragma once

#include "core/DrawTable.h"
#include "core/TermTable.h"
#include "search/HitKernel.h"
#include "verification/Verifier.h"

#include <QtGlobal>

#include <array>
#include <span>
#include <vector>

namespace quorvel {

// The search window's outcomes in the form the hit kernel reads: per term, the values predicting
// the outcomes as 16-bit remainders by 20 with a non-zero mark, and the values held at the
// saturation bound; per position, the numbers drawn. Outcome j is the j-th newest of the window
// min(N + 1, n - 1) (N = 0: all n - 1). Made once per history and window; read-only afterwards.
class RemainderColumns
{
public:
    RemainderColumns(const DrawTable& table, const VerificationWindow& window);

    int count() const { return m_count; }
    // Whether the kernel can judge terms + constant: at most 24 terms, values never negative, a
    // constant above the saturation bound's negative.
    bool scans(std::span<const int> terms, qint64 constant) const
    {
        if (m_count == 0 || terms.size() > std::size_t(hitkernel::kMaxTerms) ||
            constant <= -hitkernel::kSaturation)
            return false;
        if (m_allNonNegative)
            return true;
        for (const int term : terms) {
            if (!m_nonNegative[std::size_t(term)])
                return false;
        }
        return true;
    }
    // The kernel's input for a candidate the columns scan. Both are in line: the scan calls them for
    // every candidate.
    hitkernel::Input input(std::span<const int> terms, qint64 constant, int position, bool kill) const
    {
        hitkernel::Input input;
        for (std::size_t k = 0; k < terms.size(); ++k) {
            const std::size_t start = std::size_t(terms[k]) * std::size_t(m_stride);
            input.remainders[k] = m_remainders.data() + start;
            if (constant < 0)
                input.saturated[k] = m_saturated.data() + start;
        }
        input.termCount = int(terms.size());
        input.constantRemainder = qint16(((constant % 20) + 20) % 20);
        input.constantPositive = constant > 0;
        input.negativeConstant = constant < 0 ? qint16(-constant) : qint16(0);
        input.drawn = m_drawn.data() + std::size_t(position - 1) * std::size_t(m_stride);
        input.kill = kill;
        return input;
    }

    // Values per column: a multiple of a word of outcomes.
    static constexpr int kPadding = hitkernel::kWordOutcomes;

private:
    int m_count = 0;
    int m_stride = 0;
    std::vector<qint16> m_remainders;
    std::vector<qint16> m_saturated;
    std::vector<qint16> m_drawn;
    std::array<bool, kTermCount> m_nonNegative{};
    bool m_allNonNegative = false;
};

} // namespace quorvel
