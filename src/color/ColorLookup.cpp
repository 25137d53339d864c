// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorLookup.h"

#include <algorithm>
#include <climits>
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

TNearestColorLookup::TNearestColorLookup(const TPaletteHandle& palette) : TColorLookup(0)
{
    cellStart_.fill(-1);
    if (palette) {
        FColorCount = int(std::min<size_t>(palette->Entries.size(), entries_.size()));
        std::copy_n(palette->Entries.begin(), FColorCount, entries_.begin());
    }
    // An empty palette maps everything to its black entry 0.
    if (FColorCount == 0)
        FColorCount = 1;
}

namespace {

// The least and the greatest squared distance along one channel from a
// value to the 8 values of a cell's side.
void SideDistances(int value, int low, int& nearest, int& farthest)
{
    const int high = low + 7;
    const int inside = value < low ? low - value : value > high ? value - high : 0;
    const int outside = std::max(std::abs(value - low), std::abs(value - high));
    nearest = inside * inside;
    farthest = outside * outside;
}

} // namespace

void TNearestColorLookup::ListCandidates(unsigned cell)
{
    const int red = int(cell >> 10 & 31) << 3, green = int(cell >> 5 & 31) << 3, blue = int(cell & 31) << 3;
    // An entry is a candidate unless another is nearer to every color of
    // the cell: its least distance to the cell exceeds the smallest
    // greatest distance of any entry.
    std::array<int, 256> nearest;
    int bound = INT_MAX;
    for (int i = 0; i < FColorCount; ++i) {
        int nr, fr, ng, fg, nb, fb;
        SideDistances(entries_[i].red, red, nr, fr);
        SideDistances(entries_[i].green, green, ng, fg);
        SideDistances(entries_[i].blue, blue, nb, fb);
        nearest[i] = nr + ng + nb;
        bound = std::min(bound, fr + fg + fb);
    }
    cellStart_[cell] = int32_t(candidates_.size());
    for (int i = 0; i < FColorCount; ++i)
        if (nearest[i] <= bound)
            candidates_.push_back(uint8_t(i));
    cellCount_[cell] = uint16_t(candidates_.size() - size_t(cellStart_[cell]));
}

} // namespace fl
