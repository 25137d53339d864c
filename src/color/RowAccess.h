// SPDX-License-Identifier: GPL-3.0-or-later
// Raw row access for the color routines, independent of any bitmap type: the
// bitmap layer supplies row pointers, the routines never touch pixels one
// call at a time.
#pragma once

#include <cstdint>
#include <functional>

namespace fl {

// A 24-bit image: Row(y) points at Width pixels stored blue, green, red;
// row 0 is the top row.
struct TBGRRowSource {
    int Width = 0;
    int Height = 0;
    std::function<const uint8_t*(int y)> Row;
};

// Where 8-bit indices go: Row(y) points at Width writable bytes of row y.
using TIndexRowTarget = std::function<uint8_t*(int y)>;

} // namespace fl
