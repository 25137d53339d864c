// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Icon.h"

#include <cstring>
#include <vector>

#include "platform/BmpCodec.h"

namespace fl {

namespace {

[[noreturn]] void InvalidIcon()
{
    throw EBitmapError("Icon image is not valid");
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value);
    Put16(out, value >> 16);
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = static_cast<uint8_t>(value >> (8 * i));
}

bool IsPNG(const uint8_t* data, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= 8 && std::memcmp(data, signature, 8) == 0;
}

constexpr uint32_t kRGB = 0;
constexpr uint32_t kBitFields = 3;

// One image of an icon file: a DIB whose height counts the colors and the
// AND mask together, then the color bits, then the mask bits, both bottom-up.
struct TIconImage {
    TBitmap Colors;
    TBitmap Mask;
    bool Alpha = false;
};

TIconImage ReadIconImage(const uint8_t* dib, size_t size)
{
    if (size < 40)
        InvalidIcon();
    const uint32_t headerSize = U32(dib);
    if ((headerSize != 40 && headerSize != 108 && headerSize != 124) || headerSize > size)
        InvalidIcon();
    const auto width = static_cast<int32_t>(U32(dib + 4));
    const auto doubledHeight = static_cast<int32_t>(U32(dib + 8));
    const int bitCount = U16(dib + 14);
    const uint32_t compression = U32(dib + 16);
    const uint32_t colorsUsed = U32(dib + 32);
    // Icons are always stored bottom-up; a negative height has no meaning here.
    if (width <= 0 || doubledHeight < 2)
        InvalidIcon();
    const int height = doubledHeight / 2;
    if (uint64_t(width) * uint64_t(height) > BitmapMemoryLimits.MaxPixels)
        throw EBitmapError("Bitmap is too large");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        InvalidIcon();
    if (compression != kRGB && !(compression == kBitFields && (bitCount == 16 || bitCount == 32)))
        InvalidIcon();

    const bool indexed = bitCount <= 8;
    const uint64_t maxEntries = uint64_t(1) << (indexed ? bitCount : 0);
    const uint64_t entries = indexed ? (colorsUsed ? colorsUsed : maxEntries) : colorsUsed;
    if (indexed && entries > maxEntries)
        InvalidIcon();
    const uint64_t colorTable = headerSize + (compression == kBitFields && headerSize == 40 ? 12 : 0);
    const uint64_t colorBits = colorTable + entries * 4;
    const uint64_t colorStride = PaddedRowBytes(size_t(width), bitCount);
    const uint64_t maskStart = colorBits + colorStride * uint64_t(height);
    const uint64_t maskStride = PaddedRowBytes(size_t(width), 1);
    const uint64_t maskUsed = (uint64_t(width) + 7) / 8;
    // The last mask row's padding may be missing, as in BMP files.
    if (maskStart + maskStride * uint64_t(height - 1) + maskUsed > size)
        InvalidIcon();

    // The color part is an ordinary DIB once its height is the image's.
    std::vector<uint8_t> colors(dib, dib + maskStart);
    Patch32(colors, 8, uint32_t(height));
    TIconImage image;
    try {
        image.Colors = ReadBMP(colors.data(), colors.size(), TBMPLayout::PackedDIB);
    } catch (const EBitmapError& error) {
        if (std::string(error.what()) == "Bitmap is too large")
            throw;
        InvalidIcon();
    }
    if (!IsIndexed(image.Colors.PixelFormat()) && image.Colors.PixelFormat() != TPixelFormat::pf24bit &&
        image.Colors.PixelFormat() != TPixelFormat::pf32bit)
        image.Colors.SetPixelFormat(TPixelFormat::pf24bit);

    image.Mask = TBitmap(width, height, TPixelFormat::pf1bit);
    image.Mask.SetPalette(MonochromePalette());
    const uint8_t tail = width % 8 ? static_cast<uint8_t>(0xFF00 >> (width % 8)) : 0xFF;
    bool anyMasked = false;
    for (int row = 0; row < height; ++row) {
        const uint8_t* source = dib + maskStart + maskStride * uint64_t(row);
        uint8_t* target = image.Mask.ScanLine(height - 1 - row);
        std::memcpy(target, source, size_t(maskUsed));
        // Bits past the last pixel are not part of the image.
        target[maskUsed - 1] &= tail;
        for (uint64_t i = 0; i < maskUsed && !anyMasked; ++i)
            anyMasked = target[i] != 0;
    }

    if (image.Colors.PixelFormat() == TPixelFormat::pf32bit) {
        // 32-bit images carry alpha in the fourth byte, unless it is zero
        // throughout (older writers leave it unset).
        for (int y = 0; y < height && !image.Alpha; ++y) {
            const uint8_t* row = image.Colors.ScanLine(y);
            for (int x = 0; x < width && !image.Alpha; ++x)
                image.Alpha = row[4 * size_t(x) + 3] != 0;
        }
        // Writers that rely on alpha alone leave the AND mask empty.
        if (image.Alpha && !anyMasked) {
            for (int y = 0; y < height; ++y) {
                const uint8_t* row = image.Colors.ScanLine(y);
                uint8_t* mask = image.Mask.ScanLine(y);
                for (int x = 0; x < width; ++x)
                    if (row[4 * size_t(x) + 3] < 128)
                        mask[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
        }
    }
    return image;
}

} // namespace

void TIcon::LoadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Remaining();
    std::vector<uint8_t> bytes(size_t(remaining > 0 ? remaining : 0));
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();

    if (size < 6 || U16(data) != 0 || U16(data + 2) != 1)
        InvalidIcon();
    const int count = U16(data + 4);
    if (count == 0 || 6 + 16 * size_t(count) > size)
        InvalidIcon();

    // The largest image wins: most pixels, then most bits per pixel. PNG
    // images cannot be read here, so they do not compete.
    int best = -1;
    uint64_t bestPixels = 0;
    int bestBits = 0;
    bool sawPNG = false;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = data + 6 + 16 * size_t(i);
        const uint32_t bytesInRes = U32(entry + 8);
        const uint32_t offset = U32(entry + 12);
        if (offset > size || bytesInRes == 0 || bytesInRes > size - offset)
            InvalidIcon();
        if (IsPNG(data + offset, bytesInRes)) {
            sawPNG = true;
            continue;
        }
        const uint64_t pixels = uint64_t(entry[0] ? entry[0] : 256) * uint64_t(entry[1] ? entry[1] : 256);
        int bits = U16(entry + 6);
        // Many writers leave the entry's bit count 0; the image header knows.
        if (bits == 0 && bytesInRes >= 16)
            bits = U16(data + offset + 14);
        if (best < 0 || pixels > bestPixels || (pixels == bestPixels && bits > bestBits)) {
            best = i;
            bestPixels = pixels;
            bestBits = bits;
        }
    }
    if (best < 0)
        throw EBitmapError(sawPNG ? "PNG-compressed icons are not supported" : "Icon image is not valid");

