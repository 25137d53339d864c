// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/Bitmap.h"

namespace {

using fl::EBitmapError;
using fl::TBitmap;
using fl::TPalette;
using fl::TPixelFormat;

fl::TPaletteHandle MakePalette(std::initializer_list<uint32_t> rgb)
{
    auto p = std::make_shared<TPalette>();
    for (uint32_t c : rgb)
        p->Entries.push_back({uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0});
    return p;
}

TEST(Bitmap, RowsArePaddedToFourBytesTopDown)
{
    struct Case {
        TPixelFormat format;
        int width;
        size_t rowBytes;
    };
    for (const Case& c : {Case{TPixelFormat::pf1bit, 33, 8}, Case{TPixelFormat::pf4bit, 9, 8},
                          Case{TPixelFormat::pf8bit, 5, 8}, Case{TPixelFormat::pf15bit, 3, 8},
                          Case{TPixelFormat::pf16bit, 2, 4}, Case{TPixelFormat::pf24bit, 3, 12},
                          Case{TPixelFormat::pf32bit, 3, 12}, Case{TPixelFormat::pfDevice, 1, 4}}) {
        const TBitmap b(c.width, 3, c.format);
        EXPECT_EQ(b.RowBytes(), c.rowBytes) << int(c.format);
        EXPECT_EQ(b.ScanLine(1), b.ScanLine(0) + c.rowBytes);
        EXPECT_EQ(b.ScanLine(0), b.Bits());
    }
    const TBitmap b(2, 2, TPixelFormat::pf8bit);
    EXPECT_THROW(b.ScanLine(2), EBitmapError);
    EXPECT_THROW(b.ScanLine(-1), EBitmapError);
    EXPECT_THROW(TBitmap(1, 1, TPixelFormat::pfCustom), EBitmapError);
}

// Each format with two known pixels, converted to 24 bits in place.
TEST(Bitmap, EveryFormatConvertsToTwentyFourBits)
{
    struct Case {
        TPixelFormat format;
        std::vector<uint8_t> row;
        uint32_t first, second;
    };
    const auto palette = MakePalette({0x102030, 0xA0B0C0, 0x0000FF});
    const std::vector<Case> cases{
        {TPixelFormat::pf1bit, {0x40}, 0x102030, 0xA0B0C0},
        {TPixelFormat::pf4bit, {0x21}, 0x0000FF, 0xA0B0C0},
        {TPixelFormat::pf8bit, {1, 9}, 0xA0B0C0, 0}, // past the palette: black
        {TPixelFormat::pf15bit, {0xFF, 0x7F, 0x1F, 0x00}, 0xFFFFFF, 0x0000FF},
        {TPixelFormat::pf15bit, {0x00, 0x7C, 0xE0, 0x03}, 0xFF0000, 0x00FF00},
        {TPixelFormat::pf16bit, {0x00, 0xF8, 0xE0, 0x07}, 0xFF0000, 0x00FF00},
        {TPixelFormat::pf16bit, {0x10, 0x84, 0x00, 0x00}, 0x848284, 0},
        {TPixelFormat::pf24bit, {1, 2, 3, 4, 5, 6}, 0x030201, 0x060504},
        {TPixelFormat::pf32bit, {1, 2, 3, 99, 4, 5, 6, 99}, 0x030201, 0x060504},
        {TPixelFormat::pfDevice, {1, 2, 3, 99, 4, 5, 6, 99}, 0x030201, 0x060504},
    };
    for (const Case& c : cases) {
        TBitmap b(2, 2, c.format);
        b.SetPalette(palette);
        std::memcpy(b.ScanLine(1), c.row.data(), c.row.size());
        EXPECT_EQ(b.PixelColor(0, 1), c.first) << int(c.format);
        EXPECT_EQ(b.PixelColor(1, 1), c.second) << int(c.format);
        b.SetPixelFormat(TPixelFormat::pf24bit);
        ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
        const uint8_t* p = b.ScanLine(1);
        EXPECT_EQ(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], c.first) << int(c.format);
        EXPECT_EQ(uint32_t(p[5]) << 16 | uint32_t(p[4]) << 8 | p[3], c.second) << int(c.format);
        EXPECT_EQ(b.PixelColor(0, 0), IsIndexed(c.format) ? 0x102030u : 0u) << "row 0 stays index 0 / black";
        if (c.format != TPixelFormat::pf24bit) {
            EXPECT_EQ(b.Palette(), nullptr) << "direct colors need no palette";
        }
    }
}

TEST(Bitmap, DirectFormatsKeepTheirSignificantBits)
{
    TBitmap b(256, 1, TPixelFormat::pf24bit);
    for (int x = 0; x < 256; ++x) {
        b.ScanLine(0)[3 * x] = uint8_t(x);
        b.ScanLine(0)[3 * x + 1] = uint8_t(255 - x);
        b.ScanLine(0)[3 * x + 2] = uint8_t(x * 7);
    }
    for (TPixelFormat f : {TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf32bit}) {
        TBitmap c(b);
        c.SetPixelFormat(f);
        c.SetPixelFormat(TPixelFormat::pf24bit);
        const int greenBits = f == TPixelFormat::pf32bit ? 8 : f == TPixelFormat::pf16bit ? 6 : 5;
        const int otherBits = f == TPixelFormat::pf32bit ? 8 : 5;
        for (int x = 0; x < 256; ++x) {
            const uint8_t* in = b.ScanLine(0) + 3 * x;
            const uint8_t* out = c.ScanLine(0) + 3 * x;
            EXPECT_EQ(out[0] >> (8 - otherBits), in[0] >> (8 - otherBits)) << int(f) << " x " << x;
            EXPECT_EQ(out[1] >> (8 - greenBits), in[1] >> (8 - greenBits)) << int(f) << " x " << x;
            EXPECT_EQ(out[2] >> (8 - otherBits), in[2] >> (8 - otherBits)) << int(f) << " x " << x;
        }
    }
}

