// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/BmpCodec.h"
#include "platform/PixelRows.h"

namespace fl {

TBitmapLimits BitmapMemoryLimits;

TPaletteHandle MonochromePalette()
{
    static const TPaletteHandle palette = std::make_shared<const TPalette>(
        TPalette{{TPaletteEntry{0, 0, 0, 0}, TPaletteEntry{255, 255, 255, 0}}});
    return palette;
}

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    Allocate(width, height, format);
}

TBitmap::TBitmap(const TBitmap& other)
    : TGraphic(), Transparent(other.Transparent), width_(other.width_), height_(other.height_),
      format_(other.format_), rowBytes_(other.rowBytes_), pixels_(other.pixels_), palette_(other.palette_),
      mask_(other.mask_ ? std::make_unique<TBitmap>(*other.mask_) : nullptr)
{
}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    if (this != &other) {
        TBitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept
    : TGraphic(), Transparent(other.Transparent), width_(other.width_), height_(other.height_),
      format_(other.format_), rowBytes_(other.rowBytes_), pixels_(std::move(other.pixels_)),
      palette_(std::move(other.palette_)), mask_(std::move(other.mask_))
{
    other.width_ = other.height_ = 0;
    other.rowBytes_ = 0;
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
    if (this != &other) {
        Transparent = other.Transparent;
        width_ = other.width_;
        height_ = other.height_;
        format_ = other.format_;
        rowBytes_ = other.rowBytes_;
        pixels_ = std::move(other.pixels_);
        palette_ = std::move(other.palette_);
        mask_ = std::move(other.mask_);
        other.width_ = other.height_ = 0;
        other.rowBytes_ = 0;
        other.pixels_.clear();
    }
    return *this;
}

void TBitmap::Allocate(int width, int height, TPixelFormat format)
{
    if (width < 0 || height < 0)
        throw EBitmapError("Invalid image dimensions");
    if (format == TPixelFormat::pfCustom)
        throw EBitmapError("Unsupported PixelFormat");
    if (uint64_t(width) * uint64_t(height) > BitmapMemoryLimits.MaxPixels)
        throw EBitmapError("Bitmap is too large");
    const size_t rowBytes = PaddedRowBytes(size_t(width), fl::BitsPerPixel(format));
    std::vector<uint8_t> pixels(rowBytes * size_t(height));
    width_ = width;
    height_ = height;
    format_ = format;
    rowBytes_ = rowBytes;
    pixels_ = std::move(pixels);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    TBitmap old(std::move(*this));
    try {
        Allocate(width, height, old.format_);
    } catch (...) {
        *this = std::move(old);
        throw;
    }
    palette_ = old.palette_;
    Transparent = old.Transparent;
    // Whole bytes of the overlap; for packed formats the bits past the old
    // width may come along, and they read as pixels of the old row's padding.
    const size_t bytes = std::min(rowBytes_, old.rowBytes_);
    const int rows = std::min(height_, old.height_);
    for (int y = 0; y < rows; ++y)
        std::memcpy(ScanLine(y), old.ScanLine(y), bytes);
    Changed();
}

uint8_t* TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= height_)
        throw EBitmapError("Scan line index out of range");
    return pixels_.data() + size_t(row) * rowBytes_;
}

const uint8_t* TBitmap::ScanLine(int row) const
{
    if (row < 0 || row >= height_)
        throw EBitmapError("Scan line index out of range");
    return pixels_.data() + size_t(row) * rowBytes_;
}

