// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/BmpCodec.h"
#include "tests/platform/BmpBytes.h"

namespace {

using fl::EBitmapError;
using fl::TBitmap;
using fl::TBMPLayout;
using fl::TPixelFormat;
using fl::test::BmpSpec;
using fl::test::MakeBMP;

TBitmap Read(const std::vector<uint8_t>& bytes, TBMPLayout layout = TBMPLayout::File)
{
    return fl::ReadBMP(bytes.data(), bytes.size(), layout);
}

// Indices of an 8-bit bitmap, top row first.
std::vector<uint8_t> Indices8(const TBitmap& b)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < b.Height(); ++y)
        out.insert(out.end(), b.ScanLine(y), b.ScanLine(y) + b.Width());
    return out;
}

std::vector<std::array<uint8_t, 3>> Grays(int count, int step)
{
    std::vector<std::array<uint8_t, 3>> colors;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint8_t>(i * step);
        colors.push_back({v, v, v});
    }
    return colors;
}

TEST(BmpReader, CoreHeaderWithThreeByteEntriesAndShortPalette)
{
    BmpSpec s;
    s.headerSize = 12;
    s.width = 2;
    s.height = 2;
    s.bitCount = 8;
    s.colors = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}; // 3 of 256: the bits' offset says so
    s.bits = {0, 1, 0, 0, /* top row */ 2, 0, 0, 0};
    const TBitmap b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(b.Palette()->Entries.size(), 3u);
    EXPECT_EQ(b.PixelColor(0, 0), 0x0000FFu);
    EXPECT_EQ(b.PixelColor(1, 0), 0xFF0000u);
    EXPECT_EQ(b.PixelColor(0, 1), 0xFF0000u);
    EXPECT_EQ(b.PixelColor(1, 1), 0x00FF00u);
}

TEST(BmpReader, IndexedDepthsWithFewerColorsThanBitsAllow)
{
    BmpSpec s;
    s.width = 10;
    s.height = 1;
    s.bitCount = 1;
    s.colors = {{10, 20, 30}, {200, 100, 50}};
    s.bits = {0xA0, 0x40, 0, 0}; // 1 0 1 0 0 0 0 0 | 0 1
    TBitmap b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0xC86432u);
    EXPECT_EQ(b.PixelColor(1, 0), 0x0A141Eu);
    EXPECT_EQ(b.PixelColor(9, 0), 0xC86432u);

    s.bitCount = 4;
    s.colorsUsed = 2;
    s.width = 3;
    s.bits = {0x10, 0xF0, 0, 0}; // 1, 0, 15 (past the palette: black)
    b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(b.Palette()->Entries.size(), 2u);
    EXPECT_EQ(b.PixelColor(0, 0), 0xC86432u);
    EXPECT_EQ(b.PixelColor(1, 0), 0x0A141Eu);
    EXPECT_EQ(b.PixelColor(2, 0), 0u);
}

TEST(BmpReader, TopDownAndBottomUpGiveTheSameImage)
{
    BmpSpec up;
    up.width = 1;
    up.height = 3;
    up.bits = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}; // bottom row first
    BmpSpec down = up;
    down.height = -3;
    down.bits = {7, 8, 9, 0, 4, 5, 6, 0, 1, 2, 3, 0};
    const TBitmap a = Read(MakeBMP(up));
    const TBitmap b = Read(MakeBMP(down));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(a.PixelColor(0, y), b.PixelColor(0, y)) << y;
    EXPECT_EQ(a.PixelColor(0, 0), 0x090807u);
    EXPECT_EQ(a.PixelColor(0, 2), 0x030201u);
}

TEST(BmpReader, LargerHeadersCarryTheirMasks)
{
    for (uint32_t size : {52u, 56u, 108u, 124u}) {
        BmpSpec s;
        s.headerSize = size;
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.width = 2;
        s.bits = {0x00, 0xF8, 0x1F, 0x00};
        const TBitmap b = Read(MakeBMP(s));
        EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf16bit) << size;
        EXPECT_EQ(b.PixelColor(0, 0), 0xFF0000u) << size;
        EXPECT_EQ(b.PixelColor(1, 0), 0x0000FFu) << size;
    }
    BmpSpec v5; // masks of a V5 header are ignored without bit-field compression
    v5.headerSize = 124;
    v5.bitCount = 32;
    v5.masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
    v5.bits = {1, 2, 3, 4};
    const TBitmap b = Read(MakeBMP(v5));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0x030201u);
}

