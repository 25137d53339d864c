// SPDX-License-Identifier: GPL-3.0-or-later
// Frames and bitmaps: rendering indices into 8-bit bitmaps with masks (plain
// and dithered to the web cube), and bitmaps, masks and other pictures
// becoming frames.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "color/ColorLookup.h"
#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "gif/GIFImage.h"
#include "platform/Abort.h"
#include "platform/ConvertError.h"
#include "platform/GIFException.h"
#include "platform/Icon.h"

namespace fl {
namespace {

struct TProgressLog {
    struct TEntry {
        TProgressStage stage;
        int percent;
        bool redraw;
        std::string message;
    };
    std::vector<TEntry> entries;
    void Attach(TGraphic& graphic)
    {
        graphic.OnProgress = [this](TGraphic&, TProgressStage stage, int percent, bool redraw,
                                    const std::string& message) {
            entries.push_back({stage, percent, redraw, message});
        };
    }
};

// The cube color of index i: exact cube colors dither without any error.
TColor CubeColor(int i)
{
    return MakeColor(uint8_t(51 * (i / 36 % 6)), uint8_t(51 * (i / 6 % 6)), uint8_t(51 * (i % 6)));
}

TGIFSubImage& AddIndexedFrame(TGIFImage& image, int width, int height, const std::vector<TColor>& colors,
                              const std::function<uint8_t(int, int)>& pixel)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, width, height);
    for (TColor color : colors)
        frame->LocalColors.Add(color);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame->RowAt(y)[x] = pixel(x, y);
    TGIFSubImage& result = *frame;
    image.AddFrame(std::move(frame));
    return result;
}

void MakeTransparent(TGIFSubImage& frame, int index)
{
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    control->SetTransparent(true);
    control->SetTransparentIndex(index);
    frame.Extensions.Append(std::move(control));
}

bool MaskBit(const TBitmap& mask, int x, int y)
{
    return mask.ScanLine(y)[x >> 3] & (0x80 >> (x & 7));
}

// A 24-bit bitmap from colors given as 0x00RRGGBB.
TBitmap TrueColorBitmap(int width, int height, const std::function<uint32_t(int, int)>& rgb)
{
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb(x, y);
            row[3 * x] = uint8_t(c);
            row[3 * x + 1] = uint8_t(c >> 8);
            row[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    return bitmap;
}

TPaletteHandle GrayPalette(int count)
{
    auto palette = std::make_shared<TPalette>();
    for (int i = 0; i < count; ++i)
        palette->Entries.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
    return palette;
}

uint32_t RGBOf(TColor color)
{
    return uint32_t(RedOf(color)) << 16 | uint32_t(GreenOf(color)) << 8 | BlueOf(color);
}

// ---- Rendering ------------------------------------------------------------

TEST(FrameRenderTest, DirectRenderingKeepsIndicesAndMasksOnlyTransparentPixels)
{
    TGIFImage image;
    const std::vector<TColor> colors{MakeColor(10, 20, 30), MakeColor(200, 0, 0), MakeColor(0, 99, 0),
                                     MakeColor(1, 2, 3)};
    for (int width : {13, 17}) {
        image.Reset();
        auto pixel = [](int x, int y) { return uint8_t((x * 7 + y * 3) % 4); };
        TGIFSubImage& frame = AddIndexedFrame(image, width, 5, colors, pixel);
        MakeTransparent(frame, 3);
        TBitmap* bitmap = frame.RenderBitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_FALSE(frame.MaskPending);
        EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
        EXPECT_EQ(bitmap->Palette(), frame.PaletteHandle());
        ASSERT_NE(bitmap->Mask(), nullptr);
        EXPECT_TRUE(frame.MaskAvailable());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(bitmap->ScanLine(y)[x], pixel(x, y)) << width << ": " << x << "," << y;
                EXPECT_EQ(MaskBit(*bitmap->Mask(), x, y), pixel(x, y) == 3) << width << ": " << x << "," << y;
            }
        // Cached: the same object until something drops it.
        EXPECT_EQ(frame.RenderBitmap(), bitmap);
    }
}

