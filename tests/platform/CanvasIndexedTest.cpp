// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing rows of color indices: clipping, the skipped index in runs and
// mixed bytes, and indices past the palette.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Canvas.h"

namespace fl {
namespace {

TPalette ThreeColors()
{
    return TPalette{{TPaletteEntry{255, 0, 0, 0}, TPaletteEntry{0, 255, 0, 0}, TPaletteEntry{0, 0, 255, 0}}};
}

TEST(CanvasIndexed, SkipsTheTransparentIndexInRunsAndMixedRows)
{
    TBitmap bitmap(21, 2, TPixelFormat::pf32bit);
    TCanvas canvas(bitmap);
    canvas.FillRect(canvas.ClipRect(), 0x00102030);
    // Row 0: a run of nine skipped pixels, then alternating; row 1 opaque
    // except its last pixel, with an index past the palette.
    std::vector<uint8_t> pixels(42);
    for (int x = 0; x < 21; ++x) {
        pixels[size_t(x)] = x < 9 ? 1 : uint8_t(x % 2);
        pixels[21 + size_t(x)] = x == 20 ? 1 : (x == 3 ? 7 : 2);
    }
    const TPalette palette = ThreeColors();
    canvas.DrawIndexed(0, 0, pixels.data(), 21, 2, 21, &palette, 1);
    for (int x = 0; x < 21; ++x) {
        const bool skipped = x < 9 || x % 2 == 1;
        EXPECT_EQ(bitmap.PixelColor(x, 0), skipped ? 0x302010u : 0xFF0000u) << x;
    }
    EXPECT_EQ(bitmap.PixelColor(0, 1), 0x0000FFu);
    EXPECT_EQ(bitmap.PixelColor(3, 1), 0x000000u) << "past the palette";
    EXPECT_EQ(bitmap.PixelColor(20, 1), 0x302010u);

    // Without a skipped index every pixel is drawn.
    canvas.DrawIndexed(0, 0, pixels.data(), 21, 1, 21, &palette, -1);
    EXPECT_EQ(bitmap.PixelColor(0, 0), 0x00FF00u);
}

TEST(CanvasIndexed, ClipsToTheTarget)
{
    TBitmap bitmap(4, 4, TPixelFormat::pf32bit);
    TCanvas canvas(bitmap);
    canvas.FillRect(canvas.ClipRect(), 0);
    const std::vector<uint8_t> pixels(36, 2);
    const TPalette palette = ThreeColors();
    canvas.DrawIndexed(-3, 2, pixels.data(), 6, 6, 6, &palette, -1);
    EXPECT_EQ(bitmap.PixelColor(2, 3), 0x0000FFu);
    EXPECT_EQ(bitmap.PixelColor(3, 3), 0u);
    EXPECT_EQ(bitmap.PixelColor(0, 1), 0u);
    // Far outside, or without pixels: nothing happens.
    canvas.DrawIndexed(INT32_MAX - 2, 0, pixels.data(), 6, 6, 6, &palette, -1);
    canvas.DrawIndexed(0, 0, nullptr, 6, 6, 6, &palette, -1);
    EXPECT_EQ(bitmap.PixelColor(0, 0), 0u);
}

} // namespace
} // namespace fl
