// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BmpCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace fl {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid";

enum : uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_JPEG = 4,
    BI_PNG = 5,
    BI_ALPHABITFIELDS = 6
};

[[noreturn]] void Invalid()
{
    throw EBitmapError(kInvalid);
}

// Bounds-checked little-endian reads from the whole input.
struct TBytes {
    const uint8_t* data;
    size_t size;

    bool Has(size_t at, size_t count) const { return at <= size && size - at >= count; }
    uint16_t U16(size_t at) const
    {
        if (!Has(at, 2))
            Invalid();
        return static_cast<uint16_t>(data[at] | data[at + 1] << 8);
    }
    uint32_t U32(size_t at) const
    {
        if (!Has(at, 4))
            Invalid();
        return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
               uint32_t(data[at + 3]) << 24;
    }
};

// One channel of a bit-field mask, scaled to 8 bits.
struct TChannel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;
    uint8_t small[256] = {}; // widths below 8 bits go through this table

    void Setup(uint32_t m, int bitsPerPixel)
    {
        if (m == 0)
            Invalid();
        if (bitsPerPixel == 16 && m > 0xFFFF)
            Invalid();
        mask = m;
        while (!((m >> shift) & 1))
            ++shift;
        const uint32_t run = m >> shift;
        while (width < 32 && ((run >> width) & 1))
            ++width;
        if (width < 32 && (run >> width) != 0)
            Invalid(); // not contiguous
        if (width < 8) {
            const uint32_t max = (1u << width) - 1;
            for (uint32_t v = 0; v <= max; ++v)
                small[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
        }
    }
    uint8_t operator()(uint32_t pixel) const
    {
        const uint32_t v = (pixel & mask) >> shift;
        return width < 8 ? small[v] : static_cast<uint8_t>(v >> (width - 8));
    }
};

struct THeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    size_t entrySize = 4;
    uint32_t masks[3] = {0, 0, 0};
};

