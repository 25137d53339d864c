// SPDX-License-Identifier: GPL-3.0-or-later
// A palette for many pictures at once (the frames of a video): a histogram
// of 5-5-5 cells with the exact sums of the colors in each, cut into boxes
// of least squared error (the box with the most error is split across its
// widest channel at its weighted median), then refined by moving each
// color to the mean of the cells nearest to it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Palette.h"

namespace fl {

class TCellHistogram {
public:
    TCellHistogram();

    void Add(uint8_t red, uint8_t green, uint8_t blue)
    {
        TCell& cell = cells_[unsigned(red >> 3) << 10 | unsigned(green >> 3) << 5 | unsigned(blue >> 3)];
        ++cell.Count;
        cell.Red += red;
        cell.Green += green;
        cell.Blue += blue;
    }

    // At most `colors` (1..256) entries; fewer when the pictures hold fewer
    // distinct cells. Empty for an empty histogram.
    std::vector<TPaletteEntry> Palette(int colors, int refinements = 4) const;

private:
    struct TCell {
        uint64_t Count = 0;
        uint64_t Red = 0, Green = 0, Blue = 0;
    };
    std::vector<TCell> cells_;
};

} // namespace fl
