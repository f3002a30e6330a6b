#pragma once

// The hit rule of term sums on remainders by 20, eight or sixteen outcomes per instruction. Shared
// by the early-rejecting scan and the full scan, and compiled once for each instruction set: the
// templates live in an unnamed namespace, so a source compiled for wider registers never lends its
// code to one that is not. Plain C++ and intrinsics only, nothing from the standard library.
//
// The sum w of a candidate's values (all 0 or above) and its constant folds to the drawn number n
// (1..20) exactly when w - n is a multiple of 20 and either w > 0 or n = 1 (w = 1, -19, -39 ...
// fold to 1; other sums of 0 or below fold to 0 or below). So remainders by 20 are enough, with a
// test for w > 0: with a constant of 0 or above, some value or the constant is not 0; with a
// negative constant, the (saturated) sum of the values exceeds its magnitude. Divisibility of
// |r - n| by 20 = 4 * 5: times the inverse of 5 modulo 2^16, rotated right by 2, exactly the
// multiples of 20 land at or below (2^16 - 1) / 20.

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define QUORVEL_HIT_KERNEL_SSE2 1
#endif

// The kernel is a handful of instructions per call, inside loops of every candidate: in line, the
// constants it needs stay in registers across calls.
#if defined(__GNUC__) || defined(__clang__)
#define QUORVEL_HIT_KERNEL_INLINE inline __attribute__((always_inline))
#else
#define QUORVEL_HIT_KERNEL_INLINE inline
#endif

