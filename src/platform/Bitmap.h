// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/BitmapError.h"
#include "platform/Graphic.h"
#include "platform/Palette.h"
#include "platform/PixelFormat.h"

namespace fl {

// The engine's bitmap: the stand-in for the platform's bitmaps.
//
// Storage: rows top-down (row 0 is the top row), each padded to a multiple of
// 4 bytes like a device-independent bitmap, so a row can be written to a BMP
// file as it is. Pixels in a row, by format: 1 and 4 bits packed with the
// leftmost pixel in the most significant bits; 8 bits one index per byte;
// 15 and 16 bits little-endian words; 24 bits blue, green, red; 32 bits and
// device blue, green, red, unused. Indexed formats address Palette(); an
// index past the palette's end shows black.
//
// Transparent marks a bitmap whose Mask() (a 1-bit bitmap of the same size,
// bit 1 = transparent) tells which pixels are not drawn.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format);
    // Deep copies: pixels, palette handle, transparency and mask; the
    // notification handlers stay with the original.
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    void Assign(const TBitmap& other) { *this = other; }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    // Reads a BMP file (with its 14-byte file header) from the stream's
    // position to its end; writes one. Throw EBitmapError.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // The same without the file header: header, color table and bits in one
    // block, as the clipboard and video frames carry them.
    void LoadFromDIB(const uint8_t* data, size_t size);
    void SaveToDIB(TStream& stream) const;

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels. Every format converts to the direct formats (15,
    // 16, 24, 32 bits, device); an indexed format converts to another indexed
    // format when every index fits, keeping the palette. Anything else, and
    // pfCustom, fails with "Unsupported PixelFormat". An empty bitmap only
    // takes the format.
    void SetPixelFormat(TPixelFormat format);
    // Resizes, keeping the overlapping top-left part; new pixels are zero.
    // Fails with "Bitmap is too large" beyond BitmapMemoryLimits. The mask is
    // dropped when the size changes.
    void SetSize(int width, int height);

    int BitsPerPixel() const { return fl::BitsPerPixel(format_); }
    size_t RowBytes() const { return rowBytes_; }
    // Row pointers, row 0 at the top; "Scan line index out of range" outside.
    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;
    // All rows in one block of Height() x RowBytes() bytes.
    uint8_t* Bits() { return pixels_.data(); }
    const uint8_t* Bits() const { return pixels_.data(); }

    // The color of one pixel as 0x00RRGGBB: slow, for tests and odd spots.
    uint32_t PixelColor(int x, int y) const;

    const TPaletteHandle& Palette() const { return palette_; }
    void SetPalette(TPaletteHandle palette) { palette_ = std::move(palette); }

    bool Transparent = false;
    const TBitmap* Mask() const { return mask_.get(); }
    // Takes a mask of this bitmap's size; it is made 1-bit with a black and
    // white palette when it is not already. None removes the mask.
    void SetMask(std::unique_ptr<TBitmap> mask);
    // A 1-bit bitmap from packed rows of sourceRowBytes bytes (for instance a
    // mask buffer with rows padded to 16 bits), palette black, white.
    static std::unique_ptr<TBitmap> MakeMonochrome(int width, int height, const uint8_t* rows,
                                                   size_t sourceRowBytes);

    // Raises OnChange for a change made through the raw rows (a canvas
    // drawing on the bitmap).
    void NotifyChanged() { Changed(); }

private:
    void Allocate(int width, int height, TPixelFormat format);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    size_t rowBytes_ = 0;
    std::vector<uint8_t> pixels_;
    TPaletteHandle palette_;
    std::unique_ptr<TBitmap> mask_;
};

// The palette of masks and monochrome bitmaps: black, white.
TPaletteHandle MonochromePalette();

} // namespace fl