TEST(FrameRenderTest, TransparentFrameWithoutTransparentPixelsHasNoMask)
{
    TGIFImage image;
    TGIFSubImage& frame =
        AddIndexedFrame(image, 4, 4, {MakeColor(0, 0, 0), MakeColor(9, 9, 9), MakeColor(5, 5, 5)},
                        [](int x, int) { return uint8_t(x % 2); });
    MakeTransparent(frame, 2);
    ASSERT_NE(frame.RenderBitmap(), nullptr);
    EXPECT_EQ(frame.RenderBitmap()->Mask(), nullptr);
    EXPECT_FALSE(frame.MaskAvailable());

    // Not transparent at all: no mask either, even with matching pixels.
    TGIFSubImage& opaque = AddIndexedFrame(image, 4, 4, {MakeColor(0, 0, 0), MakeColor(9, 9, 9)},
                                           [](int x, int) { return uint8_t(x % 2); });
    ASSERT_NE(opaque.RenderBitmap(), nullptr);
    EXPECT_EQ(opaque.RenderBitmap()->Mask(), nullptr);
}

TEST(FrameRenderTest, EmptyFrameRendersNothing)
{
    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    EXPECT_EQ(frame->RenderBitmap(), nullptr);
    EXPECT_FALSE(frame->MaskAvailable());
}

TEST(FrameRenderTest, LargeFrameStillRendersAtEightBits)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 1001, 500, {MakeColor(0, 0, 0), MakeColor(255, 255, 255)},
                                          [](int x, int y) { return uint8_t((x + y) & 1); });
    TBitmap* bitmap = frame.RenderBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap->Width(), 1001);
    EXPECT_EQ(bitmap->Height(), 500);
    EXPECT_EQ(bitmap->ScanLine(499)[1000], 1);
}

class FrameDitherTest : public testing::Test {
protected:
    void SetUp() override { image.SetPaintFlags(paintDither); }
    TGIFImage image;
};

TEST_F(FrameDitherTest, CubeColorsMapExactlyAndMaskFollowsTheSerpentine)
{
    // Every opaque pixel has its own cube color, so a source position that
    // drifts on backward rows shows up as a wrong index.
    std::vector<TColor> colors;
    for (int i = 0; i < 215; ++i)
        colors.push_back(CubeColor(i));
    colors.push_back(MakeColor(100, 200, 30)); // the transparent color, off the cube
    const int transparent = 215;
    for (int width : {13, 17}) {
        image.Reset();
        // Transparent at both ends of every row, and here and there inside.
        auto pixel = [width](int x, int y) {
            if (x == 0 || x == width - 1 || (x * 5 + y * 3) % 7 == 0)
                return uint8_t(transparent);
            return uint8_t((x * 11 + y * 29) % 215);
        };
        TGIFSubImage& frame = AddIndexedFrame(image, width, 6, colors, pixel);
        MakeTransparent(frame, transparent);
        TBitmap* bitmap = frame.RenderBitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_NE(bitmap->Palette(), nullptr);
        EXPECT_EQ(bitmap->Palette()->Entries.size(), 216u);
        ASSERT_NE(bitmap->Mask(), nullptr);
        // round(36*100/51) + round(6*200/51) + 30 div 51 + 1 = 71 + 24 + 0 + 1
        const uint8_t fill = 96;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t p = pixel(x, y);
                const bool isTransparent = p == transparent;
                EXPECT_EQ(MaskBit(*bitmap->Mask(), x, y), isTransparent) << width << ": " << x << "," << y;
                EXPECT_EQ(bitmap->ScanLine(y)[x], isTransparent ? fill : p) << width << ": " << x << "," << y;
            }
    }
}

TEST_F(FrameDitherTest, FillIndexForExtremeTransparentColors)
{
    for (auto [color, fill] : {std::pair{MakeColor(0, 0, 0), 1}, std::pair{MakeColor(255, 255, 255), 216}}) {
        image.Reset();
        TGIFSubImage& frame = AddIndexedFrame(image, 3, 1, {MakeColor(51, 51, 51), color},
                                              [](int x, int) { return uint8_t(x == 1); });
        MakeTransparent(frame, 1);
        TBitmap* bitmap = frame.RenderBitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->ScanLine(0)[1], fill);
        EXPECT_EQ(bitmap->ScanLine(0)[0], 43); // (51, 51, 51) is cube entry 36 + 6 + 1
    }
}

