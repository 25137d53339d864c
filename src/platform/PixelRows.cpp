// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PixelRows.h"

#include <cstring>

namespace fl {

namespace {

// Widens a 5- or 6-bit channel to 8 bits so that full scale stays full scale.
inline uint8_t Widen5(unsigned v)
{
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}
inline uint8_t Widen6(unsigned v)
{
    return static_cast<uint8_t>((v << 2) | (v >> 4));
}

} // namespace

void MakeBGRTable(const TPalette* palette, TBGRTable& table)
{
    std::memset(table.Entries, 0, sizeof table.Entries);
    if (!palette)
        return;
    const size_t count = palette->Entries.size() < 256 ? palette->Entries.size() : 256;
    for (size_t i = 0; i < count; ++i) {
        const TPaletteEntry& e = palette->Entries[i];
        table.Entries[i][0] = e.blue;
        table.Entries[i][1] = e.green;
        table.Entries[i][2] = e.red;
    }
}

void RowToBGR24(TPixelFormat from, const uint8_t* source, uint8_t* target, int width, const TBGRTable& table)
{
    switch (from) {
    case TPixelFormat::pf1bit:
        for (int x = 0; x < width; ++x, target += 3)
            std::memcpy(target, table.Entries[(source[x >> 3] >> (7 - (x & 7))) & 1], 3);
        break;
    case TPixelFormat::pf4bit:
        for (int x = 0; x < width; ++x, target += 3)
            std::memcpy(target, table.Entries[(x & 1) ? source[x >> 1] & 0x0F : source[x >> 1] >> 4], 3);
        break;
    case TPixelFormat::pf8bit:
        for (int x = 0; x < width; ++x, target += 3)
            std::memcpy(target, table.Entries[source[x]], 3);
        break;
    case TPixelFormat::pf15bit:
        for (int x = 0; x < width; ++x, source += 2, target += 3) {
            const unsigned v = source[0] | (unsigned(source[1]) << 8);
            target[0] = Widen5(v & 0x1F);
            target[1] = Widen5((v >> 5) & 0x1F);
            target[2] = Widen5((v >> 10) & 0x1F);
        }
        break;
    case TPixelFormat::pf16bit:
        for (int x = 0; x < width; ++x, source += 2, target += 3) {
            const unsigned v = source[0] | (unsigned(source[1]) << 8);
            target[0] = Widen5(v & 0x1F);
            target[1] = Widen6((v >> 5) & 0x3F);
            target[2] = Widen5((v >> 11) & 0x1F);
        }
        break;
    case TPixelFormat::pf24bit:
        std::memmove(target, source, size_t(width) * 3);
        break;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
        for (int x = 0; x < width; ++x, source += 4, target += 3) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
        }
        break;
    case TPixelFormat::pfCustom:
        break;
    }
}

void RowFromBGR24(TPixelFormat to, const uint8_t* source, uint8_t* target, int width)
{
    switch (to) {
    case TPixelFormat::pf15bit:
        for (int x = 0; x < width; ++x, source += 3, target += 2) {
            const unsigned v = (source[0] >> 3) | ((source[1] >> 3) << 5) | ((source[2] >> 3) << 10);
            target[0] = static_cast<uint8_t>(v);
            target[1] = static_cast<uint8_t>(v >> 8);
        }
        break;
    case TPixelFormat::pf16bit:
        for (int x = 0; x < width; ++x, source += 3, target += 2) {
            const unsigned v = (source[0] >> 3) | ((source[1] >> 2) << 5) | ((source[2] >> 3) << 11);
            target[0] = static_cast<uint8_t>(v);
            target[1] = static_cast<uint8_t>(v >> 8);
        }
        break;
    case TPixelFormat::pf24bit:
        std::memmove(target, source, size_t(width) * 3);
        break;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
        for (int x = 0; x < width; ++x, source += 3, target += 4) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
            target[3] = 0;
        }
        break;
    default:
        break;
    }
}

void RowToIndices(TPixelFormat from, const uint8_t* source, uint8_t* target, int width)
{
    switch (from) {
    case TPixelFormat::pf1bit:
        for (int x = 0; x < width; ++x)
            target[x] = (source[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    case TPixelFormat::pf4bit:
        for (int x = 0; x < width; ++x)
            target[x] = (x & 1) ? source[x >> 1] & 0x0F : source[x >> 1] >> 4;
        break;
    case TPixelFormat::pf8bit:
        std::memmove(target, source, size_t(width));
        break;
    default:
        break;
    }
}

void RowFromIndices(TPixelFormat to, const uint8_t* source, uint8_t* target, int width)
{
    switch (to) {
    case TPixelFormat::pf1bit:
        std::memset(target, 0, (size_t(width) + 7) / 8);
        for (int x = 0; x < width; ++x)
            target[x >> 3] |= static_cast<uint8_t>((source[x] & 1) << (7 - (x & 7)));
        break;
    case TPixelFormat::pf4bit:
        std::memset(target, 0, (size_t(width) + 1) / 2);
        for (int x = 0; x < width; ++x)
            target[x >> 1] |= static_cast<uint8_t>((source[x] & 0x0F) << ((x & 1) ? 0 : 4));
        break;
    case TPixelFormat::pf8bit:
        std::memmove(target, source, size_t(width));
        break;
    default:
        break;
    }
}

} // namespace fl
