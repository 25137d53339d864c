// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/HashTable.h"

#include <cstring>

namespace fl {

namespace {

// The room check relies on the probe sequence splitting the slots 1..8008
// into exactly two cycles of kCycleLength.
constexpr bool ProbeCyclesClose()
{
    for (int start : {1, 3}) {
        int s = start;
        for (int i = 1; i < THashTable::kCycleLength; ++i) {
            s = THashTable::NextProbe(s);
            if (s == start)
                return false;
        }
        if (THashTable::NextProbe(s) != start)
            return false;
    }
    return 2 * THashTable::kCycleLength + 1 == THashTable::kSlots && THashTable::NextProbe(0) == 8008;
}
static_assert(ProbeCyclesClose());

} // namespace

const std::array<uint16_t, 4096> THashTable::kPrefixShare = THashTable::MakePrefixShares();

void TPairTable::Clear()
{
    std::memset(slots_, 0xFF, sizeof(slots_));
}

void THashTable::Clear()
{
    std::memset(slots_.data(), 0xFF, sizeof(slots_));
}

} // namespace fl