TEST_F(FrameDitherTest, OpaqueFramesDitherAsTheFloydSteinbergEngine)
{
    // Off-cube colors spread errors; without transparent pixels the result
    // must be the color routines' engine on the same true-color image.
    std::vector<TColor> colors;
    for (int i = 0; i < 40; ++i)
        colors.push_back(MakeColor(uint8_t(i * 6 + 7), uint8_t(250 - i * 5), uint8_t(i * 37 % 256)));
    const int width = 17, height = 9;
    auto pixel = [](int x, int y) { return uint8_t((x * 3 + y * 7) % 40); };
    TGIFSubImage& frame = AddIndexedFrame(image, width, height, colors, pixel);
    TBitmap* bitmap = frame.RenderBitmap();
    ASSERT_NE(bitmap, nullptr);

    std::vector<uint8_t> bgr(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TColor c = colors[pixel(x, y)];
            uint8_t* p = &bgr[(size_t(y) * width + x) * 3];
            p[0] = BlueOf(c);
            p[1] = GreenOf(c);
            p[2] = RedOf(c);
        }
    std::vector<uint8_t> expected(size_t(width) * height);
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer engine(width, lookup);
    engine.DitherImage({width, height, [&](int y) { return &bgr[size_t(y) * width * 3]; }},
                       [&](int y) { return &expected[size_t(y) * width]; });
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(bitmap->ScanLine(y)[x], expected[size_t(y) * width + x]) << x << "," << y;
}

TEST(FrameRenderProgressTest, ReportsEvery32RowsBetweenStartAndEnd)
{
    TGIFImage image;
    TGIFSubImage& frame =
        AddIndexedFrame(image, 3, 70, {MakeColor(0, 0, 0)}, [](int, int) { return uint8_t(0); });
    TProgressLog log;
    log.Attach(image);
    image.PaletteModified = true;
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    ASSERT_NE(frame.RenderBitmap(), nullptr);
    ASSERT_EQ(log.entries.size(), 5u);
    EXPECT_EQ(log.entries[0].stage, TProgressStage::Starting);
    EXPECT_EQ(log.entries[0].percent, 0);
    EXPECT_FALSE(log.entries[0].redraw);
    const int running[] = {0, 32 * 100 / 70, 64 * 100 / 70};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(log.entries[size_t(i) + 1].stage, TProgressStage::Running);
        EXPECT_EQ(log.entries[size_t(i) + 1].percent, running[i]);
    }
    EXPECT_EQ(log.entries[4].stage, TProgressStage::Ending);
    EXPECT_EQ(log.entries[4].percent, 100);
    // The redraw flag carries the palette-modified flag, which also signals.
    EXPECT_TRUE(log.entries[4].redraw);
    EXPECT_EQ(changes, 1);
    for (const auto& entry : log.entries)
        EXPECT_EQ(entry.message, "Rendering...");
}

TEST(FrameRenderProgressTest, CancellationIsSilentAndKeepsTheMaskPending)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 4, 40, {MakeColor(0, 0, 0), MakeColor(1, 1, 1)},
                                          [](int x, int) { return uint8_t(x == 2); });
    MakeTransparent(frame, 1);
    std::vector<std::pair<TProgressStage, int>> seen;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const std::string&) {
        seen.emplace_back(stage, percent);
        if (stage == TProgressStage::Running && percent > 0)
            throw EAbort();
    };
    EXPECT_EQ(frame.RenderBitmap(), nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(TProgressStage::Ending, 0));
    EXPECT_TRUE(frame.MaskPending);

    image.OnProgress = nullptr;
    EXPECT_TRUE(frame.MaskAvailable());
}

TEST(FrameRenderProgressTest, ErrorsPassOnAfterEndingAtZero)
{
    // No colors anywhere: the palette lookup needs itself.
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 2, 2, {}, [](int, int) { return uint8_t(0); });
    TProgressLog log;
    log.Attach(image);
    EXPECT_THROW(frame.RenderBitmap(), GIFException);
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.back().stage, TProgressStage::Ending);
    EXPECT_EQ(log.entries.back().percent, 0);
    EXPECT_EQ(frame.Bitmap(), nullptr);
}

// ---- Caches ---------------------------------------------------------------

