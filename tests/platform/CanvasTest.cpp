// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "platform/Canvas.h"

namespace {

using fl::TBitmap;
using fl::TCanvas;
using fl::TPixelFormat;
using fl::TRect;

constexpr uint32_t kBackground = 0x123456;

// A 32-bit bitmap filled with one 0x00RRGGBB color.
TBitmap Solid(int width, int height, uint32_t rgb = kBackground)
{
    TBitmap b(width, height, TPixelFormat::pf32bit);
    TCanvas(b).FillRect({0, 0, width, height}, (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16);
    return b;
}

// Distinct colors per pixel of a 32-bit source: 0x00yyxx.
TBitmap Numbered(int width, int height)
{
    TBitmap b(width, height, TPixelFormat::pf32bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.ScanLine(y) + 4 * x;
            p[0] = uint8_t(x + 1);
            p[1] = uint8_t(y + 1);
        }
    return b;
}

std::vector<uint32_t> Row(const TBitmap& b, int y)
{
    std::vector<uint32_t> row;
    for (int x = 0; x < b.Width(); ++x)
        row.push_back(b.PixelColor(x, y));
    return row;
}

// What a draw must produce, pixel by pixel, straight from the rule in
// Canvas.h: nearest source pixel, clipped to both bitmaps, mask non-black =
// transparent.
void ExpectDrawn(const TBitmap& before, const TBitmap& after, const TRect& d, const TBitmap& source,
                 const TRect& s, const TBitmap* mask, const std::string& what)
{
    const int64_t dw = int64_t(d.Right) - d.Left, dh = int64_t(d.Bottom) - d.Top;
    const int64_t sw = int64_t(s.Right) - s.Left, sh = int64_t(s.Bottom) - s.Top;
    for (int y = 0; y < after.Height(); ++y)
        for (int x = 0; x < after.Width(); ++x) {
            uint32_t expected = before.PixelColor(x, y);
            if (dw > 0 && dh > 0 && sw > 0 && sh > 0 && x >= d.Left && x < d.Right && y >= d.Top &&
                y < d.Bottom) {
                const int64_t sx =
                    s.Left + int64_t(uint64_t(x - int64_t(d.Left)) * uint64_t(sw) / uint64_t(dw));
                const int64_t sy =
                    s.Top + int64_t(uint64_t(y - int64_t(d.Top)) * uint64_t(sh) / uint64_t(dh));
                if (sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height() &&
                    !(mask && mask->PixelColor(int(sx), int(sy)) != 0))
                    expected = source.PixelColor(int(sx), int(sy));
            }
            ASSERT_EQ(after.PixelColor(x, y), expected) << what << " at " << x << "," << y;
        }
}

TEST(Canvas, StretchTakesTheNearestSourcePixel)
{
    const TBitmap source = Numbered(3, 3);
    TBitmap target = Solid(6, 6);
    TCanvas canvas(target);
    canvas.StretchDraw({0, 0, 2, 2}, source); // 3 -> 2: columns 0 and 1 (3/2 rounded down)
    EXPECT_EQ(Row(target, 0),
              (std::vector<uint32_t>{0x0101, 0x0102, kBackground, kBackground, kBackground, kBackground}));
    EXPECT_EQ(Row(target, 1)[1], 0x0202u);
    canvas.StretchDraw({2, 2, 6, 4}, Numbered(2, 1)); // 2 -> 4: each column twice, one row twice
    EXPECT_EQ(Row(target, 3),
              (std::vector<uint32_t>{kBackground, kBackground, 0x0101, 0x0101, 0x0102, 0x0102}));

    // A rectangle spanning all of int: column 0 lies 2^31 of 2^32 - 1 along it,
    // which the 64-bit rule maps to source column 2 of 4.
    TBitmap huge = Solid(2, 1);
    TCanvas(huge).StretchDraw({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Numbered(4, 1));
    EXPECT_EQ(huge.PixelColor(0, 0), 0x0103u);
}

// Random rectangles, many of them reaching off either bitmap or inverted,
// and every source format: each result must match the rule pixel by pixel.
TEST(Canvas, DrawsFollowTheRuleForEveryFormatAndRectangle)
{
    std::mt19937 random(12345);
    auto between = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const TPixelFormat formats[] = {TPixelFormat::pfDevice, TPixelFormat::pf1bit,  TPixelFormat::pf4bit,
                                    TPixelFormat::pf8bit,   TPixelFormat::pf15bit, TPixelFormat::pf16bit,
                                    TPixelFormat::pf24bit,  TPixelFormat::pf32bit};
    // Corners from half the extent before the bitmap to just past it; sizes
    // from inverted to twice the extent.
    auto randomRect = [&](int extent) {
        const int left = between(-extent / 2, extent), top = between(-extent / 2, extent);
        return TRect{left, top, left + between(-2, 2 * extent), top + between(-2, 2 * extent)};
    };
    // Half the draws unscaled, so that the fast paths run too.
    auto sameSize = [&](const TRect& r, int width, int height) {
        return between(0, 1) ? fl::MakeRect(r.Left, r.Top, width, height) : r;
    };
    for (int round = 0; round < 800; ++round) {
        const TPixelFormat format = formats[(round / 4) % 8]; // every format for every operation
        TBitmap source(between(1, 20), between(1, 12), format);
        for (int y = 0; y < source.Height(); ++y)
            for (size_t i = 0; i < source.RowBytes(); ++i)
                source.ScanLine(y)[i] = uint8_t(random());
        auto palette = std::make_shared<fl::TPalette>();
        palette->Entries.resize(size_t(between(0, 200))); // indices past it show black
        for (auto& e : palette->Entries)
            e = {uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
        source.SetPalette(palette);

        const TBitmap before = Numbered(24, 16);
        TBitmap target = before;
        TCanvas canvas(target);
        const std::string what = "round " + std::to_string(round) + " format " + std::to_string(int(format));
        const TRect whole{0, 0, source.Width(), source.Height()};
        TRect d = randomRect(24);
        if (round % 4 == 0) {
            d = fl::MakeRect(d.Left, d.Top, source.Width(), source.Height());
            canvas.Draw(d.Left, d.Top, source);
            ExpectDrawn(before, target, d, source, whole, nullptr, what + " Draw");
        } else if (round % 4 == 1) {
            d = sameSize(d, source.Width(), source.Height());
            canvas.StretchDraw(d, source);
            ExpectDrawn(before, target, d, source, whole, nullptr, what + " StretchDraw");
        } else if (round % 4 == 2) {
            // Masks of 1 bit (whole 0x00 and 0xFF bytes included) and of other formats.
            TBitmap mask(source.Width(), source.Height(),
                         round % 3 ? TPixelFormat::pf1bit : TPixelFormat::pf24bit);
            for (int y = 0; y < mask.Height(); ++y)
                for (size_t i = 0; i < mask.RowBytes(); ++i)
                    mask.ScanLine(y)[i] = between(0, 2) == 0 ? 0x00
                                          : between(0, 1)    ? 0xFF
                                                             : uint8_t(random());
            mask.SetPalette(fl::MonochromePalette());
            d = sameSize(d, source.Width(), source.Height());
            canvas.MaskedStretchDraw(d, source, mask);
            ExpectDrawn(before, target, d, source, whole, &mask, what + " MaskedStretchDraw");
        } else {
            TBitmap other = source;
            TCanvas sourceCanvas(other);
            const TRect s = randomRect(10);
            d = sameSize(d, s.Width(), s.Height());
            canvas.CopyRect(d, sourceCanvas, s);
            ExpectDrawn(before, target, d, other, s, nullptr, what + " CopyRect");
        }
    }
}

TEST(Canvas, KnownColorsOfIndexedAndDirectSources)
{
    auto palette = std::make_shared<fl::TPalette>();
    palette->Entries = {{0x10, 0x20, 0x30, 0}, {0xA0, 0xB0, 0xC0, 0}, {0, 0, 0xFF, 0}};
    struct Case {
        TPixelFormat format;
        std::vector<uint8_t> row;
        uint32_t first, second;
    };
    for (const Case& c : {Case{TPixelFormat::pf1bit, {0x40}, 0x102030, 0xA0B0C0},
                          Case{TPixelFormat::pf4bit, {0x21}, 0x0000FF, 0xA0B0C0},
                          Case{TPixelFormat::pf8bit, {1, 9}, 0xA0B0C0, 0}, // past the palette: black
                          Case{TPixelFormat::pf24bit, {1, 2, 3, 4, 5, 6}, 0x030201, 0x060504},
                          Case{TPixelFormat::pf32bit, {1, 2, 3, 99, 4, 5, 6, 99}, 0x030201, 0x060504}}) {
        TBitmap source(2, 1, c.format);
        source.SetPalette(palette);
        std::memcpy(source.ScanLine(0), c.row.data(), c.row.size());
        TBitmap target = Solid(3, 1);
        TCanvas(target).Draw(1, 0, source);
        EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{kBackground, c.first, c.second})) << int(c.format);
    }
}

TEST(Canvas, FillIsClippedAndTakesModelColors)
{
    TBitmap target = Solid(4, 3);
    TCanvas canvas(target);
    canvas.FillRect({-100, -5, 2, 1}, 0x00332211); // 0x00BBGGRR
    canvas.FillRect({3, 2, 1, 3}, 0);              // inverted: nothing
    canvas.BrushColor = 0x0000FF;
    canvas.FillRect({3, 2, INT_MAX, INT_MAX});
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0x112233, 0x112233, kBackground, kBackground}));
    EXPECT_EQ(Row(target, 1), (std::vector<uint32_t>(4, kBackground)));
    EXPECT_EQ(Row(target, 2), (std::vector<uint32_t>{kBackground, kBackground, kBackground, 0xFF0000}));
}

