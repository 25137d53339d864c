// SPDX-License-Identifier: GPL-3.0-or-later
// Merging all color maps of an animation into one global map.
#include <gtest/gtest.h>

#include "gif/ColorMapOptimizer.h"
#include "gif/PlaybackSupport.h"

namespace fl::test {
namespace {

// A frame of the given size with a local table; pixels from the caller.
TGIFSubImage& AddLocalFrame(TGIFImage& image, int width, int height, const std::vector<TColor>& colors)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, width, height);
    for (TColor color : colors)
        frame->LocalColors.Add(color);
    TGIFSubImage& added = *frame;
    image.AddFrame(std::move(frame));
    return added;
}

TColor ShownColor(TGIFSubImage& frame, int x, int y)
{
    return frame.ActiveColors().ColorAt(frame.PixelAt(x, y));
}

std::unique_ptr<TGIFImage> TwoFramesSameFiveColors()
{
    auto image = std::make_unique<TGIFImage>();
    image->SetWidth(5);
    image->SetHeight(2);
    const std::vector<TColor> five = {TestColors[1], TestColors[2], TestColors[3], TestColors[4],
                                      TestColors[6]};
    // The second frame lists them in another order.
    const std::vector<TColor> shuffled = {five[3], five[0], five[4], five[1], five[2]};
    TGIFSubImage& first = AddLocalFrame(*image, 5, 2, five);
    TGIFSubImage& second = AddLocalFrame(*image, 5, 2, shuffled);
    for (int i = 0; i < 10; ++i) {
        first.Pixels()[i] = uint8_t(i % 5);
        second.Pixels()[i] = uint8_t((i * 3) % 5);
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(second);
    control->Delay = 10;
    second.Extensions.Append(std::move(control));
    return image;
}

TEST(MergeColorMaps, IdenticalLocalMapsBecomeOneGlobalMap)
{
    auto original = TwoFramesSameFiveColors();
    auto merged = TwoFramesSameFiveColors();
    MergeColorMaps(*merged);
    EXPECT_EQ(merged->GlobalColors().Count(), 5);
    EXPECT_TRUE(merged->GlobalColors().Sorted());
    for (const auto& frame : merged->Frames)
        EXPECT_EQ(frame->LocalColors.Count(), 0);
    for (int f = 0; f < 2; ++f)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ShownColor(*merged->Frames[f], x, 1), ShownColor(*original->Frames[f], x, 1));
    EXPECT_TRUE(PlaysAlike(PlayTimeline(*original), PlayTimeline(*merged)));
    EXPECT_TRUE(PlaysAlike(PlayTimeline(*original), PlayTimeline(*Reloaded(*merged))));
}

TEST(MergeColorMaps, TooManyColorsKeepTheMostUsedAndMapTheRestToTheClosest)
{
    // 300 colors: 256 used twice, 44 used once. Each rare one is one step of
    // blue away from a kept red; a kept green has the same channel sum.
    TGIFImage image;
    image.SetWidth(20);
    image.SetHeight(16);
    std::vector<TColor> reds, mixed;
    for (int i = 0; i < 150; ++i)
        reds.push_back(MakeColor(uint8_t(i + 1), 0, 0));
    for (int i = 0; i < 106; ++i)
        mixed.push_back(MakeColor(0, uint8_t(i + 1), 0));
    for (int k = 0; k < 44; ++k)
        mixed.push_back(MakeColor(uint8_t(3 * k + 1), 0, 1));
    TGIFSubImage& first = AddLocalFrame(image, 20, 15, reds);
    for (int i = 0; i < 300; ++i)
        first.Pixels()[i] = uint8_t(i / 2);
    TGIFSubImage& second = AddLocalFrame(image, 16, 16, mixed);
    for (int i = 0; i < 212; ++i)
        second.Pixels()[i] = uint8_t(i / 2);
    for (int k = 0; k < 44; ++k)
        second.Pixels()[212 + k] = uint8_t(106 + k);

    MergeColorMaps(image);
    ASSERT_EQ(image.GlobalColors().Count(), 256);
    for (int k = 0; k < 44; ++k) {
        const int i = 212 + k;
        EXPECT_EQ(ShownColor(second, i % 16, i / 16), MakeColor(uint8_t(3 * k + 1), 0, 0)) << k;
    }
    for (int i = 0; i < 212; i += 7)
        EXPECT_EQ(ShownColor(second, i % 16, i / 16), MakeColor(0, uint8_t(i / 2 + 1), 0));
    EXPECT_EQ(ShownColor(first, 19, 14), MakeColor(150, 0, 0));
}

