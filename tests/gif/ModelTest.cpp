// SPDX-License-Identifier: GPL-3.0-or-later
// The animation model: color tables, frame geometry, extensions, document.
#include <gtest/gtest.h>

#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

struct TWarnings {
    std::vector<std::string> messages;
    void Attach(TGIFImage& image)
    {
        image.WarningHandler = [this](TGIFImage&, TGIFItem*, int, const std::string& message) {
            messages.push_back(message);
        };
    }
};

TGIFSubImage& AddFrame(TGIFImage& image, int left, int top, int width, int height)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(left, top, width, height);
    TGIFSubImage& result = *frame;
    image.AddFrame(std::move(frame));
    return result;
}

TEST(ColorMapTest, OverflowAndCapacityGrowth)
{
    TGIFImage image;
    TGIFColorMap& colors = image.GlobalColors();
    colors.Add(MakeColor(1, 2, 3));
    EXPECT_EQ(colors.Capacity(), 16);
    for (int i = 1; i < 17; ++i)
        colors.Add(MakeColor(uint8_t(i), 0, 0));
    EXPECT_EQ(colors.Capacity(), 32);
    for (int i = 17; i < 256; ++i)
        colors.Add(MakeColor(uint8_t(i), 0, 0));
    EXPECT_EQ(colors.Capacity(), 256);
    try {
        colors.Add(0);
        FAIL() << "a 257th color must be refused";
    } catch (const GIFException& error) {
        EXPECT_STREQ(error.what(), "Color table overflow");
    }
    EXPECT_EQ(colors.Count(), 256);
}

TEST(ColorMapTest, DepthFollowsCount)
{
    TGIFImage image;
    TGIFColorMap& colors = image.GlobalColors();
    const std::pair<int, int> expected[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2},
                                            {5, 3}, {128, 7}, {129, 8}, {256, 8}};
    for (auto [count, depth] : expected) {
        colors.Reset();
        for (int i = 0; i < count; ++i)
            colors.Add(MakeColor(uint8_t(i), 0, 0));
        EXPECT_EQ(colors.Depth(), depth) << count << " entries";
    }
}

TEST(ColorMapTest, FindSearchesFromTheEndUnlessSorted)
{
    TGIFImage image;
    TGIFColorMap& colors = image.GlobalColors();
    for (int i = 0; i < 8; ++i)
        colors.Add(i == 7 ? MakeColor(2, 2, 2) : MakeColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    EXPECT_EQ(colors.Find(MakeColor(2, 2, 2)), 7);
    EXPECT_EQ(colors.Find(MakeColor(9, 9, 9)), -1);

    // Usage falling with the index keeps every entry in place.
    TGIFSubImage& frame = AddFrame(image, 0, 0, 36, 1);
    int x = 0;
    for (int index = 0; index < 8; ++index)
        for (int n = 0; n < 8 - index; ++n)
            frame.RowAt(0)[x++] = static_cast<uint8_t>(index);
    EXPECT_TRUE(colors.SortColorMapByUse());
    EXPECT_TRUE(colors.Sorted());
    EXPECT_EQ(colors.Count(), 8);
    EXPECT_EQ(colors.Find(MakeColor(2, 2, 2)), 2);
}

TEST(ColorMapTest, SortByUseRemapsPixelsAndDropsUnusedColors)
{
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 0, 0, 4, 1);
    TGIFColorMap& colors = frame.LocalColors;
    for (int i = 0; i < 4; ++i)
        colors.Add(MakeColor(uint8_t(10 * i), 0, 0));
    auto* control = new TGIFGraphicControlExtension(frame);
    frame.Extensions.Append(std::unique_ptr<TGIFExtension>(control));
    control->SetTransparent(true);
    control->SetTransparentIndex(3);
    // Color 3 three times, color 1 once, colors 0 and 2 never.
    const uint8_t pixels[4] = {3, 1, 3, 3};
    std::copy(pixels, pixels + 4, frame.RowAt(0));

    EXPECT_TRUE(colors.SortColorMapByUse());
    ASSERT_EQ(colors.Count(), 2);
    EXPECT_EQ(colors.ColorAt(0), MakeColor(30, 0, 0));
    EXPECT_EQ(colors.ColorAt(1), MakeColor(10, 0, 0));
    const uint8_t expected[4] = {0, 1, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 4, frame.RowAt(0)));
    EXPECT_EQ(control->TransparentIndex(), 0);
}

TEST(ColorMapTest, IndexErrorsAndWarnings)
{
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    TGIFColorMap& colors = image.GlobalColors();
    EXPECT_THROW(colors.ColorAt(0), GIFException);
    warnings.messages.clear();
    colors.Add(MakeColor(5, 6, 7));
    colors.Add(MakeColor(8, 9, 10));
    EXPECT_EQ(colors.ColorAt(9), MakeColor(5, 6, 7));
    EXPECT_EQ(warnings.messages, std::vector<std::string>{"Invalid color index"});
    EXPECT_THROW(colors.SetColorAt(2, 0), GIFException);
    EXPECT_THROW(colors.Delete(-1), GIFException);
    colors.Delete(0);
    EXPECT_EQ(colors.Count(), 1);
    EXPECT_EQ(colors.ColorAt(0), MakeColor(8, 9, 10));
}

