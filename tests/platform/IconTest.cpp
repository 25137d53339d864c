// SPDX-License-Identifier: GPL-3.0-or-later
// Icons: .ico files read and written, the choice among several images, alpha
// masks, refusal of malformed files, and frames made from icons.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/Icon.h"

namespace fl {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// One icon image as a .ico file stores it: a DIB of twice the height, the
// color rows, then the AND rows, both bottom-up and padded to 4 bytes.
struct IconImageSpec {
    int width = 2;
    int height = 2;
    int bits = 24;
    std::vector<uint32_t> colors;   // table entries, 0x00RRGGBB
    std::vector<uint8_t> colorRows; // bottom-up, padded
    std::vector<uint8_t> maskRows;  // bottom-up, padded
    int entryBits = -1;             // the directory's bit count (-1: bits)
    bool png = false;
};

std::vector<uint8_t> ImageBytes(const IconImageSpec& s)
{
    std::vector<uint8_t> out;
    if (s.png) {
        const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0};
        out.assign(signature, signature + sizeof signature);
        return out;
    }
    Put(out, 40, 4);
    Put(out, uint32_t(s.width), 4);
    Put(out, uint32_t(2 * s.height), 4);
    Put(out, 1, 2);
    Put(out, uint32_t(s.bits), 2);
    Put(out, 0, 4);
    Put(out, uint32_t(s.colorRows.size() + s.maskRows.size()), 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, uint32_t(s.colors.size()), 4);
    Put(out, 0, 4);
    for (uint32_t c : s.colors)
        Put(out, c, 4);
    out.insert(out.end(), s.colorRows.begin(), s.colorRows.end());
    out.insert(out.end(), s.maskRows.begin(), s.maskRows.end());
    return out;
}

std::vector<uint8_t> IcoFile(const std::vector<IconImageSpec>& images)
{
    std::vector<uint8_t> out;
    Put(out, 0, 2);
    Put(out, 1, 2);
    Put(out, uint32_t(images.size()), 2);
    size_t offset = 6 + 16 * images.size();
    std::vector<uint8_t> data;
    for (const IconImageSpec& s : images) {
        const std::vector<uint8_t> bytes = ImageBytes(s);
        out.push_back(uint8_t(s.width & 0xFF));
        out.push_back(uint8_t(s.height & 0xFF));
        out.push_back(0);
        out.push_back(0);
        Put(out, 1, 2);
        Put(out, uint32_t(s.entryBits >= 0 ? s.entryBits : s.bits), 2);
        Put(out, uint32_t(bytes.size()), 4);
        Put(out, uint32_t(offset + data.size()), 4);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TIcon LoadIcon(const std::vector<uint8_t>& bytes)
{
    TIcon icon;
    TMemoryStream stream(bytes.data(), bytes.size());
    icon.LoadFromStream(stream);
    return icon;
}

std::string LoadError(const std::vector<uint8_t>& bytes)
{
    try {
        LoadIcon(bytes);
    } catch (const EBitmapError& error) {
        return error.what();
    }
    return "";
}

bool MaskBit(const TBitmap& mask, int x, int y)
{
    return mask.ScanLine(y)[x >> 3] & (0x80 >> (x & 7));
}

// A 2x2 24-bit image: bottom row blue, red; top row green, white; the top
// right pixel transparent.
IconImageSpec SmallTrueColor()
{
    IconImageSpec s;
    s.colorRows = {0xFF, 0,    0, 0,    0,    0xFF, 0, 0,  // bottom: blue, red
                   0,    0xFF, 0, 0xFF, 0xFF, 0xFF, 0, 0}; // top: green, white
    s.maskRows = {0, 0, 0, 0, 0x40, 0, 0, 0};
    return s;
}

TEST(IconReadTest, TrueColorImageAndMaskComeOutTopDown)
{
    TIcon icon = LoadIcon(IcoFile({SmallTrueColor()}));
    ASSERT_EQ(icon.Width(), 2);
    ASSERT_EQ(icon.Height(), 2);
    EXPECT_EQ(icon.Image().PixelColor(0, 0), 0x00FF00u);
    EXPECT_EQ(icon.Image().PixelColor(1, 0), 0xFFFFFFu);
    EXPECT_EQ(icon.Image().PixelColor(0, 1), 0x0000FFu);
    EXPECT_EQ(icon.Image().PixelColor(1, 1), 0xFF0000u);
    EXPECT_TRUE(MaskBit(icon.MaskBitmap(), 1, 0));
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 0, 0));
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 1, 1));

    const TBitmap drawn = icon.DrawOnBlack();
    EXPECT_EQ(drawn.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(drawn.PixelColor(1, 0), 0u);
    EXPECT_EQ(drawn.PixelColor(0, 0), 0x00FF00u);
}