TEST(FrameCacheTest, PaletteAndGeometryChangesDropTheRendering)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 4, 4, {MakeColor(0, 0, 0), MakeColor(255, 0, 0)},
                                          [](int x, int) { return uint8_t(x & 1); });
    TBitmap* bitmap = frame.RenderBitmap();
    ASSERT_NE(bitmap, nullptr);
    // The rendering answers for the frame's palette.
    EXPECT_EQ(frame.PaletteHandle(), bitmap->Palette());
    // The same palette again changes nothing.
    frame.SetPaletteHandle(bitmap->Palette());
    EXPECT_EQ(frame.Bitmap(), bitmap);

    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    image.PaletteModified = false;
    frame.SetPaletteHandle(GrayPalette(2));
    EXPECT_EQ(frame.Bitmap(), nullptr);
    EXPECT_TRUE(image.PaletteModified);
    EXPECT_EQ(changes, 1);

    ASSERT_NE(frame.RenderBitmap(), nullptr);
    frame.SetGeometry(0, 0, 4, 4);
    EXPECT_NE(frame.Bitmap(), nullptr);
    frame.SetGeometry(0, 0, 5, 4);
    EXPECT_EQ(frame.Bitmap(), nullptr);
}

TEST(FrameCacheTest, AReleasedRenderingComesBackWithItsMask)
{
    TGIFImage image;
    auto pixel = [](int x, int y) { return uint8_t((x + y) % 3); };
    TGIFSubImage& frame =
        AddIndexedFrame(image, 6, 3, {MakeColor(0, 0, 0), MakeColor(255, 0, 0), MakeColor(0, 0, 255)}, pixel);
    MakeTransparent(frame, 2);
    ASSERT_NE(frame.RenderBitmap(), nullptr);
    ASSERT_FALSE(frame.MaskPending);

    frame.ReleaseRendering();
    EXPECT_EQ(frame.Bitmap(), nullptr);
    const TBitmap* again = frame.RenderBitmap();
    ASSERT_NE(again, nullptr);
    ASSERT_NE(again->Mask(), nullptr) << "the mask is made again with the rendering";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(again->ScanLine(y)[x], pixel(x, y));
            EXPECT_EQ(MaskBit(*again->Mask(), x, y), pixel(x, y) == 2);
        }
}

TEST(FrameCacheTest, CopyingFramesCopiesTheRenderingButNotFromEmptyFrames)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 3, 2, {MakeColor(0, 0, 0), MakeColor(7, 7, 7)},
                                          [](int x, int) { return uint8_t(x == 1); });
    ASSERT_NE(frame.RenderBitmap(), nullptr);
    TGIFSubImage copy(&image);
    copy.CopyFrom(frame);
    ASSERT_NE(copy.Bitmap(), nullptr);
    EXPECT_NE(copy.Bitmap(), frame.Bitmap());
    EXPECT_EQ(copy.Bitmap()->ScanLine(0)[1], 1);

    // An empty frame holding a comment copies as an empty frame without it.
    TGIFSubImage empty(&image);
    auto comment = std::make_unique<TGIFCommentExtension>(empty);
    comment->Lines.push_back("trailing");
    empty.Extensions.Append(std::move(comment));
    copy.CopyFrom(empty);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.Extensions.Count(), 0);
    EXPECT_EQ(copy.Bitmap(), nullptr);
}

// ---- Bitmaps to frames ----------------------------------------------------

TEST(FrameImportTest, EightBitBitmapKeepsItsTableAndPixels)
{
    TGIFImage image;
    TBitmap bitmap(300, 200, TPixelFormat::pf8bit);
    bitmap.SetPalette(GrayPalette(256));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            bitmap.ScanLine(y)[x] = uint8_t(x * 7 + y);
    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    EXPECT_EQ(frame.Width(), 300);
    EXPECT_EQ(frame.Height(), 200);
    EXPECT_EQ(frame.Left(), 0);
    EXPECT_EQ(frame.Top(), 0);
    EXPECT_EQ(image.Width(), 300);
    ASSERT_EQ(frame.LocalColors.Count(), 256);
    EXPECT_EQ(frame.LocalColors.ColorAt(77), MakeColor(77, 77, 77));
    for (int y = 0; y < 200; y += 13)
        for (int x = 0; x < 300; x += 7)
            EXPECT_EQ(frame.PixelAt(x, y), uint8_t(x * 7 + y));
    EXPECT_FALSE(frame.Transparent);
}

