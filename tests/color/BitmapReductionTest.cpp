// SPDX-License-Identifier: GPL-3.0-or-later
// Reducing whole bitmaps: the row reader and writer, the reduction entry and
// the device-independent copies handed to video export.
#include <gtest/gtest.h>

#include "color/BitmapReduction.h"
#include "color/ColorReduction.h"
#include "color/DIB.h"
#include "color/FixedPalettes.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

TBitmap Solid24(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = bitmap.ScanLine(y) + x * 3;
            pixel[0] = b;
            pixel[1] = g;
            pixel[2] = r;
        }
    return bitmap;
}

TEST(ReduceBitmapColorsTest, NoneGivesA24BitCopy)
{
    TBitmap source(3, 2, TPixelFormat::pf8bit);
    source.SetPalette(MakeGray4Palette());
    source.ScanLine(1)[2] = 3;
    auto result = ReduceBitmapColors(source, reduceNone, 5, 8, nullptr);
    EXPECT_EQ(result->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(result->PixelColor(2, 1), 0xFFFFFFu);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf8bit) << "only the reducing methods convert the source";
}

TEST(ReduceBitmapColorsTest, MapsToTheMethodsPaletteAndConvertsTheSource)
{
    TBitmap source(2, 1, TPixelFormat::pf8bit);
    auto palette = std::make_shared<TPalette>();
    palette->Entries = {{255, 0, 0, 0}, {0, 0, 255, 0}};
    source.SetPalette(palette);
    source.ScanLine(0)[1] = 1;

    auto gray = ReduceBitmapColors(source, reduceGray256, 0, 8, nullptr);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf24bit) << "the source is read as 24 bits, in place";
    ASSERT_EQ(gray->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(gray->ScanLine(0)[0], 76) << "pure red";
    EXPECT_EQ(gray->ScanLine(0)[1], 28) << "pure blue: 29 x 255 >> 8";
    EXPECT_EQ(gray->Palette()->Entries.size(), 256u);

    auto cube = ReduceBitmapColors(source, reduceWebSafe216, 1, 8, nullptr);
    EXPECT_EQ(cube->ScanLine(0)[0], 5 * 36);
    EXPECT_EQ(cube->ScanLine(0)[1], 5);
}

TEST(ReduceBitmapColorsTest, NothingToProduceGivesAnEmptyBitmap)
{
    TBitmap source = Solid24(4, 4, 10, 20, 30);
    EXPECT_TRUE(ReduceBitmapColors(source, reduceCustomPalette, 0, 8, nullptr)->Empty());
    EXPECT_TRUE(ReduceBitmapColors(source, reduceCustomPalette, 0, 8, std::make_shared<TPalette>())->Empty());
    EXPECT_TRUE(ReduceBitmapColors(source, 10, 0, 8, nullptr)->Empty()) << "unknown method";
    EXPECT_TRUE(ReduceBitmapColors(source, reduceMonochrome, 7, 8, nullptr)->Empty()) << "unknown dither mode";
}

TEST(ReduceBitmapColorsTest, QuantizedAndCustomPalettes)
{
    TBitmap source = Solid24(5, 3, 200, 100, 50);
    source.ScanLine(2)[0] = 255; // one blue pixel, bottom left
    source.ScanLine(2)[1] = 0;
    source.ScanLine(2)[2] = 0;
    auto quantized = ReduceBitmapColors(source, reduceQuantize, 0, 3, nullptr);
    ASSERT_FALSE(quantized->Empty());
    EXPECT_EQ(quantized->PixelColor(0, 2), 0x0000FFu);
    EXPECT_EQ(quantized->PixelColor(4, 0), 0xC86432u);

    auto custom = std::make_shared<TPalette>();
    custom->Entries = {{0, 0, 0, 0}, {210, 90, 40, 0}};
    auto mapped = ReduceBitmapColors(source, reduceCustomPalette, 0, 8, custom);
    EXPECT_EQ(mapped->ScanLine(0)[0], 1);
    EXPECT_EQ(mapped->Palette()->Entries, custom->Entries);

    TBitmap one = Solid24(1, 1, 1, 2, 3);
    EXPECT_EQ(ReduceBitmapColors(one, reduceQuantize, 1, 8, nullptr)->PixelColor(0, 0), 0x010203u);
    EXPECT_EQ(QuantizeBitmapPalette(one, 16, 8, false)->Entries.front(), (TPaletteEntry{1, 2, 3, 0}));
}

TEST(DIBWriterTest, RefusesWhatItCannotBuild)
{
    TBitmap bitmap;
    auto message = [&](TPixelFormat format, int width, int height) -> std::string {
        try {
            TDIBWriter writer(bitmap, format, width, height, nullptr);
            writer.ScanLine(height);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "";
    };
    EXPECT_EQ(message(TPixelFormat::pf16bit, 2, 2), "Unsupported PixelFormat");
    EXPECT_EQ(message(TPixelFormat::pf8bit, 0, 2), "Invalid image dimensions");
    EXPECT_EQ(message(TPixelFormat::pf24bit, 2, 2), "Scan line index out of range");
}

TEST(DIBWriterTest, ColorTableHas256Slots)
{
    TBitmap bitmap;
    TDIBWriter writer(bitmap, TPixelFormat::pf8bit, 3, 2, MakeGray4Palette());
    writer.ScanLine(0)[2] = 3;
    const std::vector<uint8_t> table = writer.ColorTable();
    ASSERT_EQ(table.size(), 1024u);
    EXPECT_EQ(table[1 * 4], 0x80);
    EXPECT_EQ(table[4 * 4], 0);
    writer.Finish();
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.PixelColor(2, 0), 0xFFFFFFu);
}

TEST(DIBCopyTest, SizesAndBottomUpRows)
{
    TBitmap bitmap = Solid24(5, 2, 1, 2, 3);
    bitmap.ScanLine(0)[0] = 9; // top-left blue
    EXPECT_EQ(DIBHeaderSizes(bitmap, TPixelFormat::pf8bit).HeaderSize, 40u + 1024u);
    EXPECT_EQ(DIBHeaderSizes(bitmap, TPixelFormat::pf1bit).ImageSize, 8u);
    const TDIBSizes sizes = DIBHeaderSizes(bitmap, TPixelFormat::pf24bit);
    EXPECT_EQ(sizes.HeaderSize, 40u);
    EXPECT_EQ(sizes.ImageSize, 32u);
    EXPECT_THROW(DIBHeaderSizes(bitmap, TPixelFormat::pf32bit), EBitmapError);

    std::vector<uint8_t> header, bits;
    ASSERT_TRUE(CopyBitmapBits(bitmap, nullptr, header, TPixelFormat::pf24bit, bits));
    EXPECT_EQ(header[14], 24);
    EXPECT_EQ(bits[16], 9) << "the top row comes last";

    auto palette = std::make_shared<TPalette>();
    palette->Entries = {{255, 255, 255, 0}, {0, 0, 10, 0}};
    ASSERT_TRUE(CopyBitmapBits(bitmap, palette, header, TPixelFormat::pf1bit, bits));
    EXPECT_EQ(header[14], 1);
    EXPECT_EQ(header[40 + 4], 10) << "entry 1 as blue, green, red, 0";
    EXPECT_EQ(bits[0], 0xF8) << "five dark pixels map to entry 1, most significant bit first";
}

} // namespace
} // namespace fl