void ReadRLE(const TBytes& in, size_t pos, TBitmap& bitmap, bool eightBit)
{
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    int x = 0;
    int y = 0; // counted from the bottom row, as the stream runs
    // Runs that overhang the row are clipped, not refused: writers in use pad
    // odd rows to an even pixel count that way.
    const auto put = [&](uint8_t* row, int at, unsigned value) {
        if (eightBit)
            row[at] = static_cast<uint8_t>(value);
        else
            row[at >> 1] |= static_cast<uint8_t>((at & 1) ? value & 0x0F : value << 4);
    };
    for (;;) {
        if (!in.Has(pos, 2)) {
            if (y >= height)
                return; // every row ended; the end-of-bitmap escape is only missing
            Invalid();
        }
        const unsigned count = in.data[pos];
        const unsigned value = in.data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (y >= height)
                Invalid();
            uint8_t* row = bitmap.ScanLine(height - 1 - y);
            const unsigned fit = std::min(count, unsigned(width - x));
            for (unsigned i = 0; i < fit; ++i)
                put(row, x + int(i), eightBit ? value : (i & 1) ? value & 0x0F : value >> 4);
            x += int(fit);
            continue;
        }
        switch (value) {
        case 0: // end of line
            if (y >= height)
                Invalid();
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: { // delta
            if (!in.Has(pos, 2))
                Invalid();
            const int dx = in.data[pos];
            const int dy = in.data[pos + 1];
            pos += 2;
            x += dx;
            y += dy;
            if (x > width || y > height || (y == height && x > 0))
                Invalid();
            break;
        }
        default: { // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = eightBit ? value : (value + 1) / 2;
            if (!in.Has(pos, bytes) || y >= height)
                Invalid();
            uint8_t* row = bitmap.ScanLine(height - 1 - y);
            const uint8_t* src = in.data + pos;
            const unsigned fit = std::min(value, unsigned(width - x));
            for (unsigned i = 0; i < fit; ++i)
                put(row, x + int(i), eightBit ? src[i] : (i & 1) ? src[i / 2] & 0x0F : src[i / 2] >> 4);
            x += int(fit);
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
}

} // namespace

TBitmap ReadBMP(const uint8_t* data, size_t size, TBMPLayout layout)
{
    const TBytes in{data, data ? size : 0};
    size_t dibStart = 0;
    uint32_t bitsOffset = 0;
    if (layout == TBMPLayout::File) {
        if (!in.Has(0, 14) || data[0] != 'B' || data[1] != 'M')
            Invalid();
        bitsOffset = in.U32(10);
        dibStart = 14;
    }

    THeader h;
    const uint32_t headerSize = in.U32(dibStart);
    if (!in.Has(dibStart, headerSize))
        Invalid();
    if (headerSize == 12) {
        h.width = in.U16(dibStart + 4);
        h.height = in.U16(dibStart + 6);
        h.bitCount = in.U16(dibStart + 10);
        h.entrySize = 3;
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24)
            Invalid();
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
        const int32_t width = static_cast<int32_t>(in.U32(dibStart + 4));
        const int32_t height = static_cast<int32_t>(in.U32(dibStart + 8));
        if (height == INT32_MIN)
            Invalid();
        h.width = width;
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        h.bitCount = in.U16(dibStart + 14);
        h.compression = in.U32(dibStart + 16);
        h.colorsUsed = in.U32(dibStart + 32);
    } else {
        Invalid();
    }
    if (h.width <= 0 || h.height <= 0)
        Invalid();
    if (uint64_t(h.width) * uint64_t(h.height) > BitmapMemoryLimits.MaxPixels)
        throw EBitmapError("Bitmap is too large");

    size_t paletteStart = dibStart + headerSize;
    switch (h.compression) {
    case BI_RGB:
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
            h.bitCount != 32)
            Invalid();
        break;
    case BI_RLE8:
    case BI_RLE4:
        // A top-down RLE image has no defined meaning.
        if (h.bitCount != (h.compression == BI_RLE8 ? 8 : 4) || h.topDown)
            Invalid();
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (h.bitCount != 16 && h.bitCount != 32)
            Invalid();
        if (headerSize == 40) {
            // The masks follow a 40-byte header, before the color table.
            for (int i = 0; i < 3; ++i)
                h.masks[i] = in.U32(paletteStart + 4 * size_t(i));
            paletteStart += h.compression == BI_ALPHABITFIELDS ? 16 : 12;
        } else {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = in.U32(dibStart + 40 + 4 * size_t(i));
        }
        break;
    case BI_JPEG:
    case BI_PNG:
        throw EBitmapError("Unsupported bitmap format");
    default:
        Invalid();
    }
    if (!in.Has(paletteStart, 0))
        Invalid();

    // The color table: as many entries as declared, or as fit before the
    // bits when the file says where they start.
    const bool indexed = h.bitCount <= 8;
    const uint64_t maxEntries = indexed ? uint64_t(1) << h.bitCount : 0;
    uint64_t entries = indexed ? (h.colorsUsed ? h.colorsUsed : maxEntries) : h.colorsUsed;
    if (indexed && entries > maxEntries)
        Invalid();
    size_t bitsStart = 0;
    if (layout == TBMPLayout::File) {
        if (bitsOffset < paletteStart || bitsOffset > size)
            Invalid();
        bitsStart = bitsOffset;
        if (indexed) {
            const uint64_t room = (bitsOffset - paletteStart) / h.entrySize;
            if (room < entries)
                entries = room;
            if (entries == 0)
                Invalid();
        }
    } else {
        if (entries > (size - paletteStart) / h.entrySize)
            Invalid(); // a color table longer than the data
        bitsStart = paletteStart + size_t(entries) * h.entrySize;
        if (indexed && entries == 0)
            Invalid();
    }

    TPixelFormat format = TPixelFormat::pf24bit;
    bool generic = false; // masks with no format of our own: decoded to 24 bits
    switch (h.bitCount) {
    case 1:
        format = TPixelFormat::pf1bit;
        break;
    case 4:
        format = TPixelFormat::pf4bit;
        break;
    case 8:
        format = TPixelFormat::pf8bit;
        break;
    case 16:
        if (h.compression == BI_RGB || (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F))
            format = TPixelFormat::pf15bit;
        else if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F)
            format = TPixelFormat::pf16bit;
        else
            generic = true;
        break;
    case 24:
        format = TPixelFormat::pf24bit;
        break;
    case 32:
        if (h.compression == BI_RGB ||
            (h.masks[0] == 0xFF0000 && h.masks[1] == 0x00FF00 && h.masks[2] == 0x0000FF))
            format = TPixelFormat::pf32bit;
        else
            generic = true;
        break;
    }
    TChannel channels[3];
    if (generic)
        for (int i = 0; i < 3; ++i)
            channels[i].Setup(h.masks[i], h.bitCount);

    TBitmap bitmap(h.width, h.height, format);
    if (indexed) {
        auto palette = std::make_shared<TPalette>();
        palette->Entries.resize(size_t(entries));
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + paletteStart + i * h.entrySize;
            palette->Entries[i] = TPaletteEntry{e[2], e[1], e[0], 0};
        }
        bitmap.SetPalette(std::move(palette));
    }

    if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
        ReadRLE(in, bitsStart, bitmap, h.compression == BI_RLE8);
        return bitmap;
    }

    const size_t stride = PaddedRowBytes(size_t(h.width), h.bitCount);
    const size_t used = (size_t(h.width) * size_t(h.bitCount) + 7) / 8;
    // The last row's padding may be missing; anything shorter is truncated.
    if (!in.Has(bitsStart, stride * size_t(h.height - 1) + used))
        Invalid();
    for (int row = 0; row < h.height; ++row) {
        const uint8_t* src = data + bitsStart + stride * size_t(row);
        uint8_t* out = bitmap.ScanLine(h.topDown ? row : h.height - 1 - row);
        if (!generic) {
            std::memcpy(out, src, used);
        } else if (h.bitCount == 16) {
            for (int x = 0; x < h.width; ++x, src += 2, out += 3) {
                const uint32_t p = src[0] | uint32_t(src[1]) << 8;
                out[0] = channels[2](p);
                out[1] = channels[1](p);
                out[2] = channels[0](p);
            }
        } else {
            for (int x = 0; x < h.width; ++x, src += 4, out += 3) {
                const uint32_t p =
                    src[0] | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16 | uint32_t(src[3]) << 24;
                out[0] = channels[2](p);
                out[1] = channels[1](p);
                out[2] = channels[0](p);
            }
        }
    }
    return bitmap;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