TEST(FrameImportTest, PackedBitmapsUnpackLeftmostPixelFirst)
{
    TGIFImage image;
    TBitmap four(5, 1, TPixelFormat::pf4bit);
    four.SetPalette(GrayPalette(16));
    const uint8_t fourBits[] = {0x12, 0x3F, 0xA0};
    std::memcpy(four.ScanLine(0), fourBits, 3);
    TGIFSubImage frame(&image);
    frame.CopyFrom(four);
    const uint8_t expectedFour[] = {1, 2, 3, 15, 10};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(frame.PixelAt(x, 0), expectedFour[x]) << x;
    EXPECT_EQ(frame.LocalColors.Count(), 16);

    TBitmap one(10, 1, TPixelFormat::pf1bit);
    one.SetPalette(MonochromePalette());
    one.ScanLine(0)[0] = 0xB1; // 1011 0001
    one.ScanLine(0)[1] = 0x80;
    frame.CopyFrom(one);
    const uint8_t expectedOne[] = {1, 0, 1, 1, 0, 0, 0, 1, 1, 0};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(frame.PixelAt(x, 0), expectedOne[x]) << x;
    EXPECT_EQ(frame.LocalColors.ColorAt(1), MakeColor(255, 255, 255));
}

TEST(FrameImportTest, IndicesPastAShortPaletteGetBlackEntries)
{
    TGIFImage image;
    TBitmap bitmap(3, 1, TPixelFormat::pf8bit);
    bitmap.SetPalette(GrayPalette(2));
    bitmap.ScanLine(0)[2] = 5;
    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    ASSERT_EQ(frame.LocalColors.Count(), 6);
    EXPECT_EQ(frame.LocalColors.ColorAt(5), MakeColor(0, 0, 0));
    EXPECT_EQ(frame.PixelAt(2, 0), 5);
}

class TrueColorImportTest : public testing::Test {
protected:
    void SetUp() override { image.ReductionMethod = reduceNone; }
    // Every pixel's table entry is the source color.
    void ExpectColorsKept(TGIFSubImage& frame, const TBitmap& source)
    {
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                ASSERT_EQ(RGBOf(frame.LocalColors.ColorAt(frame.PixelAt(x, y))), source.PixelColor(x, y))
                    << x << "," << y;
    }
    TGIFImage image;
};

TEST_F(TrueColorImportTest, ThreeColorsInFirstSeenOrderAsRedGreenBlue)
{
    const uint32_t seen[] = {0x102030, 0xFF0001, 0x00FF80};
    TBitmap bitmap = TrueColorBitmap(4, 3, [&](int x, int y) { return seen[(x + y) % 3]; });
    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    ASSERT_EQ(frame.LocalColors.Count(), 3);
    EXPECT_EQ(frame.LocalColors.ColorAt(0), MakeColor(0x10, 0x20, 0x30));
    EXPECT_EQ(frame.LocalColors.ColorAt(1), MakeColor(0xFF, 0x00, 0x01));
    EXPECT_EQ(frame.LocalColors.ColorAt(2), MakeColor(0x00, 0xFF, 0x80));
    ExpectColorsKept(frame, bitmap);
}

TEST_F(TrueColorImportTest, RecentColorCacheSurvivesMoreColorsThanSlots)
{
    // Cycles longer than the 8 slots evict on every pixel; shorter cycles,
    // runs and alternations hit. Each must give every pixel its own color.
    const std::vector<int> cycles{2, 7, 8, 9, 11};
    for (int cycle : cycles) {
        TBitmap bitmap = TrueColorBitmap(23, 4, [cycle](int x, int y) {
            const int i = y == 2 ? (x / 3) % cycle : (x + y * 5) % cycle;
            return uint32_t(0x010203 * (i + 1) + (i << 20));
        });
        TGIFSubImage frame(&image);
        frame.CopyFrom(bitmap);
        EXPECT_EQ(frame.LocalColors.Count(), cycle) << cycle;
        ExpectColorsKept(frame, bitmap);
    }
}

