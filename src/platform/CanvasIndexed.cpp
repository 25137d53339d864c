// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing rows of color indices: the player's inner loop, so it is kept
// free of branches that depend on the pixels.
#include <algorithm>
#include <cstring>

#include "platform/Canvas.h"

namespace fl {

namespace {

// A target pixel: bytes blue, green, red, unused in memory.
uint32_t PixelOf(const TPaletteEntry& entry)
{
    const uint8_t bytes[4] = {entry.blue, entry.green, entry.red, 0};
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// Target pixels go through memcpy, which compiles to single moves and keeps
// the byte rows free of aliasing questions.
inline uint32_t Load(const uint8_t* target, int i)
{
    uint32_t value;
    std::memcpy(&value, target + size_t(i) * 4, 4);
    return value;
}

inline void Store(uint8_t* target, int i, uint32_t value)
{
    std::memcpy(target + size_t(i) * 4, &value, 4);
}

void OpaqueRow(const uint8_t* source, uint8_t* target, int count, const uint32_t* table)
{
    for (int i = 0; i < count; ++i)
        Store(target, i, table[source[i]]);
}

// Pixels equal to skip keep the target. Eight skipped pixels in a row (a
// transparent area) are passed over with one compare; elsewhere each pixel
// picks the old or the new value with a mask instead of a branch.
void SkippingRow(const uint8_t* source, uint8_t* target, int count, const uint32_t* table, uint8_t skip)
{
    const uint64_t skipped = 0x0101010101010101ull * skip;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t eight;
        std::memcpy(&eight, source + i, 8);
        if (eight == skipped)
            continue;
        for (int k = 0; k < 8; ++k) {
            const uint8_t index = source[i + k];
            const uint32_t keep = 0u - uint32_t(index == skip);
            Store(target, i + k, (Load(target, i + k) & keep) | (table[index] & ~keep));
        }
    }
    for (; i < count; ++i)
        if (source[i] != skip)
            Store(target, i, table[source[i]]);
}

} // namespace

void TCanvas::DrawIndexed(int x, int y, const uint8_t* pixels, int width, int height, size_t stride,
                          const TPalette* palette, int skipIndex)
{
    // Clipped to the target in 64 bits, so no position can overflow.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, target_.Width());
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, target_.Height());
    if (!pixels || left >= right || top >= bottom)
        return;

    uint32_t table[256] = {};
    if (palette) {
        const size_t count = std::min<size_t>(palette->Entries.size(), 256);
        for (size_t i = 0; i < count; ++i)
            table[i] = PixelOf(palette->Entries[i]);
    }
    const int count = int(right - left);
    for (int64_t row = top; row < bottom; ++row) {
        const uint8_t* source = pixels + size_t(row - y) * stride + size_t(left - x);
        uint8_t* target = target_.ScanLine(int(row)) + size_t(left) * 4;
        if (skipIndex >= 0 && skipIndex <= 255)
            SkippingRow(source, target, count, table, uint8_t(skipIndex));
        else
            OpaqueRow(source, target, count, table);
    }
}

} // namespace fl
