#include "search/HitKernel.h"

namespace quorvel::hitkernel {

bool processorHasAvx2()
{
#if defined(QUORVEL_HIT_KERNEL_SSE2) && (defined(__GNUC__) || defined(__clang__))
    static const bool has =
        __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
    return has;
#else
    return false;
#endif
}

Tally wholeTallyWithoutAvx2(const Input& input, int count, uint64_t* words)
{
    for (int offset = 0, w = 0; offset < count; offset += kWordOutcomes, ++w) {
#if defined(QUORVEL_HIT_KERNEL_SSE2)
        const uint64_t bits = vectorBits<Sse2, kWordOutcomes / Sse2::kLanes>(input, offset);
#else
        const uint64_t bits = plainBits<kWordOutcomes>(input, offset);
#endif
        words[w] = maskedWord(bits, offset, count);
    }
    return tallyOf(words, count);
}

Tally wholeTally(const Input& input, int count, uint64_t* words)
{
#if defined(QUORVEL_HIT_KERNEL_SSE2)
    if (processorHasAvx2())
        return wholeTallyAvx2(input, count, words);
#endif
    return wholeTallyWithoutAvx2(input, count, words);
}

} // namespace quorvel::hitkernel