TEST(IconReadTest, LargestImageWinsThenDeepest)
{
    IconImageSpec small4;
    small4.bits = 4;
    small4.colors = {0x000000, 0x123456};
    small4.colorRows = {0x11, 0, 0, 0, 0x11, 0, 0, 0};
    small4.maskRows.assign(8, 0);
    IconImageSpec small8 = small4;
    small8.bits = 8;
    small8.colorRows = {1, 1, 0, 0, 1, 1, 0, 0};
    small8.colors = {0x000000, 0xABCDEF};
    small8.entryBits = 0; // taken from the image header
    IconImageSpec large1;
    large1.width = large1.height = 3;
    large1.bits = 1;
    large1.colors = {0x000000, 0xFFFFFF};
    large1.colorRows = {0xA0, 0, 0, 0, 0x40, 0, 0, 0, 0xA0, 0, 0, 0};
    large1.maskRows.assign(12, 0);

    TIcon icon = LoadIcon(IcoFile({small4, small8}));
    EXPECT_EQ(icon.Image().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(icon.Image().PixelColor(0, 0), 0xABCDEFu);

    icon = LoadIcon(IcoFile({small8, large1, small4}));
    EXPECT_EQ(icon.Width(), 3);
    EXPECT_EQ(icon.Image().PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(icon.Image().PixelColor(1, 1), 0xFFFFFFu);
    EXPECT_EQ(icon.Image().PixelColor(0, 1), 0u);
}

TEST(IconReadTest, AlphaChannelMakesTheMaskWhenTheAndMaskIsEmpty)
{
    IconImageSpec s;
    s.bits = 32;
    // Bottom row: alpha 255, 127; top row: 128, 0.
    s.colorRows = {10, 20, 30, 255, 10, 20, 30, 127, 10, 20, 30, 128, 200, 200, 200, 0};
    s.maskRows.assign(8, 0);
    TIcon icon = LoadIcon(IcoFile({s}));
    EXPECT_TRUE(icon.AlphaChannel());
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 0, 1));
    EXPECT_TRUE(MaskBit(icon.MaskBitmap(), 1, 1));
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 0, 0));
    EXPECT_TRUE(MaskBit(icon.MaskBitmap(), 1, 0));
    // Partly transparent pixels are blended onto black when drawn.
    EXPECT_EQ(icon.DrawOnBlack().PixelColor(0, 0), uint32_t(15 << 16 | 10 << 8 | 5));

    // An AND mask with bits wins over alpha; alpha all zero means no alpha.
    s.maskRows = {0x80, 0, 0, 0, 0, 0, 0, 0};
    icon = LoadIcon(IcoFile({s}));
    EXPECT_TRUE(MaskBit(icon.MaskBitmap(), 0, 1));
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 1, 1));
    s.colorRows = {10, 20, 30, 0, 10, 20, 30, 0, 10, 20, 30, 0, 200, 200, 200, 0};
    s.maskRows.assign(8, 0);
    icon = LoadIcon(IcoFile({s}));
    EXPECT_FALSE(icon.AlphaChannel());
    EXPECT_FALSE(MaskBit(icon.MaskBitmap(), 1, 0));
    EXPECT_EQ(icon.DrawOnBlack().PixelColor(1, 0), 0xC8C8C8u);
}

TEST(IconReadTest, PngImagesAreRefusedUnlessABitmapImageExists)
{
    IconImageSpec png;
    png.width = png.height = 0; // 256 x 256
    png.png = true;
    EXPECT_EQ(LoadError(IcoFile({png})), "PNG-compressed icons are not supported");
    TIcon icon = LoadIcon(IcoFile({png, SmallTrueColor()}));
    EXPECT_EQ(icon.Width(), 2);
}

