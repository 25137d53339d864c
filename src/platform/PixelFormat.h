// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace fl {

// Pixel formats of bitmaps, numbered by the platform's codes (stored values).
enum class TPixelFormat : uint8_t {
    pfDevice = 0, // device-dependent; on our platform stored as 32 bits, blue, green, red, unused
    pf1bit = 1,
    pf4bit = 2,
    pf8bit = 3,
    pf15bit = 4, // 16-bit words, 5-5-5, red in the high bits
    pf16bit = 5, // 16-bit words, 5-6-5
    pf24bit = 6, // blue, green, red
    pf32bit = 7, // blue, green, red, unused
    pfCustom = 8 // no layout of its own; bitmaps are never left in it
};

// Bits one pixel occupies in a row; 0 for pfCustom.
constexpr int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit:
        return 1;
    case TPixelFormat::pf4bit:
        return 4;
    case TPixelFormat::pf8bit:
        return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        return 16;
    case TPixelFormat::pf24bit:
        return 24;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
        return 32;
    case TPixelFormat::pfCustom:
        return 0;
    }
    return 0;
}

constexpr bool IsIndexed(TPixelFormat format)
{
    return format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit;
}

// Bytes of one row padded to a multiple of 4, as in a device-independent bitmap.
constexpr size_t PaddedRowBytes(size_t width, int bitsPerPixel)
{
    return (width * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
}

} // namespace fl