    const uint8_t* entry = data + 6 + 16 * size_t(best);
    TIconImage image = ReadIconImage(data + U32(entry + 12), U32(entry + 8));
    image_ = std::move(image.Colors);
    mask_ = std::move(image.Mask);
    alpha_ = image.Alpha;
    Changed();
}

void TIcon::SaveToStream(TStream& stream)
{
    if (Empty())
        throw EBitmapError("Icon is empty");
    TMemoryStream colors;
    WriteBMP(image_, colors, TBMPLayout::PackedDIB);
    std::vector<uint8_t> dib = colors.TakeBytes();

    const int width = image_.Width(), height = image_.Height();
    const size_t maskStride = PaddedRowBytes(size_t(width), 1);
    const size_t colorBytes = image_.RowBytes() * size_t(height);
    // The image header counts the colors and the mask as one image of twice
    // the height.
    Patch32(dib, 8, uint32_t(2 * height));
    Patch32(dib, 20, uint32_t(colorBytes + maskStride * size_t(height)));
    for (int row = height - 1; row >= 0; --row) {
        const uint8_t* source = mask_.ScanLine(row);
        dib.insert(dib.end(), source, source + mask_.RowBytes());
        dib.insert(dib.end(), maskStride - std::min(maskStride, mask_.RowBytes()), 0);
    }

    const int bits = image_.BitsPerPixel();
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // an icon, not a cursor
    Put16(out, 1);
    // Sizes from 256 up are written as 0; readers take them from the image header.
    out.push_back(static_cast<uint8_t>(width < 256 ? width : 0));
    out.push_back(static_cast<uint8_t>(height < 256 ? height : 0));
    out.push_back(static_cast<uint8_t>(bits < 8 ? 1 << bits : 0));
    out.push_back(0);
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, uint32_t(dib.size()));
    Put32(out, 6 + 16);
    out.insert(out.end(), dib.begin(), dib.end());
    stream.Write(out.data(), out.size());
}

void TIcon::SetImage(const TBitmap& image, const TBitmap* mask)
{
    TBitmap colors(image);
    colors.SetMask(nullptr);
    colors.Transparent = false;
    const TPixelFormat format = colors.PixelFormat();
    if (!IsIndexed(format) && format != TPixelFormat::pf24bit)
        colors.SetPixelFormat(TPixelFormat::pf24bit);

    // The bitmap's own mask rules turn any mask into 1 bit per pixel.
    TBitmap holder(image.Width(), image.Height(), TPixelFormat::pf1bit);
    if (mask)
        holder.SetMask(std::make_unique<TBitmap>(*mask));
    else
        holder.SetMask(std::make_unique<TBitmap>(image.Width(), image.Height(), TPixelFormat::pf1bit));

    image_ = std::move(colors);
    mask_ = *holder.Mask();
    alpha_ = false;
    Changed();
}

TBitmap TIcon::DrawOnBlack() const
{
    const int width = image_.Width(), height = image_.Height();
    TBitmap result(width, height, TPixelFormat::pf24bit);
    if (Empty())
        return result;
    const bool blend = alpha_ && image_.PixelFormat() == TPixelFormat::pf32bit;
    TBitmap colors(image_);
    if (!blend)
        colors.SetPixelFormat(TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = colors.ScanLine(y);
        const uint8_t* mask = mask_.ScanLine(y);
        uint8_t* target = result.ScanLine(y);
        for (int x = 0; x < width; ++x, target += 3) {
            if (mask[x >> 3] & (0x80 >> (x & 7)))
                continue;
            if (blend) {
                const uint8_t* pixel = source + 4 * size_t(x);
                for (int c = 0; c < 3; ++c)
                    target[c] = static_cast<uint8_t>((pixel[c] * pixel[3] + 127) / 255);
            } else {
                std::memcpy(target, source + 3 * size_t(x), 3);
            }
        }
    }
    return result;
}

} // namespace fl
