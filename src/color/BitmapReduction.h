// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Bitmap.h"

namespace fl {

// Reduces any bitmap to an 8-bit indexed bitmap with the method's palette
// and the dither mode's pixel mapping (reduceNone: a 24-bit copy). The source
// is converted to 24 bits per pixel in place. An unknown method or dither
// mode, or an empty custom palette, gives an empty bitmap. The custom palette
// is used only by reduceCustomPalette.
std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& source, uint8_t method, uint8_t ditherMode, int bits,
                                            const TPaletteHandle& customPalette);

// A palette of colorCount colors quantized from the bitmap (converted to 24
// bits per pixel in place); with addSystemColors 236 colors framed by the
// 20 system colors.
TPaletteHandle QuantizeBitmapPalette(TBitmap& bitmap, int colorCount, int colorBits, bool addSystemColors);

} // namespace fl
