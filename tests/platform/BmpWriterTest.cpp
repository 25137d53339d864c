// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/BmpCodec.h"

namespace {

using fl::TBitmap;
using fl::TBMPLayout;
using fl::TPixelFormat;

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A bitmap whose used bits all carry a pattern, with a 5-entry palette for
// the indexed formats (fewer entries than the bits allow).
TBitmap Patterned(TPixelFormat format, int width, int height)
{
    TBitmap b(width, height, format);
    auto palette = std::make_shared<fl::TPalette>();
    for (int i = 0; i < 5; ++i)
        palette->Entries.push_back({uint8_t(i * 50), uint8_t(255 - i * 40), uint8_t(i * 13), 0});
    if (IsIndexed(format))
        b.SetPalette(palette);
    uint32_t seed = 12345;
    const size_t used = (size_t(width) * size_t(b.BitsPerPixel()) + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (size_t i = 0; i < used; ++i) {
            seed = seed * 1103515245 + 12345;
            b.ScanLine(y)[i] = static_cast<uint8_t>(seed >> 16);
        }
    return b;
}

std::vector<uint8_t> Save(const TBitmap& b, TBMPLayout layout = TBMPLayout::File)
{
    fl::TMemoryStream s;
    fl::WriteBMP(b, s, layout);
    return s.Bytes();
}

TEST(BmpWriter, EveryFormatRoundTripsThroughFileAndPackedDIB)
{
    for (TPixelFormat f :
         {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
          TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pfDevice}) {
        for (TBMPLayout layout : {TBMPLayout::File, TBMPLayout::PackedDIB}) {
            const TBitmap original = Patterned(f, 13, 5);
            const std::vector<uint8_t> bytes = Save(original, layout);
            const TBitmap back = fl::ReadBMP(bytes.data(), bytes.size(), layout);
            const TPixelFormat expected = f == TPixelFormat::pfDevice ? TPixelFormat::pf32bit : f;
            ASSERT_EQ(back.PixelFormat(), expected) << int(f);
            ASSERT_EQ(back.Width(), 13);
            ASSERT_EQ(back.Height(), 5);
            if (IsIndexed(f)) {
                // 1 bit has room for two of the five colors
                auto colors = original.Palette()->Entries;
                colors.resize(std::min(colors.size(), size_t(1) << back.BitsPerPixel()));
                EXPECT_EQ(back.Palette()->Entries, colors) << int(f);
            }
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(back.PixelColor(x, y), original.PixelColor(x, y))
                        << int(f) << " at " << x << "," << y;
        }
    }
}

TEST(BmpWriter, HeadersDescribeAnUncompressedBottomUpImage)
{
    const TBitmap b = Patterned(TPixelFormat::pf4bit, 3, 2);
    const std::vector<uint8_t> f = Save(b);
    const size_t offset = 14 + 40 + 5 * 4;
    ASSERT_EQ(f.size(), offset + 2 * 4);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32(f, 2), f.size());
    EXPECT_EQ(U32(f, 10), offset);
    EXPECT_EQ(U32(f, 14), 40u);
    EXPECT_EQ(U32(f, 18), 3u);
    EXPECT_EQ(U32(f, 22), 2u) << "positive: bottom-up";
    EXPECT_EQ(U32(f, 30), 0u) << "no compression";
    EXPECT_EQ(U32(f, 46), 5u) << "colors used";
    EXPECT_EQ(f[offset], b.ScanLine(1)[0]) << "bottom row first";
    EXPECT_EQ(f[offset + 2], 0) << "padding is zero";
    EXPECT_EQ(f[offset + 4], b.ScanLine(0)[0]);

    const std::vector<uint8_t> dib = Save(b, TBMPLayout::PackedDIB);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 14, f.end()), dib);

    const std::vector<uint8_t> s16 = Save(Patterned(TPixelFormat::pf16bit, 1, 1));
    EXPECT_EQ(U32(s16, 30), 3u) << "5-6-5 needs bit fields";
    EXPECT_EQ(U32(s16, 54), 0xF800u);
    EXPECT_EQ(U32(s16, 10), 14u + 40 + 12);
}

TEST(BmpWriter, IndexedBitmapsWithoutPaletteGetAGrayRamp)
{
    TBitmap b(2, 1, TPixelFormat::pf4bit);
    b.ScanLine(0)[0] = 0xF1;
    const std::vector<uint8_t> bytes = Save(b);
    const TBitmap back = fl::ReadBMP(bytes.data(), bytes.size(), TBMPLayout::File);
    EXPECT_EQ(back.Palette()->Entries.size(), 16u);
    EXPECT_EQ(back.PixelColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(back.PixelColor(1, 0), 0x111111u);
    EXPECT_THROW(Save(TBitmap()), fl::EBitmapError);
}

// Files written by another program, when it is installed: bit depths,
// orientations and compressions we never write ourselves.
TEST(BmpWriter, FilesOfAnotherWriterMatchOurs)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "fl-bmp-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    TBitmap source(7, 3, TPixelFormat::pf24bit);
    const uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint32_t c = colors[(x + y) % 7];
            uint8_t* p = source.ScanLine(y) + 3 * x;
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
        }
    const std::string in = (dir / "in.bmp").string();
    source.SaveToFile(in);
    struct Variant {
        std::string options;
        bool exact;
    };
    for (const Variant& v :
         {Variant{"-type Palette -compress RLE", true}, Variant{"-type Palette", true},
          Variant{"-define bmp:format=bmp3 -type TrueColor", true},
          Variant{"-define bmp:subtype=RGB565", false}, Variant{"-define bmp:subtype=ARGB4444", false},
          Variant{"-define bmp:format=bmp2 -type Palette", true}}) {
        const std::string out = (dir / "out.bmp").string();
        const std::string command = "convert '" + in + "' " + v.options + " 'BMP:" + out + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            ADD_FAILURE() << "convert failed: " << v.options;
            continue;
        }
        TBitmap back;
        ASSERT_NO_THROW(back.LoadFromFile(out)) << v.options;
        ASSERT_EQ(back.Width(), 7) << v.options;
        ASSERT_EQ(back.Height(), 3) << v.options;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                const uint32_t want = colors[(x + y) % 7];
                const uint32_t got = back.PixelColor(x, y);
                if (v.exact) {
                    EXPECT_EQ(got, want) << v.options << " at " << x << "," << y;
                } else {
                    for (int shift : {0, 8, 16})
                        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 17)
                            << v.options << " at " << x << "," << y;
                }
            }
    }
    fs::remove_all(dir);
}

} // namespace