uint32_t TBitmap::PixelColor(int x, int y) const
{
    if (x < 0 || x >= width_)
        throw EBitmapError("Pixel index out of range");
    const uint8_t* row = ScanLine(y);
    TBGRTable table;
    MakeBGRTable(IsIndexed(format_) ? palette_.get() : nullptr, table);
    uint8_t bgr[3];
    const int bits = BitsPerPixel();
    // Converting a one-pixel row that starts at the pixel's byte; packed
    // formats need the pixel's offset within its byte.
    if (bits < 8) {
        uint8_t indices[8];
        const int perByte = 8 / bits;
        RowToIndices(format_, row + x / perByte, indices, perByte);
        std::memcpy(bgr, table.Entries[indices[x % perByte]], 3);
    } else {
        RowToBGR24(format_, row + size_t(x) * size_t(bits / 8), bgr, 1, table);
    }
    return uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == format_)
        return;
    if (format == TPixelFormat::pfCustom)
        throw EBitmapError("Unsupported PixelFormat");
    if (Empty()) {
        Allocate(width_, height_, format);
        Changed();
        return;
    }
    const TPixelFormat from = format_;
    const bool toIndexed = IsIndexed(format);
    if (toIndexed) {
        if (!IsIndexed(from))
            throw EBitmapError("Unsupported PixelFormat");
        // Narrowing an indexed bitmap works only when no index is lost.
        const unsigned limit = 1u << fl::BitsPerPixel(format);
        std::vector<uint8_t> indices(static_cast<size_t>(width_));
        for (int y = 0; y < height_; ++y) {
            RowToIndices(from, ScanLine(y), indices.data(), width_);
            for (uint8_t i : indices)
                if (i >= limit)
                    throw EBitmapError("Unsupported PixelFormat");
        }
    }

    TBitmap target(width_, height_, format);
    std::vector<uint8_t> buffer(static_cast<size_t>(width_) * 3);
    if (toIndexed) {
        for (int y = 0; y < height_; ++y) {
            RowToIndices(from, ScanLine(y), buffer.data(), width_);
            RowFromIndices(format, buffer.data(), target.ScanLine(y), width_);
        }
        if (palette_ && palette_->Entries.size() > (size_t(1) << fl::BitsPerPixel(format))) {
            auto shorter = std::make_shared<TPalette>(*palette_);
            shorter->Entries.resize(size_t(1) << fl::BitsPerPixel(format));
            target.palette_ = std::move(shorter);
        } else {
            target.palette_ = palette_;
        }
    } else {
        TBGRTable table;
        MakeBGRTable(IsIndexed(from) ? palette_.get() : nullptr, table);
        for (int y = 0; y < height_; ++y) {
            uint8_t* out = target.ScanLine(y);
            if (format == TPixelFormat::pf24bit) {
                RowToBGR24(from, ScanLine(y), out, width_, table);
            } else {
                RowToBGR24(from, ScanLine(y), buffer.data(), width_, table);
                RowFromBGR24(format, buffer.data(), out, width_);
            }
        }
        // A direct-color bitmap keeps no palette of its own.
    }
    width_ = target.width_;
    format_ = target.format_;
    rowBytes_ = target.rowBytes_;
    pixels_ = std::move(target.pixels_);
    palette_ = std::move(target.palette_);
    Changed();
}

void TBitmap::SetMask(std::unique_ptr<TBitmap> mask)
{
    if (mask) {
        if (mask->width_ != width_ || mask->height_ != height_)
            throw EBitmapError("Mask size does not match the bitmap");
        if (mask->format_ != TPixelFormat::pf1bit) {
            // Any non-black pixel counts as transparent.
            TBitmap bits(width_, height_, TPixelFormat::pf1bit);
            TBGRTable table;
            MakeBGRTable(IsIndexed(mask->format_) ? mask->palette_.get() : nullptr, table);
            std::vector<uint8_t> bgr(static_cast<size_t>(width_) * 3);
            for (int y = 0; y < height_; ++y) {
                RowToBGR24(mask->format_, mask->ScanLine(y), bgr.data(), width_, table);
                uint8_t* out = bits.ScanLine(y);
                for (int x = 0; x < width_; ++x)
                    if (bgr[3 * size_t(x)] | bgr[3 * size_t(x) + 1] | bgr[3 * size_t(x) + 2])
                        out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
            *mask = std::move(bits);
        }
        mask->palette_ = MonochromePalette();
    }
    mask_ = std::move(mask);
}

std::unique_ptr<TBitmap> TBitmap::MakeMonochrome(int width, int height, const uint8_t* rows,
                                                 size_t sourceRowBytes)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, TPixelFormat::pf1bit);
    bitmap->palette_ = MonochromePalette();
    const size_t bytes = std::min(bitmap->rowBytes_, sourceRowBytes);
    for (int y = 0; y < height; ++y)
        std::memcpy(bitmap->ScanLine(y), rows + size_t(y) * sourceRowBytes, bytes);
    return bitmap;
}

void TBitmap::LoadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Remaining();
    std::vector<uint8_t> bytes(size_t(remaining > 0 ? remaining : 0));
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    TBitmap loaded = ReadBMP(bytes.data(), bytes.size(), TBMPLayout::File);
    *this = std::move(loaded);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream)
{
    WriteBMP(*this, stream, TBMPLayout::File);
}

void TBitmap::LoadFromDIB(const uint8_t* data, size_t size)
{
    TBitmap loaded = ReadBMP(data, size, TBMPLayout::PackedDIB);
    *this = std::move(loaded);
    Changed();
}

void TBitmap::SaveToDIB(TStream& stream) const
{
    WriteBMP(*this, stream, TBMPLayout::PackedDIB);
}

} // namespace fl