TEST_F(TrueColorImportTest, MoreThan256ColorsOverflowAndLeaveTheFrameEmpty)
{
    TBitmap bitmap = TrueColorBitmap(257, 2, [](int x, int) { return uint32_t(x * 0x000101 + 3); });
    TGIFSubImage frame(&image);
    TProgressLog log;
    log.Attach(image);
    try {
        frame.CopyFrom(bitmap);
        FAIL() << "257 colors need reduction";
    } catch (const GIFException& error) {
        EXPECT_STREQ(error.what(), "Color table overflow");
    }
    EXPECT_TRUE(frame.IsEmpty());
    EXPECT_EQ(frame.LocalColors.Count(), 0);
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.front().stage, TProgressStage::Starting);
    EXPECT_EQ(log.entries.back().stage, TProgressStage::Ending);
    EXPECT_EQ(log.entries.back().percent, 0);
}

TEST_F(TrueColorImportTest, ProgressAndTheCallersBitmapUntouched)
{
    image.ReductionMethod = reduceWebSafe216;
    TBitmap bitmap(8, 40, TPixelFormat::pf32bit);
    for (int y = 0; y < 40; ++y)
        std::memset(bitmap.ScanLine(y), y * 6, bitmap.RowBytes());
    const TBitmap before(bitmap);
    TProgressLog log;
    log.Attach(image);
    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(std::memcmp(bitmap.Bits(), before.Bits(), bitmap.RowBytes() * 40), 0);
    // Reduced to the cube: 216 entries, each pixel a cube color.
    EXPECT_EQ(frame.LocalColors.Count(), 216);
    EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(0, 39)), MakeColor(204, 204, 204)); // 234 -> level 4

    ASSERT_EQ(log.entries.size(), 4u);
    EXPECT_EQ(log.entries[0].stage, TProgressStage::Starting);
    EXPECT_EQ(log.entries[1].percent, 0);
    EXPECT_EQ(log.entries[2].percent, 32 * 100 / 40);
    EXPECT_EQ(log.entries[3].stage, TProgressStage::Ending);
    EXPECT_EQ(log.entries[3].percent, 100);
    for (const auto& entry : log.entries)
        EXPECT_EQ(entry.message, "Converting...");
}

TEST_F(TrueColorImportTest, UnknownReductionMethodIsAnError)
{
    image.ReductionMethod = 42;
    TGIFSubImage frame(&image);
    EXPECT_THROW(frame.CopyFrom(TrueColorBitmap(2, 2, [](int, int) { return 0u; })), GIFException);
    EXPECT_TRUE(frame.IsEmpty());
}

// ---- Masks ----------------------------------------------------------------

TBitmap MaskOf(int width, int height, const std::function<bool(int, int)>& transparent)
{
    TBitmap mask(width, height, TPixelFormat::pf1bit);
    mask.SetPalette(MonochromePalette());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (transparent(x, y))
                mask.ScanLine(y)[x >> 3] |= uint8_t(0x80 >> (x & 7));
    return mask;
}

