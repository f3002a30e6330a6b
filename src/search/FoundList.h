#pragma once

#include "search/FoundFormula.h"

#include <vector>

namespace quorvel {

// The formulas a search found and has not stored yet, in the order they were found. Holds at
// most kCapacity entries; the kind is not recorded (storing applies the kind in force then).
class FoundList
{
public:
    static constexpr int kCapacity = 32767;

    // A run of consecutive entries of one position: stored into that position's table together.
    struct Group
    {
        int position = 0;
        int first = 0; // index of its first entry
        int count = 0;
        bool operator==(const Group&) const = default;
    };

    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    bool isFull() const { return size() >= kCapacity; }
    int room() const { return kCapacity - size(); }

    // False (and nothing added) when the list is full.
    bool append(const FoundFormula& formula);
    // Appends in order until the list is full; returns how many were added.
    int append(const std::vector<FoundFormula>& formulas);
    void clear() { m_entries.clear(); }

    const std::vector<FoundFormula>& entries() const { return m_entries; }
    const FoundFormula& at(int index) const { return m_entries[std::size_t(index)]; }

    std::vector<Group> groups() const;

private:
    std::vector<FoundFormula> m_entries;
};

} // namespace quorvel