TEST(IconReadTest, MalformedFilesAreRefused)
{
    const std::vector<uint8_t> good = IcoFile({SmallTrueColor()});
    // Every truncation is refused cleanly.
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(size));
        EXPECT_EQ(LoadError(cut), "Icon image is not valid") << size;
    }
    std::vector<uint8_t> bad = good;
    bad[2] = 2; // a cursor
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");
    bad = good;
    bad[4] = 0; // no images
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");
    bad = good;
    bad[6 + 12] = 0xFF; // image offset past the end
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");
    bad = good;
    bad[22 + 14] = 7; // 7 bits per pixel
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");
    bad = good;
    bad[22 + 8] = 1; // a height of one row cannot hold colors and mask
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");
    bad = good;
    bad[22 + 16] = 1; // run-length compressed
    EXPECT_EQ(LoadError(bad), "Icon image is not valid");

    // A huge declared size fails on the limit, not on an allocation.
    bad = good;
    bad[22 + 4] = 0xFF;
    bad[22 + 5] = 0xFF;
    bad[22 + 6] = 0xFF;
    bad[22 + 9] = 0x40;
    EXPECT_FALSE(LoadError(bad).empty());
}

TEST(IconWriteTest, RoundTripKeepsPixelsPaletteAndMask)
{
    for (TPixelFormat format :
         {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit}) {
        TBitmap image(9, 5, TPixelFormat::pf8bit);
        auto palette = std::make_shared<TPalette>();
        palette->Entries = {{0, 0, 0, 0}, {255, 0, 0, 0}};
        image.SetPalette(palette);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                image.ScanLine(y)[x] = uint8_t((x + y) % 2);
        image.SetPixelFormat(format);
        TBitmap mask(9, 5, TPixelFormat::pf1bit);
        mask.ScanLine(4)[1] = 0x80; // (8, 4)
        mask.ScanLine(0)[0] = 0x01; // (7, 0)

        TIcon icon;
        icon.SetImage(image, &mask);
        TMemoryStream stream;
        icon.SaveToStream(stream);
        const TIcon loaded = LoadIcon(stream.Bytes());
        ASSERT_EQ(loaded.Width(), 9);
        ASSERT_EQ(loaded.Height(), 5);
        EXPECT_EQ(loaded.Image().PixelFormat(), format);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) {
                EXPECT_EQ(loaded.Image().PixelColor(x, y), (x + y) % 2 ? 0xFF0000u : 0u) << x << "," << y;
                EXPECT_EQ(MaskBit(loaded.MaskBitmap(), x, y), (x == 8 && y == 4) || (x == 7 && y == 0));
            }
    }
    TIcon empty;
    TMemoryStream stream;
    EXPECT_THROW(empty.SaveToStream(stream), EBitmapError);
}

TEST(IconFrameTest, TransparentIconBecomesFrameWithBlackTransparentColorLast)
{
    TBitmap image(4, 2, TPixelFormat::pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = image.ScanLine(y) + 3 * x;
            p[2] = x < 2 ? 255 : 0; // red or blue
            p[0] = x < 2 ? 0 : 255;
        }
    TBitmap mask(4, 2, TPixelFormat::pf1bit);
    mask.ScanLine(1)[0] = 0x30; // (2, 1) and (3, 1)
    TIcon icon;
    icon.SetImage(image, &mask);

    TGIFImage document;
    const int index = document.AddFrame(icon);
    TGIFSubImage& frame = *document.Frames[index];
    ASSERT_TRUE(frame.Transparent);
    ASSERT_NE(frame.ControlBlock, nullptr);
    const int transparent = frame.ControlBlock->TransparentIndex();
    EXPECT_EQ(transparent, frame.LocalColors.Count() - 1);
    EXPECT_EQ(frame.LocalColors.ColorAt(transparent), MakeColor(0, 0, 0));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool masked = y == 1 && x >= 2;
            EXPECT_EQ(frame.PixelAt(x, y) == transparent, masked) << x << "," << y;
            if (!masked) {
                EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(x, y)),
                          x < 2 ? MakeColor(255, 0, 0) : MakeColor(0, 0, 255));
            }
        }

    // An empty icon gives an empty frame.
    TIcon none;
    TGIFSubImage emptyFrame(&document);
    emptyFrame.CopyFrom(none);
    EXPECT_TRUE(emptyFrame.IsEmpty());
}

} // namespace
} // namespace fl
