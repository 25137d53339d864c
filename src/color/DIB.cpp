// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/DIB.h"

#include <cstring>

#include "color/ColorLookup.h"
#include "platform/GIFException.h"

namespace fl {

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : TDIB(bitmap, format)
{
    bitmap.SetPixelFormat(format);
}

TBGRRowSource TDIBReader::RowSource() const
{
    TBitmap& bitmap = bitmap_;
    return {bitmap.Width(), bitmap.Height(), [&bitmap](int y) -> const uint8_t* { return bitmap.ScanLine(y); }};
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, TPixelFormat format, int width, int height, TPaletteHandle palette)
    : TDIB(bitmap, format), width_(width), height_(height), palette_(std::move(palette))
{
    if (format != TPixelFormat::pf8bit && format != TPixelFormat::pf24bit)
        throw GIFException("Unsupported PixelFormat");
    if (width <= 0 || height <= 0)
        throw GIFException("Invalid image dimensions");
    rowBytes_ = PaddedRowBytes(static_cast<size_t>(width), BitsPerPixel(format));
}

void TDIBWriter::CreateBits()
{
    if (uint64_t(width_) * uint64_t(height_) > BitmapMemoryLimits.MaxPixels)
        throw EBitmapError("Failed to allocate memory for GIF DIB");
    try {
        bits_.assign(rowBytes_ * static_cast<size_t>(height_), 0);
    } catch (const std::bad_alloc&) {
        throw EBitmapError("Failed to allocate memory for GIF DIB");
    }
}

uint8_t* TDIBWriter::ScanLine(int row)
{
    if (bits_.empty())
        CreateBits();
    if (row < 0 || row >= height_)
        throw EBitmapError("Scan line index out of range");
    return bits_.data() + static_cast<size_t>(height_ - 1 - row) * rowBytes_;
}

std::vector<uint8_t> TDIBWriter::ColorTable() const
{
    std::vector<uint8_t> table(256 * 4, 0);
    if (palette_) {
        const size_t count = std::min<size_t>(256, palette_->Entries.size());
        for (size_t i = 0; i < count; ++i) {
            const TPaletteEntry& entry = palette_->Entries[i];
            table[i * 4] = entry.blue;
            table[i * 4 + 1] = entry.green;
            table[i * 4 + 2] = entry.red;
        }
    }
    return table;
}

void TDIBWriter::Finish()
{
    if (bits_.empty())
        CreateBits();
    TBitmap image(width_, height_, format_);
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.ScanLine(y), ScanLine(y), std::min(rowBytes_, image.RowBytes()));
    if (format_ == TPixelFormat::pf8bit) {
        // Only the palette's own entries matter; the rest of the 256 slots
        // are black.
        image.SetPalette(palette_ ? palette_ : std::make_shared<TPalette>());
    }
    bitmap_ = std::move(image);
    bits_.clear();
}

TDIBSizes DIBHeaderSizes(const TBitmap& bitmap, TPixelFormat format)
{
    int bits;
    switch (format) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf24bit:
        bits = BitsPerPixel(format);
        break;
    default:
        throw EBitmapError("Unsupported PixelFormat");
    }
    TDIBSizes sizes;
    sizes.HeaderSize = bits <= 8 ? 40 + 4 * (size_t(1) << bits) : 40;
    sizes.ImageSize = PaddedRowBytes(static_cast<size_t>(bitmap.Width()), bits) * static_cast<size_t>(bitmap.Height());
    return sizes;
}

static void PutLE32(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

bool CopyBitmapBits(const TBitmap& bitmap, const TPaletteHandle& palette, std::vector<uint8_t>& header,
                    TPixelFormat format, std::vector<uint8_t>& bits)
{
    const TDIBSizes sizes = DIBHeaderSizes(bitmap, format);
    const int bitCount = BitsPerPixel(format);
    const int width = bitmap.Width(), height = bitmap.Height();
    header.assign(sizes.HeaderSize, 0);
    PutLE32(&header[0], 40);
    PutLE32(&header[4], uint32_t(width));
    PutLE32(&header[8], uint32_t(height));
    header[12] = 1;
    header[14] = static_cast<uint8_t>(bitCount);
    PutLE32(&header[20], uint32_t(sizes.ImageSize));
    bits.assign(sizes.ImageSize, 0);
    if (width == 0 || height == 0)
        return true;

    TBitmap truecolor(bitmap);
    truecolor.SetPixelFormat(TPixelFormat::pf24bit);
    const size_t rowBytes = PaddedRowBytes(static_cast<size_t>(width), bitCount);
    if (format == TPixelFormat::pf24bit) {
        for (int y = 0; y < height; ++y)
            std::memcpy(&bits[static_cast<size_t>(height - 1 - y) * rowBytes], truecolor.ScanLine(y),
                        static_cast<size_t>(width) * 3);
        return true;
    }

    // Indexed: the color table is the palette, every pixel its nearest entry.
    TPaletteHandle table = palette ? palette : bitmap.Palette();
    if (!table || table->Entries.empty())
        table = MonochromePalette();
    const size_t slots = size_t(1) << bitCount;
    const size_t count = std::min(slots, table->Entries.size());
    for (size_t i = 0; i < count; ++i) {
        const TPaletteEntry& entry = table->Entries[i];
        header[40 + i * 4] = entry.blue;
        header[40 + i * 4 + 1] = entry.green;
        header[40 + i * 4 + 2] = entry.red;
    }
    auto limited = std::make_shared<TPalette>();
    limited->Entries.assign(table->Entries.begin(), table->Entries.begin() + static_cast<ptrdiff_t>(count));
    TFastColorLookup lookup(limited);
    const int perByte = 8 / bitCount;
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = truecolor.ScanLine(y);
        uint8_t* row = &bits[static_cast<size_t>(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            const uint8_t index = lookup.Map(source[x * 3 + 2], source[x * 3 + 1], source[x * 3], r, g, b);
            const int shift = (perByte - 1 - x % perByte) * bitCount;
            row[x / perByte] = static_cast<uint8_t>(row[x / perByte] | index << shift);
        }
    }
    return true;
}

} // namespace fl