TEST(FrameMaskTest, TransparentBitmapGetsABlackTransparentColorAfterItsUsedColors)
{
    TGIFImage image;
    TBitmap bitmap(6, 2, TPixelFormat::pf8bit);
    bitmap.SetPalette(GrayPalette(8)); // only 1 and 2 are used
    for (int x = 0; x < 6; ++x) {
        bitmap.ScanLine(0)[x] = 1;
        bitmap.ScanLine(1)[x] = x < 2 ? 1 : 2;
    }
    auto transparent = [](int x, int y) { return y == 1 && x >= 4; };
    bitmap.SetMask(std::make_unique<TBitmap>(MaskOf(6, 2, transparent)));
    bitmap.Transparent = true;

    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    ASSERT_TRUE(frame.Transparent);
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.Extensions.Count(), 1);
    // Sorted by use, unused entries dropped, then black.
    ASSERT_EQ(frame.LocalColors.Count(), 3);
    EXPECT_EQ(frame.LocalColors.ColorAt(0), MakeColor(1, 1, 1));
    EXPECT_EQ(frame.LocalColors.ColorAt(1), MakeColor(2, 2, 2));
    EXPECT_EQ(frame.LocalColors.ColorAt(2), MakeColor(0, 0, 0));
    EXPECT_EQ(frame.ControlBlock->TransparentIndex(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(frame.PixelAt(x, y) == 2, transparent(x, y)) << x << "," << y;

    // The mask reaches the rendering.
    EXPECT_TRUE(frame.MaskAvailable());
    const TBitmap* mask = frame.Bitmap()->Mask();
    EXPECT_TRUE(MaskBit(*mask, 5, 1));
    EXPECT_FALSE(MaskBit(*mask, 3, 1));
}

TEST(FrameMaskTest, NoRoomOrNothingMaskedAddsNoTransparency)
{
    TGIFImage image;
    TBitmap full(16, 16, TPixelFormat::pf8bit);
    full.SetPalette(GrayPalette(256));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            full.ScanLine(y)[x] = uint8_t(y * 16 + x);
    full.SetMask(std::make_unique<TBitmap>(MaskOf(16, 16, [](int x, int) { return x == 0; })));
    full.Transparent = true;
    TGIFSubImage frame(&image);
    frame.CopyFrom(full);
    EXPECT_FALSE(frame.Transparent);
    EXPECT_EQ(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.LocalColors.Count(), 256);

    TBitmap some(4, 1, TPixelFormat::pf8bit);
    some.SetPalette(GrayPalette(4));
    some.ScanLine(0)[3] = 3;
    frame.CopyFrom(some);
    frame.ImportMask(MaskOf(4, 1, [](int, int) { return false; }));
    EXPECT_FALSE(frame.Transparent);
    // Sorted (the unused entries 1 and 2 dropped), and black taken out again.
    ASSERT_EQ(frame.LocalColors.Count(), 2);
    EXPECT_EQ(frame.LocalColors.ColorAt(0), MakeColor(0, 0, 0));
    EXPECT_EQ(frame.LocalColors.ColorAt(1), MakeColor(3, 3, 3));
    EXPECT_THROW(frame.ImportMask(MaskOf(3, 1, [](int, int) { return true; })), EBitmapError);
}

TEST(FrameMaskTest, DirectColorMaskCountsNonBlackAsTransparent)
{
    TGIFImage image;
    TBitmap bitmap(3, 1, TPixelFormat::pf8bit);
    bitmap.SetPalette(GrayPalette(4));
    bitmap.ScanLine(0)[1] = 1;
    TGIFSubImage frame(&image);
    frame.CopyFrom(bitmap);
    frame.ImportMask(TrueColorBitmap(3, 1, [](int x, int) { return x == 2 ? 0x000100u : 0u; }));
    ASSERT_TRUE(frame.Transparent);
    const int index = frame.ControlBlock->TransparentIndex();
    EXPECT_NE(frame.PixelAt(0, 0), index);
    EXPECT_NE(frame.PixelAt(1, 0), index);
    EXPECT_EQ(frame.PixelAt(2, 0), index);
}

// ---- Other pictures -------------------------------------------------------

class TOddGraphic final : public TGraphic {
public:
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    bool Empty() const override { return false; }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
};

TEST(FrameConvertTest, UnsupportedPicturesAreRefusedWithoutLosingTheFrame)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 2, 2, {MakeColor(0, 0, 0), MakeColor(1, 1, 1)},
                                          [](int x, int) { return uint8_t(x); });
    TOddGraphic odd;
    try {
        frame.CopyFrom(odd);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Cannot assign a TOddGraphic to a TGIFSubImage");
    }
    EXPECT_EQ(frame.Width(), 2);
    EXPECT_EQ(frame.PixelAt(1, 0), 1);

    TIcon icon;
    try {
        frame.CopyToGraphic(icon);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Cannot assign a TGIFSubImage to a TIcon");
    }

    TBitmap bitmap;
    frame.CopyToGraphic(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 1);
}

TEST(FrameConvertTest, ReplacingWithItsOwnRenderingKeepsThePicture)
{
    TGIFImage image;
    TGIFSubImage& frame = AddIndexedFrame(image, 3, 3, {MakeColor(0, 0, 0), MakeColor(50, 60, 70)},
                                          [](int x, int y) { return uint8_t(x == y); });
    frame.ReplaceBitmap(frame.RenderBitmap());
    ASSERT_EQ(frame.Width(), 3);
    EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(1, 1)), MakeColor(50, 60, 70));
    EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(0, 1)), MakeColor(0, 0, 0));

    frame.ReplaceBitmap(nullptr);
    EXPECT_EQ(frame.Bitmap(), nullptr);
    EXPECT_EQ(frame.Width(), 3);
}

} // namespace
} // namespace fl