TEST(ColorMapTest, QuadsAreSwappedToRedGreenBlue)
{
    TGIFImage image;
    const uint8_t quads[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    image.GlobalColors().FromRGBQuads(quads, 2);
    EXPECT_EQ(image.GlobalColors().ColorAt(0), MakeColor(3, 2, 1));
    EXPECT_EQ(image.GlobalColors().ColorAt(1), MakeColor(6, 5, 4));
    auto palette = image.GlobalColors().ToPlatformPalette();
    ASSERT_EQ(palette->Entries.size(), 2u);
    EXPECT_EQ(palette->Entries[1], (TPaletteEntry{6, 5, 4, PC_NOCOLLAPSE}));
}

TEST(FrameGeometryTest, SizeChangeReallocatesPixels)
{
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 0, 0, 10, 10);
    frame.RowAt(9)[9] = 7;
    frame.SetLeft(3);
    EXPECT_EQ(frame.PixelAt(9, 9), 7) << "moving keeps the pixels";
    frame.SetWidth(20);
    EXPECT_EQ(frame.PixelBytes(), 200u);
    EXPECT_EQ(frame.PixelAt(9, 9), 0);
    EXPECT_THROW(frame.PixelAt(20, 0), GIFException);
    EXPECT_THROW(frame.RowAt(-1), GIFException);
}

TEST(FrameGeometryTest, FrameGrowsTheLogicalScreen)
{
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    AddFrame(image, 0, 0, 120, 10);
    EXPECT_TRUE(warnings.messages.empty()) << "an empty screen grows silently";
    EXPECT_EQ(image.Width(), 120);

    AddFrame(image, 50, 0, 100, 10);
    EXPECT_EQ(image.Width(), 150);
    EXPECT_EQ(warnings.messages, (std::vector<std::string>{"Image width too small for contained frames",
                                                            "Image exceeds Logical Screen size"}));
    try {
        image.SetWidth(149);
        FAIL();
    } catch (const GIFException& error) {
        EXPECT_STREQ(error.what(), "Image width too small for contained frames");
    }
    EXPECT_THROW(AddFrame(image, 65000, 0, 1000, 1), GIFException) << "past the 16-bit screen";
}

TEST(FrameGeometryTest, EmptyFramesAndEnsurePixels)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    EXPECT_TRUE(frame.IsEmpty());
    try {
        frame.EnsurePixels();
        FAIL();
    } catch (const GIFException& error) {
        EXPECT_STREQ(error.what(), "Image is empty");
    }
    EXPECT_THROW(frame.SetGeometry(0, 0, 65535, 65535), GIFException) << "too large to allocate";
}

TEST(ExtensionTest, ControlBlockAndTransparency)
{
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    TGIFSubImage& frame = AddFrame(image, 0, 0, 2, 2);
    frame.LocalColors.Add(0);
    frame.LocalColors.Add(0xFFFFFF);
    {
        // Created and never appended: still the control block.
        TGIFGraphicControlExtension control(frame);
        EXPECT_EQ(frame.ControlBlock, &control);
        control.SetTransparent(true);
        EXPECT_TRUE(frame.Transparent);
        control.SetTransparentIndex(5);
        EXPECT_EQ(control.TransparentIndex(), 0);
        EXPECT_EQ(warnings.messages, std::vector<std::string>{"Invalid color index"});
        control.SetDisposal(3);
        control.SetWaitForInput(true);
        EXPECT_EQ(control.ControlFlags, 0x0F);
        control.SetDisposal(9); // only three bits are kept
        EXPECT_EQ(control.Disposal(), 1);
        control.SetTransparentRGB(MakeColor(1, 2, 3));
        EXPECT_EQ(frame.LocalColors.Count(), 3);
        EXPECT_EQ(control.TransparentIndex(), 2);
    }
    EXPECT_EQ(frame.ControlBlock, nullptr);
    EXPECT_FALSE(frame.Transparent);

    auto* first = new TGIFGraphicControlExtension(frame);
    frame.Extensions.Append(std::unique_ptr<TGIFExtension>(first));
    auto* second = new TGIFGraphicControlExtension(frame);
    frame.Extensions.Append(std::unique_ptr<TGIFExtension>(second));
    EXPECT_EQ(frame.ControlBlock, first) << "only the first becomes the control block";
    frame.Extensions.Delete(0);
    EXPECT_EQ(frame.ControlBlock, nullptr);
}

