// SPDX-License-Identifier: GPL-3.0-or-later
// Raw row access to bitmaps for the color routines: a reader that converts a
// bitmap in place and hands out its rows, and a writer that builds an 8- or
// 24-bit image row by row and gives it to a bitmap when finished.
#pragma once

#include <cstdint>
#include <vector>

#include "color/RowAccess.h"
#include "platform/Bitmap.h"

namespace fl {

// A bitmap seen in one pixel format.
class TDIB {
public:
    TDIB(TBitmap& bitmap, TPixelFormat format) : bitmap_(bitmap), format_(format) {}
    TBitmap& Bitmap() const { return bitmap_; }
    TPixelFormat PixelFormat() const { return format_; }

protected:
    TBitmap& bitmap_;
    TPixelFormat format_;
};

// Converts the bitmap itself to the format (the reducers ask for 24 bits) and
// answers its rows, row 0 at the top.
class TDIBReader : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat format);
    const uint8_t* ScanLine(int row) const { return bitmap_.ScanLine(row); }
    // The rows as the color routines take them (24-bit readers only).
    TBGRRowSource RowSource() const;
};

// Builds an 8- or 24-bit image: rows padded to 4 bytes, kept bottom row
// first as a device-independent image is, created on the first row access.
// Finish hands the image, with the palette for 8 bits, to the bitmap.
class TDIBWriter : public TDIB {
public:
    // "Unsupported PixelFormat" for formats other than 8 and 24 bits,
    // "Invalid image dimensions" for a zero width or height (GIFException).
    TDIBWriter(TBitmap& bitmap, TPixelFormat format, int width, int height, TPaletteHandle palette);

    // Row 0 is the top row; "Scan line index out of range" outside.
    uint8_t* ScanLine(int row);
    void SetPalette(TPaletteHandle palette) { palette_ = std::move(palette); }
    // The 256-slot color table of an 8-bit image: the palette's entries as
    // blue, green, red, 0 from slot 0, the rest zero.
    std::vector<uint8_t> ColorTable() const;
    void Finish();

private:
    void CreateBits();

    int width_;
    int height_;
    size_t rowBytes_;
    TPaletteHandle palette_;
    std::vector<uint8_t> bits_;
};

// Header and pixel data sizes of the device-independent image that
// CopyBitmapBits makes of the bitmap in the format: a 40-byte header (with
// 4 x 2^bits bytes of color table up to 8 bits per pixel) and rows padded to
// 4 bytes. Formats other than 1, 4, 8 and 24 bits: "Unsupported PixelFormat".
struct TDIBSizes {
    size_t HeaderSize = 0;
    size_t ImageSize = 0;
};
TDIBSizes DIBHeaderSizes(const TBitmap& bitmap, TPixelFormat format);

// Fills header (40-byte info header and color table) and bits (rows bottom
// up) with the bitmap in the format; indexed formats use the palette (or the
// bitmap's own when none is given) and map other colors to its nearest entry.
bool CopyBitmapBits(const TBitmap& bitmap, const TPaletteHandle& palette, std::vector<uint8_t>& header,
                    TPixelFormat format, std::vector<uint8_t>& bits);

} // namespace fl
