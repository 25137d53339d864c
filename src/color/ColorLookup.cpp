// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorLookup.h"

#include <algorithm>
#include <cstdlib>

namespace fl {

TFastColorLookup::TFastColorLookup(const TPaletteHandle& palette) : TColorLookup(0)
{
    FCells.fill(-1);
    if (!palette)
        return;
    FColorCount = int(std::min<size_t>(palette->Entries.size(), FEntries.size()));
    std::copy_n(palette->Entries.begin(), FColorCount, FEntries.begin());
    for (int i = 0; i < FColorCount; ++i) {
        FRed[i] = FEntries[i].red;
        FGreen[i] = FEntries[i].green;
        FBlue[i] = FEntries[i].blue;
    }
    // Index order, first claim kept: the lowest entry owns a shared cell.
    for (int i = 0; i < FColorCount; ++i) {
        int16_t& cell = FCells[CellOf(FEntries[i].red, FEntries[i].green, FEntries[i].blue)];
        if (cell < 0)
            cell = int16_t(i);
    }
}

int TFastColorLookup::Scan(int r, int g, int b) const
{
    // Distances are at most 765, below the initial best of 196608, so
    // "first strictly smaller wins" is the first entry of minimal distance
    // (index 0 when there are no entries). Found in two passes that the
    // compiler can vectorize.
    std::array<int16_t, 256> distance;
    const int count = FColorCount;
    for (int i = 0; i < count; ++i)
        distance[i] = int16_t(std::abs(FRed[i] - r) + std::abs(FGreen[i] - g) + std::abs(FBlue[i] - b));
    int16_t best = 32767;
    for (int i = 0; i < count; ++i)
        best = std::min(best, distance[i]);
    for (int i = 0; i < count; ++i)
        if (distance[i] == best)
            return i;
    return 0;
}

} // namespace fl