void WriteBMP(const TBitmap& bitmap, TStream& stream, TBMPLayout layout)
{
    if (bitmap.Empty())
        throw EBitmapError("Bitmap is empty");
    const TPixelFormat format = bitmap.PixelFormat();
    const int bits = bitmap.BitsPerPixel();
    if (bits == 0)
        throw EBitmapError("Unsupported PixelFormat");
    const bool indexed = IsIndexed(format);
    const bool fields = format == TPixelFormat::pf16bit;

    std::vector<TPaletteEntry> colors;
    if (indexed) {
        const size_t max = size_t(1) << bits;
        if (bitmap.Palette() && !bitmap.Palette()->Entries.empty()) {
            colors = bitmap.Palette()->Entries;
            if (colors.size() > max)
                colors.resize(max);
        } else {
            for (size_t i = 0; i < max; ++i) {
                const auto level = static_cast<uint8_t>(i * 255 / (max - 1));
                colors.push_back({level, level, level, 0});
            }
        }
    }

    const size_t stride = bitmap.RowBytes();
    const size_t imageSize = stride * size_t(bitmap.Height());
    const size_t headerBytes = 40 + (fields ? 12 : 0) + colors.size() * 4;
    const size_t fileHeader = layout == TBMPLayout::File ? 14 : 0;
    std::vector<uint8_t> out;
    out.reserve(fileHeader + headerBytes + imageSize);
    if (layout == TBMPLayout::File) {
        out.push_back('B');
        out.push_back('M');
        Put32(out, static_cast<uint32_t>(fileHeader + headerBytes + imageSize));
        Put32(out, 0);
        Put32(out, static_cast<uint32_t>(fileHeader + headerBytes));
    }
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(bitmap.Width()));
    Put32(out, static_cast<uint32_t>(bitmap.Height()));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, fields ? BI_BITFIELDS : BI_RGB);
    Put32(out, static_cast<uint32_t>(imageSize));
    Put32(out, 2835); // 72 dots per inch
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(colors.size()));
    Put32(out, 0);
    if (fields) {
        Put32(out, 0xF800);
        Put32(out, 0x07E0);
        Put32(out, 0x001F);
    }
    for (const TPaletteEntry& e : colors) {
        out.push_back(e.blue);
        out.push_back(e.green);
        out.push_back(e.red);
        out.push_back(0);
    }
    // Bottom row first; the padding is written as zeros whatever the rows hold.
    const size_t used = (size_t(bitmap.Width()) * size_t(bits) + 7) / 8;
    for (int row = bitmap.Height() - 1; row >= 0; --row) {
        const uint8_t* src = bitmap.ScanLine(row);
        out.insert(out.end(), src, src + used);
        out.insert(out.end(), stride - used, 0);
    }
    stream.Write(out.data(), out.size());
}

} // namespace fl