TEST(Canvas, CopiesWithinItself)
{
    TBitmap target = Numbered(6, 2);
    TCanvas canvas(target);
    canvas.CopyRect({3, 0, 6, 2}, canvas, {0, 0, 3, 2});
    canvas.CopyRect({0, 1, 2, 2}, canvas, {4, 0, 5, 1}); // stretched, from the part just written
    EXPECT_EQ(Row(target, 0), (std::vector<uint32_t>{0x0101, 0x0102, 0x0103, 0x0101, 0x0102, 0x0103}));
    EXPECT_EQ(Row(target, 1), (std::vector<uint32_t>{0x0102, 0x0102, 0x0203, 0x0201, 0x0202, 0x0203}));
}

TEST(Canvas, TargetsBecomeThirtyTwoBitsAndHandlesDieWithTheCanvas)
{
    TBitmap indexed(3, 2, TPixelFormat::pf8bit);
    TBitmap device(3, 2, TPixelFormat::pfDevice);
    fl::TCanvasHandle first, second;
    {
        TCanvas a(indexed), b(device);
        EXPECT_EQ(indexed.PixelFormat(), TPixelFormat::pf32bit);
        EXPECT_EQ(device.PixelFormat(), TPixelFormat::pfDevice) << "device bitmaps are 32 bits already";
        first = a.Handle();
        second = b.Handle();
        EXPECT_NE(first, second);
        EXPECT_TRUE(fl::IsDeviceContext(first));
        EXPECT_TRUE(fl::IsDeviceContext(second));

        // A format changed behind the canvas's back is converted again before drawing.
        indexed.SetPixelFormat(TPixelFormat::pf24bit);
        a.FillRect({0, 0, 3, 2}, 0x00FFFFFF);
        EXPECT_EQ(indexed.PixelFormat(), TPixelFormat::pf32bit);
        EXPECT_EQ(indexed.PixelColor(2, 1), 0xFFFFFFu);
    }
    EXPECT_FALSE(fl::IsDeviceContext(first));
    EXPECT_FALSE(fl::IsDeviceContext(second));
    TCanvas again(indexed);
    EXPECT_NE(again.Handle(), first) << "handles are never reused";
    EXPECT_NE(again.Handle(), second);
}

TEST(Canvas, ChangedRaisesOnChangeAndMasksMustFit)
{
    TBitmap target = Solid(2, 2);
    int changes = 0;
    target.OnChange = [&changes](fl::TGraphic&) { ++changes; };
    TCanvas canvas(target);
    canvas.FillRect({0, 0, 1, 1});
    EXPECT_EQ(changes, 0) << "drawing alone tells no one";
    canvas.Changed();
    EXPECT_EQ(changes, 1);

    const TBitmap source = Numbered(2, 2);
    EXPECT_THROW(canvas.MaskedStretchDraw({0, 0, 2, 2}, source, TBitmap(2, 1, TPixelFormat::pf1bit)),
                 fl::EBitmapError);
}

} // namespace
