// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editing/AnimationFit.h"

namespace fl {
namespace {

using test::AppendFrame;
using test::MakeAnimation;

// 16 grays, pixel (x, y) showing gray (x + y) % 16.
TBitmap FourBitBitmap(int width, int height)
{
    auto palette = std::make_shared<TPalette>();
    for (int i = 0; i < 16; ++i)
        palette->Entries.push_back({uint8_t(i * 16), uint8_t(i * 16), uint8_t(i * 16), 0});
    TBitmap bitmap(width, height, TPixelFormat::pf4bit);
    bitmap.SetPalette(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int shift = x % 2 == 0 ? 4 : 0;
            bitmap.ScanLine(y)[x / 2] |= static_cast<uint8_t>(((x + y) % 16) << shift);
        }
    return bitmap;
}

TBitmap Gradient(int width, int height)
{
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
            pixel[0] = static_cast<uint8_t>(x * 20);
            pixel[1] = static_cast<uint8_t>(y * 20);
            pixel[2] = 0x80;
        }
    return bitmap;
}

TEST(CropBitmap, KeepsTheTopLeftPixelsAndMask)
{
    TBitmap bitmap = Gradient(7, 5);
    auto mask = std::make_unique<TBitmap>(7, 5, TPixelFormat::pf1bit);
    mask->ScanLine(1)[0] = 0x40; // pixel (1, 1) transparent
    bitmap.SetMask(std::move(mask));
    bitmap.Transparent = true;
    int changes = 0;
    bitmap.OnChange = [&changes](TGraphic&) { ++changes; };

    CropBitmap(bitmap, 3, 4);
    ASSERT_EQ(bitmap.Width(), 4);
    ASSERT_EQ(bitmap.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bitmap.PixelColor(x, y), Gradient(7, 5).PixelColor(x, y)) << x << "," << y;
    EXPECT_TRUE(bitmap.Transparent);
    ASSERT_NE(bitmap.Mask(), nullptr);
    EXPECT_EQ(bitmap.Mask()->Width(), 4);
    EXPECT_EQ(bitmap.Mask()->ScanLine(1)[0] & 0xF0, 0x40);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(bitmap.OnChange) << "the holder's handler stays";
}

TEST(CropBitmap, PackedFormatsAndSizesOutsideTheBitmap)
{
    TBitmap packed = FourBitBitmap(9, 3);
    const TBitmap original = packed;
    CropBitmap(packed, 2, 5);
    ASSERT_EQ(packed.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(packed.Palette(), original.Palette());
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(packed.PixelColor(x, 1), original.PixelColor(x, 1));
    EXPECT_NE(packed.PixelColor(4, 1), packed.PixelColor(3, 1)) << "an odd width keeps its last half byte";

    TBitmap bitmap = Gradient(4, 4);
    CropBitmap(bitmap, 10, 10);
    EXPECT_EQ(bitmap.Width(), 4) << "cropping never enlarges";
    CropBitmap(bitmap, -1, 2);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(FitImage, ResizingTheAnimationCropsFramesThatNoLongerFit)
{
    auto image = MakeAnimation(8, 6, 0);
    TGIFSubImage& inside = AppendFrame(*image, 0, 0, 4, 3, 1);
    TGIFSubImage& across = AppendFrame(*image, 2, 1, 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            across.Pixels()[y * 6 + x] = static_cast<uint8_t>(y * 6 + x);
    across.LocalColors.Add(MakeColor(1, 1, 1));
    TGIFSubImage& outside = AppendFrame(*image, 6, 0, 2, 2);

    TBitmap frame = Gradient(5, 4);
    FitImageToAnimation(*image, frame, TFitMode::ResizeAnimation);
    EXPECT_EQ(image->Width(), 5);
    EXPECT_EQ(image->Height(), 4);
    EXPECT_EQ(frame.Width(), 5) << "the image itself stays";
    EXPECT_EQ(inside.Width(), 4);
    EXPECT_EQ(inside.Height(), 3);
    ASSERT_EQ(across.Width(), 3);
    ASSERT_EQ(across.Height(), 3);
    EXPECT_EQ(across.Left(), 2);
    EXPECT_EQ(across.Top(), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(across.Pixels()[y * 3 + x], y * 6 + x) << "indices kept as they were";
    EXPECT_EQ(across.LocalColors.Count(), 1);
    EXPECT_TRUE(outside.IsEmpty());

    TBitmap larger = Gradient(20, 10);
    FitImageToAnimation(*image, larger, TFitMode::ResizeAnimation);
    EXPECT_EQ(image->Width(), 20);
    EXPECT_EQ(image->Height(), 10);
    EXPECT_EQ(across.Width(), 3);
}

TEST(FitImage, AFrameCutOnOneSideKeepsItsOtherSide)
{
    // A wide, short picture: the frame loses rows only, and its width is its
    // own, not what the picture would leave room for.
    auto image = MakeAnimation(8, 6, 0);
    TGIFSubImage& frame = AppendFrame(*image, 1, 0, 4, 6);
    for (int i = 0; i < 24; ++i)
        frame.Pixels()[i] = static_cast<uint8_t>(i);
    TBitmap wide = Gradient(20, 2);
    FitImageToAnimation(*image, wide, TFitMode::ResizeAnimation);
    ASSERT_EQ(frame.Width(), 4);
    ASSERT_EQ(frame.Height(), 2);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(frame.Pixels()[i], i);
}

TEST(FitImage, CroppingTheImageToTheAnimation)
{
    auto image = MakeAnimation(6, 5, 1);
    TBitmap wide = Gradient(10, 3);
    FitImageToAnimation(*image, wide, TFitMode::CropImage);
    EXPECT_EQ(wide.Width(), 6);
    EXPECT_EQ(wide.Height(), 3);
    EXPECT_EQ(image->Width(), 6);

    TGIFImage sizeless;
    TBitmap kept = Gradient(4, 4);
    FitImageToAnimation(sizeless, kept, TFitMode::CropImage);
    EXPECT_EQ(kept.Width(), 4) << "an animation without a size crops nothing away";

    TBitmap empty;
    FitImageToAnimation(*image, empty, TFitMode::ResizeAnimation);
    EXPECT_EQ(image->Width(), 6);
    EXPECT_EQ(image->Frames[0]->Width(), 6);
}

} // namespace
} // namespace fl
