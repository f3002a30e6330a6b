// The hit kernel with 256-bit registers. This source alone is compiled for AVX2, POPCNT and BMI,
// and is only called after processorHasAvx2(); it includes nothing that other sources share as inline code.

#include "search/HitKernel.h"

#if defined(QUORVEL_HIT_KERNEL_SSE2)

#include <immintrin.h>

namespace quorvel::hitkernel {

namespace {

struct Avx2
{
    using Vector = __m256i;
    static constexpr int kLanes = 16;
    static Vector zero() { return _mm256_setzero_si256(); }
    static Vector set(int16_t value) { return _mm256_set1_epi16(value); }
    static Vector load(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static Vector add(Vector a, Vector b) { return _mm256_add_epi16(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm256_sub_epi16(a, b); }
    static Vector max(Vector a, Vector b) { return _mm256_max_epi16(a, b); }
    static Vector mullo(Vector a, Vector b) { return _mm256_mullo_epi16(a, b); }
    static Vector bitAnd(Vector a, Vector b) { return _mm256_and_si256(a, b); }
    static Vector bitOr(Vector a, Vector b) { return _mm256_or_si256(a, b); }
    static Vector bitXor(Vector a, Vector b) { return _mm256_xor_si256(a, b); }
    template <int Bits> static Vector shiftRight(Vector a) { return _mm256_srli_epi16(a, Bits); }
    template <int Bits> static Vector shiftLeft(Vector a) { return _mm256_slli_epi16(a, Bits); }
    static Vector greater(Vector a, Vector b) { return _mm256_cmpgt_epi16(a, b); }
    static Vector equal(Vector a, Vector b) { return _mm256_cmpeq_epi16(a, b); }
    // Packing works within each 128-bit half; the permutation puts a's lanes before b's again.
    static uint32_t signBits(Vector a, Vector b)
    {
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi16(a, b), 0xD8);
        return uint32_t(_mm256_movemask_epi8(packed));
    }
};

} // namespace

Tally wholeTallyAvx2(const Input& input, int count, uint64_t* words)
{
    for (int offset = 0, w = 0; offset < count; offset += kWordOutcomes, ++w)
        words[w] = maskedWord(vectorBits<Avx2, kWordOutcomes / Avx2::kLanes>(input, offset), offset, count);
    return tallyOf(words, count);
}

} // namespace quorvel::hitkernel

#endif