TEST(MergeColorMaps, TransparencyGetsABlackSlotAtTheEnd)
{
    auto make = [] {
        TFrameLayout holey{0, 0, 4, 4, 2, 1, 10, 3};
        holey.Spots = {{0, 0, 3}, {1, 1, 3}};
        auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, holey, {0, 0, 2, 2, 4, 1, 10, 6}});
        image->Frames[2]->LocalColors.Add(TestColors[7]);
        for (int i = 0; i < 6; ++i)
            image->Frames[2]->LocalColors.Add(TestColors[i]);
        return image;
    };
    auto original = make();
    auto merged = make();
    MergeColorMaps(*merged);
    TGIFColorMap& global = merged->GlobalColors();
    ASSERT_EQ(global.Count(), 4) << "red, green, yellow's neighbour and the slot";
    EXPECT_EQ(global.ColorAt(3), MakeColor(0, 0, 0));
    TGIFSubImage& holeyFrame = *merged->Frames[1];
    ASSERT_TRUE(holeyFrame.Transparent);
    EXPECT_EQ(holeyFrame.ControlBlock->TransparentIndex(), 3);
    EXPECT_EQ(holeyFrame.PixelAt(1, 1), 3);
    // The third frame's transparent index (6) was never used: it is opaque.
    EXPECT_FALSE(merged->Frames[2]->Transparent);
    EXPECT_EQ(merged->Frames[2]->ControlBlock->TransparentIndex(), 0);
    EXPECT_TRUE(PlaysAlike(PlayTimeline(*original), PlayTimeline(*merged)));
}

TEST(MergeColorMaps, IndexBeyondTheMapWarnsAndBecomesZero)
{
    auto image = MakeAnimation(4, 1, {{0, 0, 4, 1, 2}});
    image->Frames[0]->Pixels()[1] = 200;
    image->Frames[0]->Pixels()[3] = 9;
    std::vector<std::string> warnings;
    image->WarningHandler = [&](TGIFImage&, TGIFItem*, int, const std::string& message) {
        warnings.push_back(message);
    };
    MergeColorMaps(*image);
    EXPECT_EQ(warnings, std::vector<std::string>{"Color not in color table"});
    ASSERT_EQ(image->GlobalColors().Count(), 2);
    EXPECT_EQ(ShownColor(*image->Frames[0], 0, 0), TestColors[2]);
    EXPECT_EQ(ShownColor(*image->Frames[0], 1, 0), TestColors[0]);
    EXPECT_EQ(ShownColor(*image->Frames[0], 3, 0), TestColors[0]);
}

TEST(MergeColorMaps, BackgroundColorSurvivesWhenAFrameClearsToIt)
{
    // White is the background; no pixel uses it, but frame 1 clears to it.
    auto make = [] {
        return MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, {1, 1, 2, 2, 3, 2, 10}, {0, 0, 1, 1, 4, 1, 10}},
                             5);
    };
    auto original = make();
    auto merged = make();
    MergeColorMaps(*merged);
    EXPECT_EQ(merged->BackgroundColor(), TestColors[5]);
    EXPECT_TRUE(PlaysAlike(PlayTimeline(*original, paintAnimate), PlayTimeline(*merged, paintAnimate)));

    // Without such a frame the index only follows a color still there.
    auto plain = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, {0, 0, 2, 2, 2, 1, 10}}, 2);
    MergeColorMaps(*plain);
    EXPECT_EQ(plain->GlobalColors().Count(), 2);
    EXPECT_EQ(plain->BackgroundColor(), TestColors[2]);
    // A background nobody shows does not keep an index past the table.
    auto unshown = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, {0, 0, 2, 2, 2, 1, 10}}, 7);
    MergeColorMaps(*unshown);
    EXPECT_LT(unshown->Header.BackgroundIndex, unshown->GlobalColors().Count());
}

TEST(MergeColorMaps, EmptyAndColorlessDocumentsAreLeftAlone)
{
    TGIFImage empty;
    MergeColorMaps(empty);
    EXPECT_EQ(empty.GlobalColors().Count(), 0);

    auto image = MakeAnimation(2, 2, {{0, 0, 2, 2, 1}});
    image->Frames[0]->Reset();
    MergeColorMaps(*image);
    EXPECT_EQ(image->GlobalColors().Count(), 8) << "no frame was counted: nothing to replace it with";
}

TEST(MergeColorMaps, RandomAnimationsPlayAlikeAloneAndAfterOptimizing)
{
    constexpr TGIFPaintFlags flags = paintAnimate | paintTransparent | paintLoop;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto original = RandomAnimation(seed);
        const TTimeline expected = PlayTimeline(*original, flags);
        auto merged = RandomAnimation(seed);
        MergeColorMaps(*merged);
        EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*merged, flags)));
        auto both = RandomAnimation(seed);
        both->Optimize(optimizeAll);
        MergeColorMaps(*both);
        EXPECT_LE(both->GlobalColors().Count(), 9);
        for (const auto& frame : both->Frames)
            EXPECT_EQ(frame->LocalColors.Count(), 0);
        EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*Reloaded(*both), flags)));
        if (HasFailure())
            return;
    }
}

} // namespace
} // namespace fl::test