namespace quorvel::hitkernel {

// Term sums of more terms are scored by the full scorer.
constexpr int kMaxTerms = 24;
// A term's lane holds its value's remainder by 20 in bits 0..9 and, in bits 10..15, 1 when the
// value is not 0: the sums of 24 lanes keep both apart (24 * 19 < 1024, 24 * 1043 < 2^15).
constexpr int kNonZeroBit = 1024;
constexpr int kRemainderMask = kNonZeroBit - 1;
// Values held at this bound still tell whether a sum exceeds any |constant| below it (24 lanes
// cannot overflow): either no value is held, and the sum is exact, or one is, and the sum exceeds.
constexpr int kSaturation = 1364;
// Outcomes per word of hit bits.
constexpr int kWordOutcomes = 64;

// One candidate on one position: its terms' columns (outcomes in the columns' order), its
// constant and the numbers drawn. Columns are padded to whole words.
struct Input
{
    const int16_t* remainders[kMaxTerms];
    const int16_t* saturated[kMaxTerms]; // read only with a negative constant
    int termCount = 0;
    int16_t constantRemainder = 0; // the constant's remainder by 20, 0..19
    bool constantPositive = false;
    int16_t negativeConstant = 0; // |constant| for a negative one, else 0
    const int16_t* drawn = nullptr;
    bool kill = false;
};

// The hits of a candidate over all its outcomes and its longest run of hits.
struct Tally
{
    int hits = 0;
    int longestHitRun = 0;
};

// The tally of every outcome of `count`, through hit bits 64 to a word (`words` has room for
// them). With AVX2 (and the bit instructions that come with it) when the processor has them, else
// with SSE2, or plainly where there is no SSE2.
Tally wholeTally(const Input& input, int count, uint64_t* words);
// The same without AVX2, so that both paths can be compared.
Tally wholeTallyWithoutAvx2(const Input& input, int count, uint64_t* words);
bool processorHasAvx2();
#if defined(QUORVEL_HIT_KERNEL_SSE2)
Tally wholeTallyAvx2(const Input& input, int count, uint64_t* words); // only when processorHasAvx2()
#endif

namespace {

// A word of bits for the outcomes from offset, those past `count` cleared.
inline uint64_t maskedWord(uint64_t bits, int offset, int count)
{
    const int left = count - offset;
    return left < kWordOutcomes ? bits & ((uint64_t(1) << left) - 1) : bits;
}

// The tally of `count` outcomes packed in words (which it uses as work space); their order matters
// for neither figure. Hits are rare for a keep formula: its runs are found by lengthening them
// all at once, an outcome per pass over the words (a pass leaves the outcomes that start a run one
// longer). Misses are rare for a kill formula: its longest run is the longest gap between misses.
inline Tally tallyOf(uint64_t* words, int count)
{
    const int wordCount = (count + kWordOutcomes - 1) / kWordOutcomes;
    Tally tally;
    for (int w = 0; w < wordCount; ++w)
        tally.hits += __builtin_popcountll(words[w]);
    if (2 * tally.hits <= count) {
        if (tally.hits == 0)
            return tally;
        tally.longestHitRun = 1;
        for (;;) {
            uint64_t left = 0;
            for (int w = 0; w < wordCount; ++w) {
                const uint64_t next = w + 1 < wordCount ? words[w + 1] : 0;
                words[w] &= (words[w] >> 1) | (next << 63);
                left |= words[w];
            }
            if (left == 0)
                return tally;
            ++tally.longestHitRun;
        }
    }
    // Gaps between misses: the longest is the longest hit run.
    int previousMiss = -1;
    for (int w = 0; w < wordCount; ++w) {
        for (uint64_t misses = maskedWord(~words[w], kWordOutcomes * w, count); misses != 0;
             misses &= misses - 1) {
            const int at = kWordOutcomes * w + __builtin_ctzll(misses);
            const int gap = at - previousMiss - 1;
            tally.longestHitRun = gap > tally.longestHitRun ? gap : tally.longestHitRun;
            previousMiss = at;
        }
    }
    const int gap = count - previousMiss - 1;
    tally.longestHitRun = gap > tally.longestHitRun ? gap : tally.longestHitRun;
    return tally;
}

// Bits of `Width` outcomes from offset, one at a time: where no vector instructions exist.
template <int Width> uint64_t plainBits(const Input& in, int offset)
{
    uint64_t bits = 0;
    for (int i = 0; i < Width; ++i) {
        int lanes = 0;
        int sum = 0;
        for (int k = 0; k < in.termCount; ++k) {
            lanes += in.remainders[k][offset + i];
            if (in.negativeConstant > 0)
                sum += in.saturated[k][offset + i];
        }
        const int number = in.drawn[offset + i];
        const int remainder = (lanes & kRemainderMask) + in.constantRemainder;
        const bool positive =
            in.negativeConstant > 0 ? sum > in.negativeConstant : in.constantPositive || (lanes >> 10) > 0;
        const bool equal = (remainder - number) % 20 == 0 && (positive || number == 1);
        bits |= uint64_t(equal) << i;
    }
    return in.kill ? ~bits : bits;
}

// Bits of Vectors * V::kLanes outcomes from offset (at most 64); V is the instruction set's
// 16-bit lane operations.
template <class V, int Vectors> QUORVEL_HIT_KERNEL_INLINE uint64_t vectorBits(const Input& in, int offset)
{
    using Vector = typename V::Vector;
    Vector lanes[Vectors];
    Vector sums[Vectors];
    for (int v = 0; v < Vectors; ++v) {
        lanes[v] = V::zero();
        sums[v] = V::zero();
    }
    for (int k = 0; k < in.termCount; ++k) {
        const int16_t* column = in.remainders[k] + offset;
        for (int v = 0; v < Vectors; ++v)
            lanes[v] = V::add(lanes[v], V::load(column + v * V::kLanes));
    }
    if (in.negativeConstant > 0) {
        for (int k = 0; k < in.termCount; ++k) {
            const int16_t* column = in.saturated[k] + offset;
            for (int v = 0; v < Vectors; ++v)
                sums[v] = V::add(sums[v], V::load(column + v * V::kLanes));
        }
    }
    const Vector mask = V::set(kRemainderMask);
    const Vector constantRemainder = V::set(in.constantRemainder);
    const Vector inverseOfFive = V::set(int16_t(0xCCCD));
    const Vector signBit = V::set(int16_t(0x8000));
    const Vector multipleBound = V::set(int16_t((0xFFFF / 20 + 1) ^ 0x8000));
    const Vector one = V::set(1);
    const Vector negativeConstant = V::set(in.negativeConstant);
    const Vector allOnes = V::set(-1);
    uint64_t bits = 0;
    for (int v = 0; v < Vectors; v += 2) {
        Vector equal[2];
        for (int half = 0; half < 2; ++half) {
            const int w = v + half;
            if (w >= Vectors) {
                equal[half] = V::zero();
                continue;
            }
            const Vector number = V::load(in.drawn + offset + w * V::kLanes);
            const Vector remainder = V::add(V::bitAnd(lanes[w], mask), constantRemainder);
            const Vector difference = V::sub(remainder, number);
            const Vector magnitude = V::max(difference, V::sub(V::zero(), difference));
            const Vector scaled = V::mullo(magnitude, inverseOfFive);
            const Vector rotated =
                V::bitOr(V::template shiftRight<2>(scaled), V::template shiftLeft<14>(scaled));
            const Vector multiple = V::greater(multipleBound, V::bitXor(rotated, signBit));
            Vector positive;
            if (in.negativeConstant > 0)
                positive = V::greater(sums[w], negativeConstant);
            else if (in.constantPositive)
                positive = allOnes;
            else
                positive = V::greater(V::template shiftRight<10>(lanes[w]), V::zero());
            const Vector allowed = V::bitOr(positive, V::equal(number, one));
            equal[half] = V::bitAnd(multiple, allowed);
        }
        bits |= uint64_t(V::signBits(equal[0], equal[1])) << (v * V::kLanes);
    }
    return in.kill ? ~bits : bits;
}

#if defined(QUORVEL_HIT_KERNEL_SSE2)
struct Sse2
{
    using Vector = __m128i;
    static constexpr int kLanes = 8;
    static Vector zero() { return _mm_setzero_si128(); }
    static Vector set(int16_t value) { return _mm_set1_epi16(value); }
    static Vector load(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static Vector add(Vector a, Vector b) { return _mm_add_epi16(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm_sub_epi16(a, b); }
    static Vector max(Vector a, Vector b) { return _mm_max_epi16(a, b); }
    static Vector mullo(Vector a, Vector b) { return _mm_mullo_epi16(a, b); }
    static Vector bitAnd(Vector a, Vector b) { return _mm_and_si128(a, b); }
    static Vector bitOr(Vector a, Vector b) { return _mm_or_si128(a, b); }
    static Vector bitXor(Vector a, Vector b) { return _mm_xor_si128(a, b); }
    template <int Bits> static Vector shiftRight(Vector a) { return _mm_srli_epi16(a, Bits); }
    template <int Bits> static Vector shiftLeft(Vector a) { return _mm_slli_epi16(a, Bits); }
    static Vector greater(Vector a, Vector b) { return _mm_cmpgt_epi16(a, b); }
    static Vector equal(Vector a, Vector b) { return _mm_cmpeq_epi16(a, b); }
    // One bit per lane of two all-ones-or-zero vectors: a's lanes first.
    static uint32_t signBits(Vector a, Vector b)
    {
        return uint32_t(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
    }
};
#endif

} // namespace

} // namespace quorvel::hitkernel
