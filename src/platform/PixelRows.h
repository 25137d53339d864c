// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/Palette.h"
#include "platform/PixelFormat.h"

namespace fl {

// Conversions of whole raw rows between pixel formats, the fast path behind
// TBitmap::SetPixelFormat and the BMP codec: no per-pixel calls, no allocation.

// A palette laid out for lookups: 256 entries of blue, green, red; indices
// past the palette's end give black.
struct TBGRTable {
    uint8_t Entries[256][3];
};
void MakeBGRTable(const TPalette* palette, TBGRTable& table);

// width pixels of format `from` to blue, green, red triples. Indexed formats
// go through the table. pfCustom is not allowed.
void RowToBGR24(TPixelFormat from, const uint8_t* source, uint8_t* target, int width, const TBGRTable& table);

// width blue, green, red triples to a direct format (15, 16, 24, 32 bits or
// device); channels lose their low bits where the format is narrower.
void RowFromBGR24(TPixelFormat to, const uint8_t* source, uint8_t* target, int width);

// Indexed rows: unpack to one index per byte, and pack back (indices must fit
// the target's bits; excess bits are dropped).
void RowToIndices(TPixelFormat from, const uint8_t* source, uint8_t* target, int width);
void RowFromIndices(TPixelFormat to, const uint8_t* source, uint8_t* target, int width);

} // namespace fl