TEST(ExtensionTest, NewLoopExtension)
{
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 0, 0, 1, 1);
    TGIFAppExtNSLoop loop(frame);
    EXPECT_EQ(loop.AppIdText(), "NETSCAPE2.0");
    EXPECT_EQ(loop.LoopCount, 0);
    EXPECT_EQ(loop.BufferSize, 0u);
}

TEST(DocumentTest, VersionDepthAndReset)
{
    TGIFImage image;
    EXPECT_EQ(image.Version(), TGIFVersion::Unknown);
    TGIFSubImage& frame = AddFrame(image, 0, 0, 4, 4);
    EXPECT_EQ(image.Version(), TGIFVersion::GIF87a);
    frame.Extensions.Append(std::make_unique<TGIFCommentExtension>(frame));
    EXPECT_EQ(image.Version(), TGIFVersion::GIF89a);
    for (int i = 0; i < 20; ++i)
        frame.LocalColors.Add(MakeColor(uint8_t(i), 0, 0));
    image.GlobalColors().Add(0);
    EXPECT_EQ(image.MaxDepth(), 5);

    image.Header.BackgroundIndex = 4;
    image.Reset();
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.GlobalColors().Count(), 0);
    EXPECT_EQ(image.Header.BackgroundIndex, 4) << "reset keeps the background index";
    EXPECT_THROW(image.SetReductionDepth(2), GIFException);
    image.SetReductionDepth(3);
    EXPECT_EQ(image.ReductionDepth(), 3);
}

TEST(DocumentTest, PaintFlagsMoveASingleFramesColorsToTheGlobalTable)
{
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 0, 0, 1, 1);
    frame.LocalColors.Add(MakeColor(9, 8, 7));
    frame.LocalColors.Add(MakeColor(1, 2, 3));
    image.SetPaintFlags(DefaultPaintFlags & ~(paintAnimate | paintLoop));
    EXPECT_EQ(frame.LocalColors.Count(), 0);
    ASSERT_EQ(image.GlobalColors().Count(), 2);
    EXPECT_EQ(image.GlobalColors().ColorAt(1), MakeColor(1, 2, 3));
}

TEST(DocumentTest, PaletteHandles)
{
    TGIFImage image;
    EXPECT_EQ(image.PaletteHandle(), nullptr);
    TGIFSubImage& frame = AddFrame(image, 0, 0, 1, 1);
    frame.LocalColors.Add(MakeColor(9, 8, 7));
    // Without global colors the document borrows frame 0's palette.
    auto palette = image.PaletteHandle();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Entries.size(), 1u);
    EXPECT_EQ(frame.PaletteHandle(), palette) << "the frame caches its palette";
    frame.LocalColors.Add(0);
    EXPECT_EQ(frame.PaletteHandle()->Entries.size(), 2u) << "a table change drops the cached palette";

    image.SetPaintFlags(paintDither);
    EXPECT_EQ(image.PaletteHandle()->Entries.size(), 216u) << "dithering uses the color cube";
}

TEST(DocumentTest, CopyFromCopiesFramesAndDropsHandlers)
{
    TGIFImage source;
    source.GlobalColors().Add(MakeColor(1, 1, 1));
    source.GlobalColors().Add(MakeColor(2, 2, 2));
    TGIFSubImage& frame = AddFrame(source, 2, 3, 4, 5);
    frame.RowAt(4)[3] = 1;
    auto* control = new TGIFGraphicControlExtension(frame);
    frame.Extensions.Append(std::unique_ptr<TGIFExtension>(control));
    control->Delay = 42;
    control->SetTransparent(true);
    source.PlaySpeed = 50;
    std::vector<std::string> progress;
    source.OnProgress = [&](TGraphic&, TProgressStage, int percent, bool, const std::string& message) {
        progress.push_back(message + std::to_string(percent));
    };
    source.WarningHandler = [](TGIFImage&, TGIFItem*, int, const std::string&) {};

    TGIFImage copy;
    copy.CopyFrom(&source);
    EXPECT_FALSE(copy.OnProgress);
    EXPECT_FALSE(copy.WarningHandler);
    EXPECT_EQ(progress.front(), "Copying...0");
    EXPECT_EQ(progress.back(), "Copying...100");
    EXPECT_EQ(copy.PlaySpeed, 100) << "play speed is not copied";
    ASSERT_EQ(copy.Frames.Count(), 1);
    TGIFSubImage& copied = *copy.Frames[0];
    EXPECT_EQ(copied.BoundsRect(), (TGIFRect{2, 3, 6, 8}));
    EXPECT_EQ(copied.PixelAt(3, 4), 1);
    ASSERT_NE(copied.ControlBlock, nullptr);
    EXPECT_NE(copied.ControlBlock, control);
    EXPECT_EQ(copied.ControlBlock->Delay, 42);
    EXPECT_TRUE(copied.Transparent);
    EXPECT_EQ(copy.GlobalColors().Count(), 2);

    copy.CopyFrom(nullptr);
    EXPECT_TRUE(copy.IsEmpty());
}

} // namespace
} // namespace fl