TEST(Bitmap, IndexedFormatsConvertWhenEveryIndexFits)
{
    TBitmap b(9, 2, TPixelFormat::pf1bit);
    b.SetPalette(MakePalette({0, 0xFFFFFF}));
    b.ScanLine(0)[0] = 0xA5;
    b.ScanLine(0)[1] = 0x80;
    b.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(std::vector<uint8_t>(b.ScanLine(0), b.ScanLine(0) + 9),
              (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 1, 1}));
    b.ScanLine(1)[3] = 15;
    b.SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(b.ScanLine(0)[0], 0x10);
    EXPECT_EQ(b.ScanLine(1)[1], 0x0F);
    EXPECT_THROW(b.SetPixelFormat(TPixelFormat::pf1bit), EBitmapError) << "index 15 needs four bits";
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit) << "a refused conversion changes nothing";

    TBitmap big(2, 1, TPixelFormat::pf8bit);
    std::vector<uint32_t> colors(40);
    auto p = std::make_shared<TPalette>();
    p->Entries.resize(40);
    big.SetPalette(p);
    big.SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(big.Palette()->Entries.size(), 16u) << "the palette shrinks with the format";
}

TEST(Bitmap, ConversionsThatNeedAPaletteAreRefused)
{
    TBitmap b(2, 2, TPixelFormat::pf24bit);
    for (TPixelFormat f :
         {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pfCustom}) {
        try {
            b.SetPixelFormat(f);
            ADD_FAILURE() << int(f);
        } catch (const EBitmapError& e) {
            EXPECT_STREQ(e.what(), "Unsupported PixelFormat");
        }
    }
    TBitmap empty;
    empty.SetPixelFormat(TPixelFormat::pf1bit);
    EXPECT_EQ(empty.PixelFormat(), TPixelFormat::pf1bit);
    empty.SetSize(17, 2);
    EXPECT_EQ(empty.RowBytes(), 4u) << "the format chosen before the size decides the rows";
}

TEST(Bitmap, SetSizeKeepsTheOverlapAndRespectsTheLimit)
{
    TBitmap b(2, 2, TPixelFormat::pf8bit);
    b.ScanLine(0)[0] = 1;
    b.ScanLine(0)[1] = 2;
    b.ScanLine(1)[0] = 3;
    b.SetSize(5, 1);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 1);
    EXPECT_EQ((std::vector<uint8_t>(b.ScanLine(0), b.ScanLine(0) + 5)),
              (std::vector<uint8_t>{1, 2, 0, 0, 0}));
    EXPECT_THROW(b.SetSize(-1, 1), EBitmapError);
    try {
        b.SetSize(1 << 16, 1 << 16);
        ADD_FAILURE();
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "Bitmap is too large");
    }
    EXPECT_EQ(b.Width(), 5) << "a refused size keeps the bitmap";
    EXPECT_EQ(b.ScanLine(0)[1], 2);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, CopiesAreDeepAndTellNoOne)
{
    TBitmap a(3, 3, TPixelFormat::pf8bit);
    a.SetPalette(MakePalette({1, 2}));
    a.ScanLine(2)[2] = 1;
    a.Transparent = true;
    a.SetMask(TBitmap::MakeMonochrome(3, 3, std::vector<uint8_t>(6, 0xFF).data(), 2));
    int changes = 0;
    a.OnChange = [&](fl::TGraphic&) { ++changes; };

    TBitmap b(a);
    b.ScanLine(2)[2] = 0;
    EXPECT_EQ(a.ScanLine(2)[2], 1);
    EXPECT_EQ(b.Palette(), a.Palette());
    ASSERT_NE(b.Mask(), nullptr);
    EXPECT_NE(b.Mask(), a.Mask());
    EXPECT_TRUE(b.Transparent);
    EXPECT_FALSE(b.OnChange);

    TBitmap c;
    c.Assign(a);
    c.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(a.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(changes, 0);
    a.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(changes, 1);
}

TEST(Bitmap, MasksAreOneBitWithBlackAndWhite)
{
    // A mask buffer with rows padded to 16 bits, as frames build them.
    const uint8_t rows[] = {0x80, 0x40, 0xFF, 0xFF, 0x00, 0x01};
    auto mask = TBitmap::MakeMonochrome(10, 3, rows, 2);
    EXPECT_EQ(mask->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(mask->RowBytes(), 4u);
    EXPECT_EQ(mask->PixelColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(mask->PixelColor(1, 0), 0u);
    EXPECT_EQ(mask->PixelColor(9, 0), 0xFFFFFFu);
    EXPECT_EQ(mask->PixelColor(9, 2), 0u);
    EXPECT_EQ(mask->ScanLine(2)[1], 0x01) << "bits are copied as they are";

    TBitmap b(2, 1, TPixelFormat::pf24bit);
    auto colored = std::make_unique<TBitmap>(2, 1, TPixelFormat::pf24bit);
    colored->ScanLine(0)[4] = 1; // second pixel not black
    b.SetMask(std::move(colored));
    ASSERT_NE(b.Mask(), nullptr);
    EXPECT_EQ(b.Mask()->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(b.Mask()->ScanLine(0)[0], 0x40);
    EXPECT_THROW(b.SetMask(std::make_unique<TBitmap>(3, 1, TPixelFormat::pf1bit)), EBitmapError);
    b.SetMask(nullptr);
    EXPECT_EQ(b.Mask(), nullptr);
}

} // namespace
