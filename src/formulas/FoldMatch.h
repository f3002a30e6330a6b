#pragma once

#include <QtGlobal>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define QUORVEL_FOLD_MATCH_SSE2 1
#endif

namespace quorvel {

// Whether the fold of the whole number w equals the drawn number n (1..20), without a division.
// With the remainder keeping the dividend's sign, w folds to n exactly when w - n is a multiple
// of 20 and either w >= n, or n is 1 (w = 1, -19, -39, ... all fold to 1: ((-20) MOD 20) + 1 = 1);
// other values below n fold to themselves or to numbers <= 0. Divisibility of |w - n| by
// 20 = 4 * 5: multiplied by the inverse of 5 modulo 2^64 and rotated right by 2, exactly the
// multiples of 20 land at or below (2^64 - 1) / 20.
inline bool foldMatches(qint64 whole, qint32 drawn)
{
    const bool above = whole >= drawn;
    const quint64 difference =
        above ? quint64(whole) - quint64(qint64(drawn)) : quint64(qint64(drawn)) - quint64(whole);
    const quint64 scaled = difference * 0xCCCCCCCCCCCCCCCDull;
    const quint64 rotated = (scaled >> 2) | (scaled << 62);
    return (above | (drawn == 1)) & (rotated <= 0x0CCCCCCCCCCCCCCCull);
}

#ifdef QUORVEL_FOLD_MATCH_SSE2
// foldMatches for four outcomes at once, as bits 0..3; the sums must fit in 32 bits.
inline unsigned foldMatches4(const qint64* sums, const qint32* drawn)
{
    const __m128i inverseOfFive = _mm_set1_epi32(int(0xCCCCCCCDu));
    const __m128i signBit = _mm_set1_epi32(int(0x80000000u));
    const __m128i largestMultiple = _mm_set1_epi32(int(0x0CCCCCCCu ^ 0x80000000u));
    const __m128i one = _mm_set1_epi32(1);

    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 2));
    const __m128i whole = _mm_unpacklo_epi64(_mm_shuffle_epi32(low, _MM_SHUFFLE(2, 0, 2, 0)),
                                             _mm_shuffle_epi32(high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i number = _mm_loadu_si128(reinterpret_cast<const __m128i*>(drawn));

    const __m128i below = _mm_cmpgt_epi32(number, whole);
    const __m128i signedDifference = _mm_sub_epi32(whole, number);
    const __m128i difference = _mm_sub_epi32(_mm_xor_si128(signedDifference, below), below);
    // 32-bit products of the four lanes (SSE2 multiplies lanes 0 and 2, then 1 and 3).
    const __m128i even = _mm_mul_epu32(difference, inverseOfFive);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(difference, 32), inverseOfFive);
    const __m128i scaled = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(3, 1, 2, 0)),
                                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(3, 1, 2, 0)));
    const __m128i rotated = _mm_or_si128(_mm_srli_epi32(scaled, 2), _mm_slli_epi32(scaled, 30));
    const __m128i notMultiple = _mm_cmpgt_epi32(_mm_xor_si128(rotated, signBit), largestMultiple);
    const __m128i allowed =
        _mm_or_si128(_mm_xor_si128(below, _mm_set1_epi32(-1)), _mm_cmpeq_epi32(number, one));
    return unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(notMultiple, allowed))));
}
#endif

// Bit j (j < length <= 64) says whether wholes[j] folds to drawn[j]. With `narrow` (every whole
// number below 2^31 - 20 in magnitude) four outcomes are judged at once.
inline quint64 foldMatchBits(const qint64* wholes, const qint32* drawn, int length, bool narrow)
{
    quint64 bits = 0;
    int j = 0;
#ifdef QUORVEL_FOLD_MATCH_SSE2
    if (narrow) {
        for (; j + 4 <= length; j += 4)
            bits |= quint64(foldMatches4(wholes + j, drawn + j)) << j;
    }
#else
    Q_UNUSED(narrow);
#endif
    for (; j < length; ++j)
        bits |= quint64(foldMatches(wholes[j], drawn[j])) << j;
    return bits;
}

} // namespace quorvel
