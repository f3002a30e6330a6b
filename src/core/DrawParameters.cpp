#include "core/DrawParameters.h"

#include "core/LotteryType.h"

#include <algorithm>
#include <cstdlib>

namespace quorvel {

namespace {

// Term-table indexes (0-based) of the parameter families, in the order termTable() builds them.

// Families A..I (0..8) of a position: L1A .. L8I.
constexpr int perPositionIndex(int family, int position)
{
    return family * kPositionCount + position - 1;
}

// L1J .. L8J.
constexpr int cubeIndex(int position)
{
    return 72 + position - 1;
}

// L1K .. L9K, then L0K for digit 0.
constexpr int familyKIndex(int digit)
{
    return 80 + (digit + 9) % 10;
}

// L1M .. L9M, then L0M for digit 0.
constexpr int familyMIndex(int digit)
{
    return 90 + (digit + 9) % 10;
}

// L1N .. L8N.
constexpr int familyNIndex(int digit)
{
    return 100 + digit - 1;
}

// L1P .. L8P.
constexpr int neighbourSumIndex(int position)
{
    return 108 + position - 1;
}

// L1Q .. L8Q.
constexpr int neighbourDifferenceIndex(int position)
{
    return 116 + position - 1;
}

// The families A..I in letter order.
enum Family
{
    Number,
    Size,
    Parity,
    RemainderOf5,
    RemainderOf3,
    Segment,
    Square,
    Complement,
    PowerOf2
};

bool isPrime(int x)
{
    switch (x) {
    case 2:
    case 3:
    case 5:
    case 7:
    case 11:
    case 13:
    case 17:
    case 19:
        return true;
    default:
        return false;
    }
}

bool isDrawableNumber(int x)
{
    return x >= 1 && x <= kHighestNumber;
}

// Remainder in 0..divisor - 1 also for a negative dividend.
int wrap(int value, int divisor)
{
    const int r = value % divisor;
    return r < 0 ? r + divisor : r;
}

} // namespace

ParameterValues computeDrawParameters(const DrawNumbers& numbers, qint32 issue,
                                      const std::optional<DrawNumbers>& previous, int drawsPerDay,
                                      EntryPath path)
{
    Q_ASSERT(std::all_of(numbers.begin(), numbers.end(), isDrawableNumber));
    Q_ASSERT(drawsPerDay > 0);
    const int d = drawsPerDay > 0 ? drawsPerDay : kDefaultDrawsPerDay;

    ParameterValues v{};
    const auto x = [&numbers](int position) { return numbers[position - 1]; };

    // Per-position values; the neighbours of a position are taken cyclically (1 sits beside 8).
    for (int p = 1; p <= kPositionCount; ++p) {
        const int n = x(p);
        v[perPositionIndex(Number, p)] = n;
        v[perPositionIndex(Size, p)] = n > 10 ? 1 : 0;
        v[perPositionIndex(Parity, p)] = n % 2;
        v[perPositionIndex(RemainderOf5, p)] = n % 5;
        v[perPositionIndex(RemainderOf3, p)] = n % 3;
        v[perPositionIndex(Segment, p)] = (n - 1) / 2 + 1;
        v[perPositionIndex(Square, p)] = n * n;
        v[perPositionIndex(Complement, p)] = kHighestNumber - n;
        v[perPositionIndex(PowerOf2, p)] = isDrawableNumber(n) ? qint32(1) << n : 0;
        v[cubeIndex(p)] = n * n * n;
        const int before = x((p + 6) % kPositionCount + 1);
        const int after = x(p % kPositionCount + 1);
        v[neighbourSumIndex(p)] = before + after;
        v[neighbourDifferenceIndex(p)] = std::abs(before - after);
    }

    // Steps between consecutive positions.
    int ascendingByOne = 0;
    int descendingByOne = 0;
    int ascendingByTwo = 0;
    int descendingByTwo = 0;
    int largestStep = 0;
    for (int p = 2; p <= kPositionCount; ++p) {
        const int step = x(p) - x(p - 1);
        ascendingByOne += step == 1;
        descendingByOne += step == -1;
        ascendingByTwo += step == 2;
        descendingByTwo += step == -2;
        largestStep = std::max(largestStep, std::abs(step));
    }
    v[familyKIndex(1)] = ascendingByOne;
    v[familyKIndex(2)] = descendingByOne;
    v[familyKIndex(3)] = ascendingByTwo;
    v[familyKIndex(4)] = descendingByTwo;
    v[familyNIndex(7)] = largestStep;

    // Sums and counts over the eight numbers. "Big" here means greater than 5, unlike the
    // size family above where 10 is still small.
    int sum = 0;
    int bigCount = 0;
    int bigSum = 0;
    int evenCount = 0;
    int evenSum = 0;
    int primeCount = 0;
    int primeSum = 0;
    int compositeCount = 0;
    int compositeSum = 0;
    int smallest = kHighestNumber;
    int largest = 1;
    for (const int n : numbers) {
        sum += n;
        if (n > 5) {
            ++bigCount;
            bigSum += n;
        }
        if (n % 2 == 0) {
            ++evenCount;
            evenSum += n;
        }
        if (isPrime(n)) {
            ++primeCount;
            primeSum += n;
        } else if (n != 1) {
            ++compositeCount;
            compositeSum += n;
        }
        smallest = std::min(smallest, n);
        largest = std::max(largest, n);
    }
    v[familyMIndex(1)] = sum;
    v[familyMIndex(2)] = sum % 10;
    v[familyMIndex(3)] = bigCount;
    v[familyMIndex(4)] = kPositionCount - bigCount;
    v[familyMIndex(5)] = bigSum;
    v[familyMIndex(6)] = sum - bigSum;
    v[familyMIndex(7)] = evenCount;
    v[familyMIndex(8)] = kPositionCount - evenCount;
    v[familyMIndex(9)] = evenSum;
    v[familyMIndex(0)] = sum - evenSum;
    v[familyNIndex(1)] = compositeCount;
    v[familyNIndex(2)] = primeCount;
    v[familyNIndex(3)] = compositeSum;
    v[familyNIndex(4)] = primeSum;
    v[familyNIndex(8)] = largest - smallest;

    // Relation to the draw stored before this one.
    const PreviousDrawRelation relation = relationToPrevious(numbers, previous);
    v[familyNIndex(5)] = relation.repeatedNumbers;
    v[familyNIndex(6)] = relation.samePositions;

    // Day-sequence values. Manual entry stores the two draws before this one and this one;
    // the online update stores the draw before, this one and the next, all wrapped into 1..D.
    const int q = issue % 100;
    if (path == EntryPath::Manual) {
        v[familyKIndex(5)] = wrap(d + q - 3, d) + 1;
        v[familyKIndex(6)] = wrap(d + q - 2, d) + 1;
        v[familyKIndex(7)] = q;
    } else {
        v[familyKIndex(5)] = wrap(q + d - 2, d) + 1;
        v[familyKIndex(6)] = q;
        v[familyKIndex(7)] = wrap(q + d, d) + 1;
    }

    // Date values from the digits YYMMDD of the issue number.
    v[familyKIndex(8)] = issue / 100 % 100;
    v[familyKIndex(9)] = issue / 10000 % 100;
    v[familyKIndex(0)] = 2000 + issue / 1000000;
    return v;
}

PreviousDrawRelation relationToPrevious(const DrawNumbers& numbers,
                                        const std::optional<DrawNumbers>& previous)
{
    PreviousDrawRelation relation;
    if (!previous)
        return relation;
    std::array<bool, kHighestNumber + 1> drawnBefore{};
    for (const int n : *previous) {
        if (isDrawableNumber(n))
            drawnBefore[n] = true;
    }
    for (int p = 1; p <= kPositionCount; ++p) {
        const int n = numbers[std::size_t(p - 1)];
        relation.repeatedNumbers += isDrawableNumber(n) && drawnBefore[n];
        relation.samePositions += n == (*previous)[std::size_t(p - 1)];
    }
    return relation;
}

Draw makeDraw(const DrawNumbers& numbers, qint32 issue, const std::optional<DrawNumbers>& previous,
              int drawsPerDay, EntryPath path)
{
    return Draw{issue, computeDrawParameters(numbers, issue, previous, drawsPerDay, path)};
}

} // namespace quorvel