TEST(BmpReader, BitFieldMasks)
{
    BmpSpec s;
    s.compression = 3;
    s.bitCount = 16;
    s.width = 2;
    s.masks = {0x7C00, 0x03E0, 0x001F};
    s.bits = {0xE0, 0x03, 0x00, 0x7C}; // green, red
    TBitmap b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf15bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0x00FF00u);
    EXPECT_EQ(b.PixelColor(1, 0), 0xFF0000u);

    // 4-4-4: no format of our own, so 24 bits, full scale kept
    s.masks = {0x0F00, 0x00F0, 0x000F};
    s.bits = {0x8F, 0x0F, 0x00, 0x00}; // red 15, green 8, blue 15
    b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0xFF88FFu);

    // 10-10-10 in 32 bits keeps the high 8 bits of each channel
    s.bitCount = 32;
    s.width = 1;
    s.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    const uint32_t p = (0x3FFu << 20) | (0x200u << 10) | 0x004u;
    s.bits = {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)};
    b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0xFF8001u);

    // alpha bit fields after a 40-byte header: four masks
    s.compression = 6;
    s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    s.bits = {1, 2, 3, 4};
    b = Read(MakeBMP(s));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(b.PixelColor(0, 0), 0x030201u);
}

TEST(BmpReader, RLE8WithEveryEscape)
{
    BmpSpec s;
    s.width = 6;
    s.height = 3;
    s.bitCount = 8;
    s.compression = 1;
    s.colors = Grays(8, 30);
    s.bits = {3, 5,             // run of three 5s
              0, 3, 1, 2, 3, 0, // absolute 1 2 3, padded
              0, 0,             // end of line
              0, 2, 2, 1,       // delta: skip the middle row, to x 2
              2, 7,             // two 7s
              0, 1};            // end of bitmap
    const TBitmap b = Read(MakeBMP(s));
    EXPECT_EQ(Indices8(b),
              (std::vector<uint8_t>{0, 0, 7, 7, 0, 0, /**/ 0, 0, 0, 0, 0, 0, /**/ 5, 5, 5, 1, 2, 3}));

    // runs overhanging the row are clipped (an odd row padded to even)
    s.height = 2;
    s.bits = {8, 3, 0, 0, 2, 1, 0, 7, 1, 2, 3, 4, 5, 6, 7, 0, 0, 1};
    EXPECT_EQ(Indices8(Read(MakeBMP(s))), (std::vector<uint8_t>{1, 1, 1, 2, 3, 4, /**/ 3, 3, 3, 3, 3, 3}));

    // the end-of-bitmap escape may be missing once every row has ended
    s.height = 1;
    s.bits = {6, 4, 0, 0};
    EXPECT_EQ(Indices8(Read(MakeBMP(s))), (std::vector<uint8_t>{4, 4, 4, 4, 4, 4}));
}

TEST(BmpReader, RLE4WithEveryEscape)
{
    BmpSpec s;
    s.width = 5;
    s.height = 2;
    s.bitCount = 4;
    s.compression = 2;
    s.colors = Grays(16, 17);
    s.bits = {2, 0x12,             // 1 2
              0, 3,    0x13, 0x40, // absolute 1 3 4
              0, 0,                // end of line
              0, 2,    1,    0,    // delta one to the right
              0, 3,    0x56, 0x70, // absolute 5 6 7
              0, 1};
    TBitmap b = Read(MakeBMP(s));
    b.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(Indices8(b), (std::vector<uint8_t>{0, 5, 6, 7, 0, /**/ 1, 2, 1, 3, 4}));
}

TEST(BmpReader, PackedDIBsFindTheirBitsAfterTheColorTable)
{
    BmpSpec s;
    s.fileHeader = false;
    s.bitCount = 8;
    s.width = 2;
    s.colorsUsed = 2;
    s.colors = {{1, 2, 3}, {4, 5, 6}};
    s.bits = {1, 0, 0, 0};
    TBitmap b = Read(MakeBMP(s), TBMPLayout::PackedDIB);
    EXPECT_EQ(b.PixelColor(0, 0), 0x040506u);
    EXPECT_EQ(b.PixelColor(1, 0), 0x010203u);

    BmpSpec f;
    f.fileHeader = false;
    f.bitCount = 16;
    f.compression = 3;
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.bits = {0x1F, 0x00, 0, 0};
    b = Read(MakeBMP(f), TBMPLayout::PackedDIB);
    EXPECT_EQ(b.PixelColor(0, 0), 0x0000FFu);
}

