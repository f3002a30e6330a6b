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
    bool scans(std::span<const int> terms, qint64 constant) const;
    // The kernel's input for a candidate the columns scan.
    hitkernel::Input input(std::span<const int> terms, qint64 constant, int position, bool kill) const;

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
