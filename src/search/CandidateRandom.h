#pragma once

#include <QtGlobal>

namespace quorvel {

// The random numbers of one candidate of a search run: a counter-based stream that depends on the
// run's seed and the candidate's index alone, so that candidate i is the same formula whichever
// thread draws it and however many threads share the run. Number 2m of the stream is the low half
// and number 2m + 1 the high half of the 64-bit word m, each word the SplitMix64 finaliser of a
// counter over the candidate's own base.
class CandidateRandom
{
public:
    // The run's key, computed once per run from its seed.
    static quint64 keyOf(quint64 seed) { return mix(seed ^ 0x6A09E667F3BCC909ull); }

    CandidateRandom(quint64 key, quint64 index) : m_base(mix(key + index * 0x9E3779B97F4A7C15ull)) {}

    // The next uniform 32-bit number; as a fraction of 2^32 it is a number in [0, 1).
    quint32 next()
    {
        if (m_half) {
            m_half = false;
            return quint32(m_word >> 32);
        }
        m_word = mix(m_base + ++m_counter * 0xD1B54A32D192ED03ull);
        m_half = true;
        return quint32(m_word);
    }

    // The whole part of (the next number in [0, 1) times count): 0..count - 1.
    int below(int count) { return scale(next(), count); }

    // The whole part of (number / 2^32 times count), exactly.
    static int scale(quint32 number, int count) { return int((quint64(number) * quint64(count)) >> 32); }

    static quint64 mix(quint64 z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    quint64 m_base;
    quint64 m_counter = 0;
    quint64 m_word = 0;
    bool m_half = false;
};

} // namespace quorvel
