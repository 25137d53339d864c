// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/FixedPalettes.h"

#include <array>
#include <initializer_list>

namespace fl {

namespace {

constexpr std::array<TPaletteEntry, 20> kSystemColors = {{
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
}};

TPaletteHandle MakeGrays(std::initializer_list<uint8_t> levels)
{
    auto palette = std::make_shared<TPalette>();
    palette->Entries.reserve(levels.size());
    for (uint8_t level : levels)
        palette->Entries.push_back({level, level, level, PC_NOCOLLAPSE});
    return palette;
}

} // namespace

TPaletteHandle MakeWebSafePalette()
{
    auto palette = std::make_shared<TPalette>();
    palette->Entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette->Entries.push_back({uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0});
    return palette;
}

TPaletteHandle MakeGray256Palette()
{
    auto palette = std::make_shared<TPalette>();
    palette->Entries.reserve(256);
    for (int i = 0; i < 256; ++i)
        palette->Entries.push_back({uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE});
    return palette;
}

TPaletteHandle MakeGray4Palette()
{
    return MakeGrays({0x00, 0x80, 0xC0, 0xFF});
}

TPaletteHandle MakeMonochromePalette()
{
    return MakeGrays({0x00, 0xFF});
}

const TPaletteHandle& StockDefaultPalette()
{
    static const TPaletteHandle stock =
        std::make_shared<const TPalette>(TPalette{{kSystemColors.begin(), kSystemColors.end()}});
    return stock;
}

TPaletteHandle MakeHalftonePalette()
{
    auto palette = std::make_shared<TPalette>();
    auto& entries = palette->Entries;
    entries.reserve(256);
    entries.insert(entries.end(), kSystemColors.begin(), kSystemColors.begin() + 10);
    const TPaletteHandle cube = MakeWebSafePalette();
    entries.insert(entries.end(), cube->Entries.begin(), cube->Entries.end());
    for (int i = 1; i <= 20; ++i) {
        const auto level = uint8_t((255 * i + 10) / 21);
        entries.push_back({level, level, level, 0});
    }
    entries.insert(entries.end(), kSystemColors.begin() + 10, kSystemColors.end());
    return palette;
}

} // namespace fl
