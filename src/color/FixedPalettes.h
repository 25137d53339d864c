// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Palette.h"

namespace fl {

// The 216-color web-safe cube: entry r*36 + g*6 + b is (51r, 51g, 51b).
TPaletteHandle MakeWebSafePalette();

// 256 grays, entry i = (i, i, i), each flagged PC_NOCOLLAPSE.
TPaletteHandle MakeGray256Palette();

// The grays 0x00, 0x80, 0xC0, 0xFF in this order, flagged PC_NOCOLLAPSE.
TPaletteHandle MakeGray4Palette();

// Black then white, flagged PC_NOCOLLAPSE.
TPaletteHandle MakeMonochromePalette();

// The 20 static system colors of the stock default palette: the first ten
// (the dark VGA colors, silver, money green, sky blue) then the last ten
// (cream, medium gray, gray and the bright VGA colors ending in white).
// One shared handle for the whole process, like the stock object it stands for.
const TPaletteHandle& StockDefaultPalette();

// The 256-color halftone palette. Our own fixed table, built as:
//   entries 0..9      the first ten system colors,
//   entries 10..225   the 6x6x6 cube (51r, 51g, 51b), red slowest,
//   entries 226..245  twenty grays (255*i + 10) / 21 for i = 1..20, which
//                     lie strictly between the cube's six gray levels,
//   entries 246..255  the last ten system colors.
// All flags are 0. A fresh palette on every call.
TPaletteHandle MakeHalftonePalette();

} // namespace fl
