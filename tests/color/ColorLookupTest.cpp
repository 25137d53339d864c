// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorLookup.h"
#include "color/FixedPalettes.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace fl {
namespace {

struct TMapped {
    int Index;
    int R, G, B;
    friend bool operator==(const TMapped&, const TMapped&) = default;
};

TMapped Map(TColorLookup& lookup, int r, int g, int b)
{
    uint8_t outR = 1, outG = 2, outB = 3;
    const int index = lookup.MapColor(uint8_t(r), uint8_t(g), uint8_t(b), outR, outG, outB);
    return {index, outR, outG, outB};
}

TPaletteHandle PaletteOf(std::initializer_list<TPaletteEntry> entries)
{
    return std::make_shared<TPalette>(TPalette{entries});
}

// ---- fixed palettes ------------------------------------------------------

TEST(FixedPalettesTest, GrayAndMonochromePalettesHoldTheirLevelsFlaggedNoCollapse)
{
    const auto gray256 = MakeGray256Palette();
    ASSERT_EQ(gray256->Entries.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(gray256->Entries[i], (TPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE}));

    const auto gray4 = MakeGray4Palette();
    EXPECT_EQ(*gray4, (TPalette{{{0x00, 0x00, 0x00, PC_NOCOLLAPSE},
                                 {0x80, 0x80, 0x80, PC_NOCOLLAPSE},
                                 {0xC0, 0xC0, 0xC0, PC_NOCOLLAPSE},
                                 {0xFF, 0xFF, 0xFF, PC_NOCOLLAPSE}}}));

    const auto mono = MakeMonochromePalette();
    EXPECT_EQ(*mono, (TPalette{{{0, 0, 0, PC_NOCOLLAPSE}, {255, 255, 255, PC_NOCOLLAPSE}}}));
}

TEST(FixedPalettesTest, WebSafeCubeVariesRedSlowestWithoutFlags)
{
    const auto cube = MakeWebSafePalette();
    ASSERT_EQ(cube->Entries.size(), 216u);
    EXPECT_EQ(cube->Entries[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(cube->Entries[1], (TPaletteEntry{0, 0, 51, 0}));
    EXPECT_EQ(cube->Entries[6], (TPaletteEntry{0, 51, 0, 0}));
    EXPECT_EQ(cube->Entries[36], (TPaletteEntry{51, 0, 0, 0}));
    EXPECT_EQ(cube->Entries[215], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(FixedPalettesTest, StockPaletteIsTheClassicTwentyColorsSharedByEveryCaller)
{
    const auto& stock = StockDefaultPalette();
    ASSERT_EQ(stock->Entries.size(), 20u);
    EXPECT_EQ(stock.get(), StockDefaultPalette().get());
    EXPECT_EQ(stock->Entries[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(stock->Entries[7], (TPaletteEntry{0xC0, 0xC0, 0xC0, 0}));
    EXPECT_EQ(stock->Entries[8], (TPaletteEntry{0xC0, 0xDC, 0xC0, 0}));
    EXPECT_EQ(stock->Entries[9], (TPaletteEntry{0xA6, 0xCA, 0xF0, 0}));
    EXPECT_EQ(stock->Entries[10], (TPaletteEntry{0xFF, 0xFB, 0xF0, 0}));
    EXPECT_EQ(stock->Entries[11], (TPaletteEntry{0xA0, 0xA0, 0xA4, 0}));
    EXPECT_EQ(stock->Entries[19], (TPaletteEntry{0xFF, 0xFF, 0xFF, 0}));
    // The 16 VGA colors: every combination of 0/0x80 and 0/0xFF channels (plus silver).
    std::set<std::tuple<int, int, int>> colors;
    for (const auto& e : stock->Entries)
        colors.insert({e.red, e.green, e.blue});
    EXPECT_EQ(colors.size(), 20u);
    for (int bits = 0; bits < 8; ++bits) {
        EXPECT_TRUE(colors.count({bits & 4 ? 0x80 : 0, bits & 2 ? 0x80 : 0, bits & 1 ? 0x80 : 0})) << bits;
        EXPECT_TRUE(colors.count({bits & 4 ? 0xFF : 0, bits & 2 ? 0xFF : 0, bits & 1 ? 0xFF : 0})) << bits;
    }
}

TEST(FixedPalettesTest, HalftoneFramesCubeAndGraysWithTheSystemColors)
{
    const auto halftone = MakeHalftonePalette();
    const auto& stock = StockDefaultPalette()->Entries;
    const auto cube = MakeWebSafePalette();
    ASSERT_EQ(halftone->Entries.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(halftone->Entries[i], stock[i]);
        EXPECT_EQ(halftone->Entries[246 + i], stock[10 + i]);
    }
    for (int i = 0; i < 216; ++i)
        EXPECT_EQ(halftone->Entries[10 + i], cube->Entries[i]);
    int previous = 0;
    for (int i = 226; i < 246; ++i) {
        const auto& e = halftone->Entries[i];
        EXPECT_TRUE(e.red == e.green && e.green == e.blue);
        EXPECT_GT(e.red, previous);
        EXPECT_NE(e.red % 51, 0) << "gray already in the cube at " << i;
        previous = e.red;
    }
    EXPECT_NE(MakeHalftonePalette().get(), halftone.get());
}

// ---- arithmetic lookups --------------------------------------------------

TEST(ArithmeticLookupTest, MonochromeThresholdLiesBetweenLuminance32512And32768)
{
    TMonochromeLookup mono;
    EXPECT_EQ(mono.ColorCount(), 2);
    EXPECT_EQ(Map(mono, 128, 128, 128), (TMapped{1, 255, 255, 255}));
    EXPECT_EQ(Map(mono, 127, 127, 127), (TMapped{0, 0, 0, 0}));
    // 77 + 150 + 29 weights, no shift: pure green alone is 38250.
    EXPECT_EQ(Map(mono, 0, 255, 0).Index, 1);
    EXPECT_EQ(Map(mono, 255, 0, 255).Index, 0); // 27030
}

TEST(ArithmeticLookupTest, WebSafeLevelsSwitchAtThreeBelowTheMidpointMultiple)
{
    TNetscapeColorLookup web;
    EXPECT_EQ(web.ColorCount(), 216);
    EXPECT_EQ(Map(web, 47, 47, 47), (TMapped{0, 0, 0, 0}));
    EXPECT_EQ(Map(web, 48, 48, 48), (TMapped{36 + 6 + 1, 51, 51, 51}));
    EXPECT_EQ(Map(web, 251, 251, 251), (TMapped{4 * 43, 204, 204, 204}));
    EXPECT_EQ(Map(web, 252, 252, 252), (TMapped{215, 255, 255, 255}));
    EXPECT_EQ(Map(web, 255, 0, 51), (TMapped{5 * 36 + 1, 255, 0, 51}));
}

TEST(ArithmeticLookupTest, GrayScaleWeightsChannelsAndShifts)
{
    TGrayScaleLookup gray;
    EXPECT_EQ(gray.ColorCount(), 256);
    EXPECT_EQ(Map(gray, 255, 0, 0), (TMapped{76, 76, 76, 76}));
    EXPECT_EQ(Map(gray, 0, 255, 0).Index, 149);
    EXPECT_EQ(Map(gray, 0, 0, 255).Index, 28);
    EXPECT_EQ(Map(gray, 255, 255, 255).Index, 255);
}

TEST(ArithmeticLookupTest, ReturnedColorIsAlwaysThePaletteEntryOfTheIndex)
{
    TNetscapeColorLookup web;
    TGrayScaleLookup gray;
    TMonochromeLookup mono;
    const std::tuple<TColorLookup*, TPaletteHandle> cases[] = {
        {&web, MakeWebSafePalette()}, {&gray, MakeGray256Palette()}, {&mono, MakeMonochromePalette()}};
    for (const auto& [lookup, palette] : cases) {
        for (int r = 0; r < 256; r += 5)
            for (int g = 0; g < 256; g += 7)
                for (int b = 0; b < 256; b += 11) {
                    const TMapped m = Map(*lookup, r, g, b);
                    ASSERT_LT(m.Index, lookup->ColorCount());
                    const auto& e = palette->Entries[size_t(m.Index)];
                    ASSERT_EQ((TMapped{m.Index, e.red, e.green, e.blue}), m) << r << "," << g << "," << b;
                }
    }
}

// ---- the cached lookup ---------------------------------------------------

TEST(FastColorLookupTest, PaletteColorsMapToThemselvesUnlessAnEarlierEntrySharesTheCell)
{
    const auto palette = PaletteOf({{10, 10, 10, 0}, {200, 0, 0, 0}, {11, 12, 13, 0}, {200, 0, 0, 0}});
    TFastColorLookup lookup(palette);
    EXPECT_EQ(lookup.ColorCount(), 4);
    EXPECT_EQ(Map(lookup, 10, 10, 10), (TMapped{0, 10, 10, 10}));
    EXPECT_EQ(Map(lookup, 200, 0, 0), (TMapped{1, 200, 0, 0}));
    // Same 5-5-5 cell as entry 0, which claimed it first.
    EXPECT_EQ(Map(lookup, 11, 12, 13), (TMapped{0, 10, 10, 10}));
    EXPECT_EQ(lookup.CachedIndex(TFastColorLookup::CellOf(15, 15, 15)), 0);

    // Every web-safe color lies in its own cell, so all map exactly.
    const auto cube = MakeWebSafePalette();
    TFastColorLookup cubeLookup(cube);
    for (int i = 0; i < 216; ++i) {
        const auto& e = cube->Entries[size_t(i)];
        ASSERT_EQ(Map(cubeLookup, e.red, e.green, e.blue).Index, i);
    }
}

TEST(FastColorLookupTest, CellCacheKeepsTheFirstAnswerSoVisitingOrderMatters)
{
    const auto palette = PaletteOf({{0, 0, 0, 0}, {16, 16, 16, 0}});
    {
        TFastColorLookup lookup(palette);
        EXPECT_EQ(lookup.CachedIndex(TFastColorLookup::CellOf(8, 8, 8)), -1);
        // A tie (24 against 24) keeps the lower index; then the cell answers for 15 too.
        EXPECT_EQ(Map(lookup, 8, 8, 8).Index, 0);
        EXPECT_EQ(Map(lookup, 15, 15, 15), (TMapped{0, 0, 0, 0}));
    }
    {
        TFastColorLookup lookup(palette);
        EXPECT_EQ(Map(lookup, 15, 15, 15).Index, 1);
        EXPECT_EQ(Map(lookup, 8, 8, 8), (TMapped{1, 16, 16, 16}));
    }
}

TEST(FastColorLookupTest, ScanUsesUnweightedSumOfAbsoluteDifferences)
{
    // Euclidean distance would prefer entry 0 (7200 against 10000).
    TFastColorLookup lookup(PaletteOf({{60, 60, 0, 0}, {100, 0, 0, 0}}));
    EXPECT_EQ(Map(lookup, 0, 0, 0), (TMapped{1, 100, 0, 0}));
}

TEST(FastColorLookupTest, EmptyMissingAndOversizedPalettes)
{
    TFastColorLookup none(nullptr);
    EXPECT_EQ(none.ColorCount(), 0);
    EXPECT_EQ(Map(none, 90, 90, 90), (TMapped{0, 0, 0, 0}));

    TFastColorLookup empty(std::make_shared<TPalette>());
    EXPECT_EQ(empty.ColorCount(), 0);

    auto big = std::make_shared<TPalette>();
    for (int i = 0; i < 300; ++i)
        big->Entries.push_back({uint8_t(i), 0, 0, 0});
    TFastColorLookup capped(big);
    EXPECT_EQ(capped.ColorCount(), 256);
    EXPECT_EQ(Map(capped, 255, 0, 0).Index, 248); // the cell's first entry: 248..255 share it
}

} // namespace
} // namespace fl
