// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace fl {

// A BMP file starts with the 14-byte file header; a packed DIB (clipboard,
// video frames) is the image header, the color table and the bits in one block.
enum class TBMPLayout { File, PackedDIB };

// Reads a BMP: core (12-byte), info (40), V2/V3 (52/56), V4 (108) and V5 (124)
// headers; 1, 4, 8, 16, 24 and 32 bits; RLE4 and RLE8; bit-field masks;
// bottom-up and top-down. The result has the file's own format where we have
// one (1, 4, 8 bits with the file's palette, 5-5-5 as pf15bit, 5-6-5 as
// pf16bit, 24 bits, 8-8-8 in 32 bits as pf32bit) and 24 bits for any other
// masks. Pixels an RLE stream skips keep index 0; runs reaching past the end
// of their row are clipped there, runs past the last row are malformed.
//
// Every malformed file fails with EBitmapError "Bitmap image is not valid";
// truncated pixel data is malformed too (no partial image). Images beyond
// BitmapMemoryLimits fail with "Bitmap is too large"; embedded JPEG and PNG
// with "Unsupported bitmap format". The reader never reads outside [data,
// data + size).
TBitmap ReadBMP(const uint8_t* data, size_t size, TBMPLayout layout);

// Writes an uncompressed bottom-up BMP with a 40-byte info header: 1, 4 and 8
// bits with the palette as color table (a gray ramp when the bitmap has none),
// 15 bits as 16-bit 5-5-5, 16 bits as 16-bit bit fields 5-6-5, 24 bits, and
// 32 bits (also for device bitmaps). An empty bitmap fails with "Bitmap is empty".
void WriteBMP(const TBitmap& bitmap, TStream& stream, TBMPLayout layout);

} // namespace fl
