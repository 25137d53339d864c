// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorQuantizer.h"
#include "color/FixedPalettes.h"
#include "platform/GIFException.h"

#include <gtest/gtest.h>

#include <vector>

namespace fl {
namespace {

using TColors = std::vector<TPaletteEntry>;

// A one-row image of the given colors, stored blue, green, red.
struct TRowImage {
    std::vector<uint8_t> Bytes;
    int Width = 0;

    explicit TRowImage(const TColors& colors) : Width(int(colors.size()))
    {
        for (const auto& c : colors) {
            Bytes.push_back(c.blue);
            Bytes.push_back(c.green);
            Bytes.push_back(c.red);
        }
    }
    TBGRRowSource Source() const
    {
        return {Width, 1, [this](int) { return Bytes.data(); }};
    }
};

TColors Quantize(const TColors& pixels, int maxColors)
{
    TColorQuantizer quantizer(maxColors, 8);
    const TRowImage image(pixels);
    EXPECT_TRUE(quantizer.ProcessImage(image.Source()));
    return quantizer.CollectLeafColors();
}

TEST(ColorQuantizerTest, FewColorsComeBackExactlyInInterleavedBitOrder)
{
    const TColors corners = {{255, 255, 255, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {0, 0, 255, 0},
                             {255, 255, 0, 0},   {0, 255, 255, 0}, {255, 0, 255, 0}, {0, 0, 0, 0}};
    const TColors expected = {{0, 0, 0, 0},   {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
                              {255, 0, 0, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
    EXPECT_EQ(Quantize(corners, 8), expected);

    // Lower bits break ties once the top bits agree: 0x81 sorts after 0x80 in red.
    EXPECT_EQ(Quantize({{0x81, 0, 0, 0}, {0x80, 0, 1, 0}, {0x80, 0, 0, 0}}, 3),
              (TColors{{0x80, 0, 0, 0}, {0x80, 0, 1, 0}, {0x81, 0, 0, 0}}));
}

TEST(ColorQuantizerTest, RepeatedColorIsOneLeaf)
{
    TColorQuantizer quantizer(4, 8);
    for (int i = 0; i < 1000; ++i)
        quantizer.AddPixelColor(12, 34, 56);
    EXPECT_EQ(quantizer.LeafCount(), 1);
    EXPECT_EQ(quantizer.CollectLeafColors(), (TColors{{12, 34, 56, 0}}));
}

TEST(ColorQuantizerTest, FoldsTheMostRecentInnerNodeOfTheDeepestLevelFirst)
{
    // A and B share a level-7 node created first, C and D one created later;
    // the later one is folded, so A and B stay apart.
    const TColors pixels = {{0, 0, 0, 0}, {254, 254, 254, 0}, {0, 0, 1, 0}, {254, 254, 255, 0}};
    EXPECT_EQ(Quantize(pixels, 3), (TColors{{0, 0, 0, 0}, {0, 0, 1, 0}, {254, 254, 254, 0}}));
}

TEST(ColorQuantizerTest, SingleChildNodesFoldWithoutLosingALeafUntilAMergeHappens)
{
    // (2,2,2) branches off (0,0,0) only at level 6: both level-7 nodes fold
    // first (one child each), then their parent merges the two leaves.
    TColorQuantizer quantizer(1, 8);
    quantizer.AddPixelColor(0, 0, 0);
    quantizer.AddPixelColor(2, 2, 2);
    EXPECT_EQ(quantizer.LeafCount(), 1);
    EXPECT_EQ(quantizer.CollectLeafColors(), (TColors{{1, 1, 1, 0}}));
}

TEST(ColorQuantizerTest, MergedLeafIsThePixelWeightedTruncatedAverage)
{
    EXPECT_EQ(Quantize({{0, 0, 0, 0}, {0, 0, 0, 0}, {10, 20, 30, 0}}, 1), (TColors{{3, 6, 10, 0}}));
    // Two far colors with one allowed: the root itself folds.
    TColorQuantizer quantizer(1, 8);
    quantizer.AddPixelColor(255, 255, 255, 3);
    quantizer.AddPixelColor(0, 0, 0, 1);
    EXPECT_EQ(quantizer.LeafCount(), 1);
    ASSERT_NE(quantizer.Root(), nullptr);
    EXPECT_TRUE(quantizer.Root()->IsLeaf);
    EXPECT_EQ(quantizer.Root()->PixelCount, 4);
    EXPECT_EQ(quantizer.CollectLeafColors(), (TColors{{191, 191, 191, 0}}));
}

TEST(ColorQuantizerTest, CountersHoldMoreThanThirtyTwoBits)
{
    // 10^10 white pixels: the red sum alone is 2.55 * 10^12.
    TColorQuantizer quantizer(1, 8);
    quantizer.AddPixelColor(255, 255, 255, 10'000'000'000);
    quantizer.AddPixelColor(0, 0, 0, 10'000'000'000);
    EXPECT_EQ(quantizer.Root()->PixelCount, 20'000'000'000);
    EXPECT_EQ(quantizer.Root()->RedSum, 2'550'000'000'000);
    EXPECT_EQ(quantizer.CollectLeafColors(), (TColors{{127, 127, 127, 0}}));
}

TEST(ColorQuantizerTest, LeafCountNeverExceedsTheLimitAfterAPixel)
{
    TColorQuantizer quantizer(16, 8);
    uint32_t seed = 12345;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        quantizer.AddPixelColor(uint8_t(seed >> 8), uint8_t(seed >> 16), uint8_t(seed >> 24));
        ASSERT_LE(quantizer.LeafCount(), 16);
    }
    EXPECT_EQ(quantizer.CollectLeafColors().size(), size_t(quantizer.LeafCount()));
}

TEST(ColorQuantizerTest, FewerColorBitsMakeShallowerLeaves)
{
    // With 2 bits a leaf holds every color sharing the two top bits.
    TColorQuantizer quantizer(8, 2);
    quantizer.AddPixelColor(0x00, 0x00, 0x00);
    quantizer.AddPixelColor(0x3F, 0x3F, 0x3F);
    quantizer.AddPixelColor(0xC0, 0, 0);
    EXPECT_EQ(quantizer.LeafCount(), 2);
    EXPECT_EQ(quantizer.CollectLeafColors(), (TColors{{0x1F, 0x1F, 0x1F, 0}, {0xC0, 0, 0, 0}}));
}

TEST(ColorQuantizerTest, ZeroColorsAndBadBitCountsAreRefused)
{
    EXPECT_THROW(TColorQuantizer(0, 8), GIFException);
    EXPECT_THROW(TColorQuantizer(-1, 8), GIFException);
    EXPECT_THROW(TColorQuantizer(8, 0), GIFException);
    EXPECT_THROW(TColorQuantizer(8, 9), GIFException);
    const TRowImage image({{1, 2, 3, 0}});
    EXPECT_THROW(BuildQuantizedPalette(image.Source(), 0, 8, false), GIFException);
    EXPECT_THROW(BuildQuantizedPalette(image.Source(), 257, 8, false), GIFException);
}

TEST(BuildQuantizedPaletteTest, ReadsBGRRowsTopToBottomAndPadsWithBlack)
{
    // Two rows; the bytes are blue, green, red.
    const std::vector<uint8_t> rows[2] = {{3, 2, 1, 30, 20, 10}, {3, 2, 1, 0, 0, 200}};
    const TBGRRowSource source{2, 2, [&](int y) { return rows[y].data(); }};
    const TPaletteHandle palette = BuildQuantizedPalette(source, 5, 8, false);
    EXPECT_EQ(*palette,
              (TPalette{{{1, 2, 3, 0}, {10, 20, 30, 0}, {200, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}));
}

TEST(BuildQuantizedPaletteTest, SystemColorsFrameTheQuantizedOnes)
{
    const TRowImage image({{250, 250, 250, 0}, {1, 2, 3, 0}});
    const TPaletteHandle palette = BuildQuantizedPalette(image.Source(), 8, 8, true);
    const auto& stock = StockDefaultPalette()->Entries;
    ASSERT_EQ(palette->Entries.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(palette->Entries[size_t(i)], stock[size_t(i)]);
        EXPECT_EQ(palette->Entries[size_t(246 + i)], stock[size_t(10 + i)]);
    }
    EXPECT_EQ(palette->Entries[10], (TPaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(palette->Entries[11], (TPaletteEntry{250, 250, 250, 0}));
    EXPECT_EQ(palette->Entries[12], (TPaletteEntry{0, 0, 0, 0}));
}

TEST(BuildQuantizedPaletteTest, ManyColorsFillThePaletteWithTheLeavesThenBlack)
{
    std::vector<uint8_t> row;
    for (int i = 0; i < 4096; ++i) {
        row.push_back(uint8_t(i * 7));
        row.push_back(uint8_t(i >> 4));
        row.push_back(uint8_t(i * 13));
    }
    const TBGRRowSource source{4096, 1, [&](int) { return row.data(); }};
    const TPaletteHandle palette = BuildQuantizedPalette(source, 256, 8, false);
    ASSERT_EQ(palette->Entries.size(), 256u);

    TColorQuantizer quantizer(256, 8);
    quantizer.ProcessImage(source);
    // One fold can merge several leaves, so the count may end below the limit.
    const TColors leaves = quantizer.CollectLeafColors();
    ASSERT_LE(leaves.size(), 256u);
    EXPECT_GT(leaves.size(), 200u);
    TColors expected = leaves;
    expected.resize(256);
    EXPECT_EQ(palette->Entries, expected);
}

} // namespace
} // namespace fl