std::vector<uint8_t> Small8Bit()
{
    BmpSpec s;
    s.width = 4;
    s.height = 2;
    s.bitCount = 8;
    s.colors = Grays(4, 80);
    s.bits = {0, 1, 2, 3, 3, 2, 1, 0};
    return MakeBMP(s);
}

void Patch32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(BmpReader, MalformedFilesAreRefused)
{
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        std::string message = "Bitmap image is not valid";
    };
    std::vector<Case> cases;
    const auto patched = [](size_t at, uint32_t v, int bytes = 4) {
        std::vector<uint8_t> b = Small8Bit();
        for (int i = 0; i < bytes; ++i)
            b[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    cases.push_back({"empty", {}});
    cases.push_back({"no signature", patched(0, 'X', 1)});
    cases.push_back({"unknown header size", patched(14, 20)});
    cases.push_back({"header past the end", patched(14, 4000)});
    cases.push_back({"zero width", patched(18, 0)});
    cases.push_back({"negative width", patched(18, uint32_t(-4))});
    cases.push_back({"zero height", patched(22, 0)});
    cases.push_back({"most negative height", patched(22, 0x80000000u)});
    cases.push_back({"bit count 3", patched(28, 3, 2)});
    cases.push_back({"bit count 0", patched(28, 0, 2)});
    cases.push_back({"unknown compression", patched(30, 9)});
    cases.push_back({"RLE4 on 8 bits", patched(30, 2)});
    cases.push_back({"bit fields on 8 bits", patched(30, 3)});
    cases.push_back({"more colors than bits", patched(46, 257)});
    cases.push_back({"bits offset past the end", patched(10, 5000)});
    cases.push_back({"bits offset inside the header", patched(10, 20)});
    cases.push_back({"no color table", patched(10, 54)});
    cases.push_back({"huge dimensions", patched(18, 0x7FFFFFFF), "Bitmap is too large"});
    cases.push_back({"embedded PNG", patched(30, 5), "Unsupported bitmap format"});
    {
        std::vector<uint8_t> b = Small8Bit();
        b.resize(b.size() - 5);
        cases.push_back({"truncated pixels", b});
    }
    {
        std::vector<uint8_t> b = Small8Bit();
        b.resize(14 + 40 + 6);
        Patch32(b, 10, 14 + 40 + 6);
        cases.push_back({"table cut inside an entry, no bits", b});
    }

    BmpSpec rle;
    rle.width = 4;
    rle.height = 2;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.colors = Grays(2, 255);
    const auto withRLE = [&](std::vector<uint8_t> bits, int32_t height = 2) {
        BmpSpec s = rle;
        s.bits = std::move(bits);
        s.height = height;
        return MakeBMP(s);
    };
    cases.push_back({"RLE absolute run past the data", withRLE({0, 4, 1, 1})});
    cases.push_back({"RLE delta past the image", withRLE({0, 2, 0, 3, 0, 1})});
    cases.push_back({"RLE delta past the row", withRLE({0, 2, 5, 0, 0, 1})});
    cases.push_back({"RLE pixels after the last row", withRLE({0, 0, 0, 0, 1, 1})});
    cases.push_back({"RLE lines past the image", withRLE({0, 0, 0, 0, 0, 0})});
    cases.push_back({"RLE data ends early", withRLE({4, 1, 0, 0})});
    cases.push_back({"RLE delta cut short", withRLE({0, 2, 1})});
    cases.push_back({"top-down RLE", withRLE({0, 1}, -2)});

    BmpSpec fields;
    fields.bitCount = 16;
    fields.compression = 3;
    fields.bits = {0, 0, 0, 0};
    const auto withMasks = [&](std::vector<uint32_t> masks, uint16_t bitCount = 16) {
        BmpSpec s = fields;
        s.masks = std::move(masks);
        s.bitCount = bitCount;
        return MakeBMP(s);
    };
    cases.push_back({"zero mask", withMasks({0xF800, 0, 0x1F})});
    cases.push_back({"mask with a gap", withMasks({0xF000, 0x0500, 0x1F})});
    cases.push_back({"mask wider than the pixel", withMasks({0x1F0000, 0x7E0, 0x1F})});
    cases.push_back({"bit fields on 24 bits", withMasks({0xFF0000, 0xFF00, 0xFF}, 24)});
    {
        std::vector<uint8_t> b = withMasks({0xF800, 0x07E0, 0x001F});
        b.resize(14 + 40 + 6);
        cases.push_back({"masks cut short", b});
    }
    BmpSpec packed;
    packed.fileHeader = false;
    packed.bitCount = 8;
    packed.colorsUsed = 200;
    packed.colors = Grays(2, 255);
    packed.bits = {0, 0, 0, 0};
    const std::vector<uint8_t> longTable = MakeBMP(packed);

    BmpSpec core;
    core.headerSize = 12;
    core.bitCount = 16;
    core.bits = {0, 0, 0, 0};

    for (const Case& c : cases) {
        try {
            Read(c.bytes);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EBitmapError& e) {
            EXPECT_EQ(e.what(), c.message) << c.name;
        }
    }
    EXPECT_THROW(Read(longTable, TBMPLayout::PackedDIB), EBitmapError);
    EXPECT_THROW(Read(MakeBMP(core)), EBitmapError);
    EXPECT_THROW(Read(Small8Bit(), TBMPLayout::PackedDIB), EBitmapError) << "a file header is not a DIB";
}

TEST(BmpReader, EveryTruncationIsRefusedWithoutReadingPastTheEnd)
{
    std::vector<std::vector<uint8_t>> files{Small8Bit()};
    BmpSpec rle;
    rle.width = 4;
    rle.height = 2;
    rle.bitCount = 4;
    rle.compression = 2;
    rle.colors = Grays(16, 17);
    rle.bits = {4, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1};
    files.push_back(MakeBMP(rle));
    BmpSpec fields;
    fields.headerSize = 108;
    fields.bitCount = 32;
    fields.compression = 3;
    fields.masks = {0x3FF00000, 0xFFC00, 0x3FF};
    fields.width = 2;
    fields.bits = std::vector<uint8_t>(8, 0x55);
    files.push_back(MakeBMP(fields));
    BmpSpec core;
    core.headerSize = 12;
    core.bitCount = 1;
    core.width = 32;
    core.colors = {{0, 0, 0}, {255, 255, 255}};
    core.bits = {1, 2, 3, 4};
    files.push_back(MakeBMP(core));

    for (size_t f = 0; f < files.size(); ++f) {
        ASSERT_NO_THROW(Read(files[f])) << f;
        for (size_t n = 0; n < files[f].size(); ++n) {
            // An exact-size copy, so that the sanitizers see any read past it.
            const std::vector<uint8_t> cut(files[f].begin(), files[f].begin() + std::ptrdiff_t(n));
            EXPECT_THROW(Read(cut), EBitmapError) << "file " << f << " cut at " << n;
        }
    }
}

std::string Shared(const std::string& name)
{
    return std::string(FL_SHARED_DIR) + "/corpus/still/" + name;
}

TEST(BmpReader, CorpusPhotographsLoad)
{
    // V5 headers, 24 bits, bottom-up; the GIF beside each is a reduced copy,
    // so only its size must agree. Pixel values were read with another program.
    struct Expect {
        std::string name;
        int width, height;
        int x, y;
        uint32_t color;
    };
    for (const Expect& e : {Expect{"harvesters", 1165, 859, 10, 20, 0xC6B49Cu},
                            Expect{"harvesters", 1165, 859, 1164, 858, 0x0D010Bu},
                            Expect{"hibiscus.regular", 312, 442, 150, 200, 0x4D6151u}}) {
        TBitmap b;
        b.LoadFromFile(Shared(e.name + ".bmp"));
        EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit) << e.name;
        EXPECT_EQ(b.Width(), e.width) << e.name;
        EXPECT_EQ(b.Height(), e.height) << e.name;
        EXPECT_EQ(b.PixelColor(e.x, e.y), e.color) << e.name;
        fl::TGIFImage gif;
        gif.LoadFromFile(Shared(e.name + ".gif"));
        EXPECT_EQ(gif.Width(), b.Width()) << e.name;
        EXPECT_EQ(gif.Height(), b.Height()) << e.name;
    }
}

} // namespace
