// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap-free core of a color reduction: the palette and lookup of a
// reduction method, and the whole mapping of a 24-bit row source to 8-bit
// indices. The bitmap layer only has to supply rows and take the result.
#pragma once

#include "color/ColorLookup.h"
#include "color/RowAccess.h"
#include "platform/Palette.h"

#include <cstdint>
#include <memory>

namespace fl {

// Reduction method codes as the animation stores them.
inline constexpr uint8_t reduceNone = 0;
inline constexpr uint8_t reduceSystem20 = 1;
inline constexpr uint8_t reduceHalftone256 = 2;
inline constexpr uint8_t reduceGray4 = 3;
inline constexpr uint8_t reduceMonochrome = 4;
inline constexpr uint8_t reduceGray256 = 5;
inline constexpr uint8_t reduceWebSafe216 = 6;
inline constexpr uint8_t reduceQuantize = 7;
inline constexpr uint8_t reduceQuantizeSystem = 8;
inline constexpr uint8_t reduceCustomPalette = 9;

struct TReductionPalette {
    TPaletteHandle Palette;               // null when the method makes no palette
    std::unique_ptr<TColorLookup> Lookup; // null likewise
};

// The palette and lookup of a method. reduceQuantize reads the source for a
// palette of 2^bits colors (8 color bits), reduceQuantizeSystem for 236
// colors framed by the system colors; reduceCustomPalette copies the
// caller's palette (none counts as empty). reduceNone and unknown codes give
// neither. Quantizer errors (GIFException) pass through.
TReductionPalette MakeReductionPalette(uint8_t method, int bits, const TPaletteHandle& customPalette,
                                       const TBGRRowSource& source);

// Maps every source pixel to an index of the method's palette with the
// dither mode's engine, writing the rows of `target`; returns the palette.
// Returns null, without touching the target, when there is nothing to
// produce: reduceNone, an unknown method or dither mode, or an empty palette.
TPaletteHandle ReduceColors(const TBGRRowSource& source, const TIndexRowTarget& target, uint8_t method,
                            uint8_t ditherMode, int bits, const TPaletteHandle& customPalette);

} // namespace fl
