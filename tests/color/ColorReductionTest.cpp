// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "color/FixedPalettes.h"
#include "platform/GIFException.h"

#include <gtest/gtest.h>

#include <vector>

namespace fl {
namespace {

// A small image as rows of (r, g, b), handed out as BGR bytes.
struct TRows {
    int Width;
    std::vector<std::vector<uint8_t>> Bgr;

    TRows(int width, std::initializer_list<std::initializer_list<TPaletteEntry>> rows) : Width(width)
    {
        for (const auto& row : rows) {
            auto& bytes = Bgr.emplace_back();
            for (const auto& c : row) {
                bytes.push_back(c.blue);
                bytes.push_back(c.green);
                bytes.push_back(c.red);
            }
        }
    }
    TBGRRowSource Source() const
    {
        return {Width, int(Bgr.size()), [this](int y) { return Bgr[size_t(y)].data(); }};
    }
};

struct TReduced {
    TPaletteHandle Palette;
    std::vector<int> Indices; // rows one after the other
};

TReduced Reduce(const TRows& image, uint8_t method, uint8_t mode = ditherNearest, int bits = 8,
                const TPaletteHandle& custom = nullptr)
{
    std::vector<uint8_t> pixels(image.Bgr.size() * size_t(image.Width), 0xEE);
    TReduced result;
    result.Palette = ReduceColors(
        image.Source(), [&](int y) { return &pixels[size_t(y * image.Width)]; }, method, mode, bits, custom);
    result.Indices.assign(pixels.begin(), pixels.end());
    return result;
}

TEST(ColorReductionTest, ArithmeticMethodsUseTheirPalettesAndThresholds)
{
    const TRows grays(2, {{{128, 128, 128, 0}, {127, 127, 127, 0}}});
    const TReduced mono = Reduce(grays, reduceMonochrome);
    EXPECT_EQ(*mono.Palette, *MakeMonochromePalette());
    EXPECT_EQ(mono.Indices, (std::vector<int>{1, 0}));

    const TRows levels(4, {{{47, 47, 47, 0}, {48, 48, 48, 0}, {251, 251, 251, 0}, {252, 252, 252, 0}}});
    const TReduced web = Reduce(levels, reduceWebSafe216);
    EXPECT_EQ(*web.Palette, *MakeWebSafePalette());
    EXPECT_EQ(web.Indices, (std::vector<int>{0, 43, 172, 215}));

    const TRows red(1, {{{255, 0, 0, 0}}});
    const TReduced gray = Reduce(red, reduceGray256);
    EXPECT_EQ(gray.Palette->Entries.size(), 256u);
    EXPECT_EQ(gray.Indices, (std::vector<int>{76}));
}

TEST(ColorReductionTest, FixedTableMethodsMapThroughTheCachedLookup)
{
    const TRows image(3, {{{0, 0, 0, 0}, {0xC0, 0xDC, 0xC0, 0}, {250, 250, 250, 0}}});
    const TReduced system = Reduce(image, reduceSystem20);
    EXPECT_EQ(system.Palette, StockDefaultPalette());
    EXPECT_EQ(system.Indices, (std::vector<int>{0, 8, 19}));

    const TReduced halftone = Reduce(image, reduceHalftone256);
    EXPECT_EQ(*halftone.Palette, *MakeHalftonePalette());
    // Black and white are both system and cube colors: the lower index claims the cell.
    EXPECT_EQ(halftone.Indices, (std::vector<int>{0, 8, 10 + 215}));

    const TReduced gray4 = Reduce(TRows(2, {{{100, 100, 100, 0}, {170, 170, 170, 0}}}), reduceGray4);
    EXPECT_EQ(gray4.Indices, (std::vector<int>{1, 2}));
}

TEST(ColorReductionTest, QuantizedMethodsBuildTheirPaletteFromTheSource)
{
    const TRows image(3, {{{255, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}}});
    const TReduced quantized = Reduce(image, reduceQuantize, ditherFloydSteinberg, 3);
    ASSERT_EQ(quantized.Palette->Entries.size(), 8u);
    EXPECT_EQ(quantized.Palette->Entries[0], (TPaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(quantized.Palette->Entries[1], (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(quantized.Indices, (std::vector<int>{1, 0, 1}));

    const TReduced framed = Reduce(image, reduceQuantizeSystem);
    ASSERT_EQ(framed.Palette->Entries.size(), 256u);
    EXPECT_EQ(framed.Palette->Entries[10], (TPaletteEntry{0, 0, 255, 0}));
    // The quantized red (11) comes before the system red (249) and claims the cell.
    EXPECT_EQ(framed.Palette->Entries[249], (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(framed.Indices, (std::vector<int>{11, 10, 11}));

    EXPECT_THROW(Reduce(image, reduceQuantize, ditherNearest, 9), GIFException);
}

TEST(ColorReductionTest, CustomPaletteIsCopiedAndAnEmptyOneProducesNothing)
{
    const auto custom = std::make_shared<TPalette>(TPalette{{{9, 9, 9, 0}, {200, 200, 200, 0}}});
    const TRows image(2, {{{10, 10, 10, 0}, {190, 190, 190, 0}}});
    const TReduced reduced = Reduce(image, reduceCustomPalette, ditherNearest, 8, custom);
    ASSERT_NE(reduced.Palette, nullptr);
    EXPECT_NE(reduced.Palette, custom);
    EXPECT_EQ(*reduced.Palette, *custom);
    EXPECT_EQ(reduced.Indices, (std::vector<int>{0, 1}));

    for (const TPaletteHandle& empty : {TPaletteHandle(), TPaletteHandle(std::make_shared<TPalette>())}) {
        const TReduced none = Reduce(image, reduceCustomPalette, ditherNearest, 8, empty);
        EXPECT_EQ(none.Palette, nullptr);
        EXPECT_EQ(none.Indices, (std::vector<int>{0xEE, 0xEE}));
    }
}

TEST(ColorReductionTest, NoneUnknownMethodsAndUnknownDitherModesProduceNothing)
{
    const TRows image(1, {{{1, 2, 3, 0}}});
    for (uint8_t method : {reduceNone, uint8_t(10), uint8_t(255)}) {
        EXPECT_EQ(Reduce(image, method).Palette, nullptr) << int(method);
        EXPECT_EQ(MakeReductionPalette(method, 8, nullptr, image.Source()).Lookup, nullptr);
    }
    const TReduced badMode = Reduce(image, reduceWebSafe216, 7);
    EXPECT_EQ(badMode.Palette, nullptr);
    EXPECT_EQ(badMode.Indices, (std::vector<int>{0xEE}));
}

TEST(ColorReductionTest, OnePixelImageWorksWithEveryDitherMode)
{
    const TRows image(1, {{{51, 102, 153, 0}}});
    for (uint8_t mode = ditherNearest; mode <= ditherBurkes; ++mode)
        EXPECT_EQ(Reduce(image, reduceWebSafe216, mode).Indices, (std::vector<int>{36 + 12 + 3}))
            << int(mode);
}

} // namespace
} // namespace fl
