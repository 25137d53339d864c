// SPDX-License-Identifier: GPL-3.0-or-later
// Builds BMP files byte by byte, so that tests can state exactly the headers,
// masks, color tables and pixel streams a writer elsewhere might produce.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fl::test {

struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1; // negative: top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40; // 12, 40, 52, 56, 108 or 124
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;                // after a 40-byte header, or inside larger ones
    std::vector<std::array<uint8_t, 3>> colors; // red, green, blue
    std::vector<uint8_t> bits;
    bool fileHeader = true;
};

inline void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline std::vector<uint8_t> MakeBMP(const BmpSpec& s)
{
    std::vector<uint8_t> dib;
    Put(dib, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(dib, uint32_t(s.width), 2);
        Put(dib, uint32_t(s.height), 2);
        Put(dib, 1, 2);
        Put(dib, s.bitCount, 2);
    } else {
        Put(dib, uint32_t(s.width), 4);
        Put(dib, uint32_t(s.height), 4);
        Put(dib, 1, 2);
        Put(dib, s.bitCount, 2);
        Put(dib, s.compression, 4);
        Put(dib, uint32_t(s.bits.size()), 4);
        Put(dib, 2835, 4);
        Put(dib, 2835, 4);
        Put(dib, s.colorsUsed, 4);
        Put(dib, 0, 4);
        if (s.headerSize > 40) {
            for (size_t i = 0; i < 4; ++i)
                Put(dib, i < s.masks.size() ? s.masks[i] : 0, 4);
            dib.resize(s.headerSize, 0);
        } else {
            for (uint32_t m : s.masks)
                Put(dib, m, 4);
        }
    }
    for (const auto& c : s.colors) {
        dib.push_back(c[2]);
        dib.push_back(c[1]);
        dib.push_back(c[0]);
        if (s.headerSize != 12)
            dib.push_back(0);
    }
    if (!s.fileHeader) {
        dib.insert(dib.end(), s.bits.begin(), s.bits.end());
        return dib;
    }
    std::vector<uint8_t> file{'B', 'M'};
    Put(file, uint32_t(14 + dib.size() + s.bits.size()), 4);
    Put(file, 0, 4);
    Put(file, uint32_t(14 + dib.size()), 4);
    file.insert(file.end(), dib.begin(), dib.end());
    file.insert(file.end(), s.bits.begin(), s.bits.end());
    return file;
}

} // namespace fl::test
