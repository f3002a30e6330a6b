#include "search/RemainderColumns.h"

#include <algorithm>

namespace quorvel {

RemainderColumns::RemainderColumns(const DrawTable& table, const VerificationWindow& window)
    : m_count(window.size())
{
    m_stride = (m_count + kPadding - 1) / kPadding * kPadding;
    m_nonNegative.fill(false);
    if (m_count == 0)
        return;
    m_allNonNegative = true;
    // Outcome j (newest first) is draw last - j, predicted by the value of draw last - 1 - j.
    const int last = window.last;
    m_remainders.assign(std::size_t(m_stride) * kTermCount, 0);
    m_saturated.assign(std::size_t(m_stride) * kTermCount, 0);
    for (int term = 0; term < kTermCount; ++term) {
        const qint32* column = table.column(term);
        qint16* remainders = m_remainders.data() + std::size_t(term) * std::size_t(m_stride);
        qint16* saturated = m_saturated.data() + std::size_t(term) * std::size_t(m_stride);
        bool nonNegative = true;
        for (int j = 0; j < m_count; ++j) {
            const qint32 value = column[last - 1 - j];
            nonNegative = nonNegative && value >= 0;
            remainders[j] = qint16(value % 20 + (value != 0 ? hitkernel::kNonZeroBit : 0));
            saturated[j] = qint16(std::min(value, qint32(hitkernel::kSaturation)));
        }
        m_nonNegative[std::size_t(term)] = nonNegative;
        m_allNonNegative = m_allNonNegative && nonNegative;
    }
    m_drawn.assign(std::size_t(m_stride) * kPositionCount, 0);
    for (int position = 1; position <= kPositionCount; ++position) {
        const qint32* numbers = table.numbersAt(position);
        qint16* target = m_drawn.data() + std::size_t(position - 1) * std::size_t(m_stride);
        for (int j = 0; j < m_count; ++j)
            target[j] = qint16(numbers[last - j]);
    }
}

} // namespace quorvel
