// SPDX-License-Identifier: GPL-3.0-or-later
// Optimizing an animation: each option's effect on the model, and above all
// that the optimized animation plays exactly like the original, both in
// memory and as written.
#include <gtest/gtest.h>

#include <functional>

#include "gif/PixelEncoder.h"
#include "gif/PlaybackSupport.h"
#include "support/GifTestSupport.h"

namespace fl::test {
namespace {

using TMaker = std::function<std::unique_ptr<TGIFImage>()>;

// Optimizes a fresh copy with the options and checks that it plays like an
// unoptimized one, before and after a save and load. Answers the optimized
// document for further checks.
std::unique_ptr<TGIFImage> ExpectOptimizedPlaysAlike(const TMaker& make, TGIFOptimizeOptions options,
                                                     TGIFPaintFlags flags = paintAnimate | paintTransparent)
{
    auto original = make();
    auto optimized = make();
    optimized->Optimize(options);
    const TTimeline expected = PlayTimeline(*original, flags);
    EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*optimized, flags))) << "options " << int(options);
    try {
        auto written = Reloaded(*optimized);
        EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*written, flags)))
            << "options " << int(options) << ", written";
    } catch (const std::exception& error) {
        ADD_FAILURE() << "options " << int(options) << ": writing failed: " << error.what();
    }
    return optimized;
}

void AddComment(TGIFSubImage& frame, const std::string& text)
{
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    comment->Lines.push_back(text);
    frame.Extensions.Append(std::move(comment));
}

template <class E> int CountExtensions(const TGIFImage& image)
{
    int count = 0;
    for (const auto& frame : image.Frames)
        for (const auto& extension : frame->Extensions)
            count += dynamic_cast<E*>(extension.get()) != nullptr;
    return count;
}

TEST(OptimizeTrim, DeletesInvisibleFrameAndGivesItsTimeToThePrevious)
{
    auto make = [] {
        TFrameLayout patch{0, 0, 6, 6, 0, 1, 20, 0};
        patch.Spots = {{2, 3, 3}, {4, 1, 3}};
        return MakeAnimation(
            6, 6, {{0, 0, 6, 6, 1, 1, 20}, patch, {0, 0, 6, 6, 0, 1, 30, 0}, {1, 1, 1, 1, 4, 1, 20}});
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeTrim);
    ASSERT_EQ(optimized->Frames.Count(), 3);
    const TGIFSubImage& patch = *optimized->Frames[1];
    EXPECT_EQ(patch.ControlBlock->Delay, 50);
    EXPECT_EQ(patch.BoundsRect(), (TRect{2, 1, 5, 4}));
    EXPECT_EQ(patch.Pixels()[0], 0);
    EXPECT_EQ(patch.Pixels()[2], 3);
    EXPECT_EQ(patch.Pixels()[6], 3) << "(2, 3) of the screen";
    // Opaque frames are not trimmed.
    EXPECT_EQ(optimized->Frames[0]->BoundsRect(), (TRect{0, 0, 6, 6}));
}

TEST(OptimizeTrim, KeepsFramesWhoseRemovalWouldShowOrTime)
{
    // An invisible frame after a frame cleared to the background shows the
    // clearing; one after an opaque frame without delay merges the default
    // delay; the first frame has nobody to give its time to; a frame cleared
    // to the background clears its whole rectangle, border included.
    auto make = [] {
        TFrameLayout cleared{0, 0, 6, 6, 0, 2, 10, 0};
        cleared.Spots = {{3, 3, 2}};
        return MakeAnimation(6, 6,
                             {{0, 0, 6, 6, 0, 1, 10, 0},
                              {0, 0, 6, 6, 1, 1, 10},
                              cleared,
                              {0, 0, 6, 6, 0, 1, 10, 0},
                              {0, 0, 3, 3, 4},
                              {0, 0, 6, 6, 0, 1, 2, 0}});
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeTrim);
    ASSERT_EQ(optimized->Frames.Count(), 5);
    EXPECT_EQ(optimized->Frames[0]->Width(), 6);
    EXPECT_EQ(optimized->Frames[2]->Width(), 6);
    EXPECT_EQ(optimized->Frames[3]->Width(), 6);
    ASSERT_NE(optimized->Frames[4]->ControlBlock, nullptr);
    EXPECT_EQ(optimized->Frames[4]->ControlBlock->Delay, GIFDefaultDelay + GIFMinimumDelay);
}

TEST(OptimizeTrim, FrameWithoutOpaquePixelsIsResetByTrimToContent)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 2, 1, 0, 2}});
    AddComment(*image->Frames[0], "gone with the frame");
    image->Frames[0]->TrimToContent();
    EXPECT_TRUE(image->Frames[0]->IsEmpty());
    EXPECT_EQ(image->Frames[0]->Extensions.Count(), 0);
    EXPECT_FALSE(image->Frames[0]->Transparent);

    // Opaque frames are left alone.
    auto opaque = MakeAnimation(4, 4, {{1, 1, 3, 3, 2}});
    opaque->Frames[0]->TrimToContent();
    EXPECT_EQ(opaque->Frames[0]->BoundsRect(), (TRect{1, 1, 4, 4}));
}

TEST(OptimizeCleanup, UnusedTransparencyGoesAndThenTheControlBlock)
{
    auto make = [] {
        return MakeAnimation(4, 4,
                             {{0, 0, 4, 4, 1, 1, 0, 7}, {0, 0, 2, 2, 2, 0, 15, 7}, {0, 0, 1, 1, 3, 1, 0}});
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeCleanup);
    EXPECT_EQ(optimized->Frames[0]->ControlBlock, nullptr) << "delay 0, disposal 1, no longer transparent";
    EXPECT_FALSE(optimized->Frames[0]->Transparent);
    ASSERT_NE(optimized->Frames[1]->ControlBlock, nullptr) << "its delay counts";
    EXPECT_FALSE(optimized->Frames[1]->Transparent);
    EXPECT_EQ(optimized->Frames[1]->ControlBlock->Delay, 15);
}

TEST(OptimizeCleanup, CommentsAndIgnoredLoopExtensionsGo)
{
    auto make = [] {
        auto image = MakeAnimation(
            4, 4, {{0, 0, 4, 4, 1, 1, 5, -1, 3}, {0, 0, 2, 2, 2, 1, 5}, {0, 0, 1, 1, 3, 1, 5, -1, 7}});
        AddComment(*image->Frames[0], "made by hand");
        AddComment(*image->Frames[2], "another");
        auto text = std::make_unique<TGIFTextExtension>(*image->Frames[1]);
        text->Lines.push_back("never drawn");
        image->Frames[1]->Extensions.Append(std::move(text));
        auto unknown = std::make_unique<TGIFUnknownAppExtension>(*image->Frames[1]);
        unknown->AppId = MakeApplicationId("SOMEAPP1.00");
        image->Frames[1]->Extensions.Append(std::move(unknown));
        return image;
    };
    auto optimized =
        ExpectOptimizedPlaysAlike(make, optimizeCleanup, paintAnimate | paintTransparent | paintLoop);
    EXPECT_EQ(CountExtensions<TGIFCommentExtension>(*optimized), 0);
    EXPECT_EQ(CountExtensions<TGIFTextExtension>(*optimized), 0);
    EXPECT_EQ(CountExtensions<TGIFApplicationExtension>(*optimized), 1);
    ASSERT_NE(optimized->Frames[0]->Extensions.Find<TGIFAppExtNSLoop>(), nullptr);
    EXPECT_EQ(optimized->Frames[0]->Extensions.Find<TGIFAppExtNSLoop>()->LoopCount, 3);

    // One frame: the loop extension means nothing, and neither does the
    // control block.
    auto single = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 2, 30, -1, 0}});
    single->Optimize(optimizeCleanup);
    EXPECT_EQ(single->Frames[0]->Extensions.Count(), 0);
}

TEST(OptimizeCleanup, LoopExtensionOutsideTheFirstFrameStaysWhenItIsTheOneHonoured)
{
    // The only loop extension sets the repeat count and where later passes
    // start: removing it would change playback.
    auto make = [] {
        return MakeAnimation(4, 4,
                             {{0, 0, 4, 4, 1, 1, 5}, {0, 0, 2, 2, 2, 1, 5, -1, 2}, {0, 0, 1, 1, 3, 1, 5}});
    };
    auto optimized =
        ExpectOptimizedPlaysAlike(make, optimizeCleanup, paintAnimate | paintTransparent | paintLoop);
    EXPECT_NE(optimized->Frames[1]->Extensions.Find<TGIFAppExtNSLoop>(), nullptr);
}

TEST(OptimizeCleanup, CoveredDisposalBecomesZero)
{
    auto make = [] {
        return MakeAnimation(4, 4, {{0, 0, 2, 2, 1, 2, 10}, {0, 0, 4, 4, 2, 2, 10}, {1, 1, 2, 2, 3, 1, 10}});
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeCleanup);
    EXPECT_EQ(optimized->Frames[0]->ControlBlock->Disposal(), 0);
    EXPECT_EQ(optimized->Frames[1]->ControlBlock->Disposal(), 2) << "frame 2 is smaller";

    // A transparent successor, or one that restores the state before
    // itself (which holds the disposal), keeps it too.
    auto kept = [] {
        return MakeAnimation(4, 4,
                             {{0, 0, 4, 4, 5, 1, 10},
                              {0, 0, 2, 2, 1, 2, 10},
                              {0, 0, 4, 4, 2, 3, 10},
                              {0, 0, 2, 2, 4, 3, 10},
                              {0, 0, 4, 4, 3, 1, 10, 3},
                              {2, 2, 1, 1, 6, 1, 10}});
    };
    auto unchanged = ExpectOptimizedPlaysAlike(kept, optimizeCleanup);
    EXPECT_EQ(unchanged->Frames[1]->ControlBlock->Disposal(), 2);
    EXPECT_EQ(unchanged->Frames[3]->ControlBlock->Disposal(), 3);
}

// Runs the frame operation on frame c over frame b of a fresh copy and
// checks that it plays like an untouched one.
std::unique_ptr<TGIFImage> ExpectMergedPlaysAlike(const TMaker& make, int c, int b)
{
    auto original = make();
    auto merged = make();
    merged->Frames[c]->RemoveDuplicatePixels(merged->Frames[b]);
    EXPECT_TRUE(PlaysAlike(PlayTimeline(*original), PlayTimeline(*merged)));
    return merged;
}

// A busy picture of six of the test colors, and the same with a few changes.
TFrameLayout Noise(int size, int disposal, std::vector<std::array<int, 3>> changes = {})
{
    TFrameLayout layout{0, 0, size, size, 0, disposal, 10};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            layout.Spots.push_back({x, y, (x * 7 + y * 13 + x * y) % 6});
    layout.Spots.insert(layout.Spots.end(), changes.begin(), changes.end());
    return layout;
}

TEST(OptimizeMergePixels, RepeatedPixelsBecomeTransparentWithAnUnusedIndex)
{
    // Frame 1 repeats frame 0 except three pixels, which use indices 0, 1
    // and 4: none of them may become the transparent one, whatever the
    // repeated pixels use.
    auto make = [] {
        TFrameLayout first{0, 0, 4, 4, 1, 1, 10};
        first.Spots = {{3, 3, 2}};
        TFrameLayout second{0, 0, 4, 4, 1, 1, 10};
        second.Spots = {{1, 1, 0}, {2, 2, 4}, {3, 3, 1}};
        return MakeAnimation(4, 4, {first, second});
    };
    auto merged = ExpectMergedPlaysAlike(make, 1, 0);
    TGIFSubImage& second = *merged->Frames[1];
    ASSERT_TRUE(second.Transparent);
    const uint8_t t = second.ControlBlock->TransparentIndex();
    EXPECT_EQ(t, 2) << "first index no pixel left opaque uses";
    EXPECT_EQ(second.PixelAt(0, 0), t);
    EXPECT_EQ(second.PixelAt(3, 3), 1);
    EXPECT_EQ(second.PixelAt(1, 1), 0);
    EXPECT_EQ(second.PixelAt(2, 2), 4);
    ASSERT_EQ(second.Extensions.Count(), 1);
    EXPECT_EQ(second.Extensions[0], second.ControlBlock);

    // Optimize keeps the change only where the frame is written shorter:
    // not for these few pixels, which a control block would outweigh.
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeMergePixels);
    EXPECT_FALSE(optimized->Frames[1]->Transparent);
    EXPECT_EQ(optimized->Frames[1]->ControlBlock->Disposal(), 1);
    EXPECT_EQ(optimized->Frames[1]->PixelAt(0, 0), 1);
}

TEST(OptimizeMergePixels, EveryIndexUsedAppendsOneEntryWhenTheCodesStayAsWide)
{
    // The changed pixels use every index of the table; the repeated ones
    // (the top rows) cannot lend theirs.
    auto make = [](int colors) {
        return [colors] {
            TFrameLayout before{0, 0, 4, 4, 1, 1, 10};
            TFrameLayout full{0, 0, 4, 4, 1, 1, 10};
            for (int i = 0; i < colors; ++i) {
                before.Spots.push_back({i % 4, 2 + i / 4, (i + 1) % colors});
                full.Spots.push_back({i % 4, 2 + i / 4, i});
            }
            auto image = MakeAnimation(4, 4, {before, full});
            while (image->GlobalColors().Count() > colors)
                image->GlobalColors().Delete(image->GlobalColors().Count() - 1);
            return image;
        };
    };
    auto six = ExpectMergedPlaysAlike(make(6), 1, 0);
    EXPECT_EQ(six->GlobalColors().Count(), 7);
    EXPECT_EQ(six->Frames[1]->ControlBlock->TransparentIndex(), 6);
    EXPECT_EQ(six->Frames[1]->PixelAt(0, 0), 6);

    // A ninth entry needs four bits: the frame is left as it was.
    auto eight = ExpectMergedPlaysAlike(make(8), 1, 0);
    EXPECT_EQ(eight->GlobalColors().Count(), 8);
    EXPECT_FALSE(eight->Frames[1]->Transparent);
    EXPECT_EQ(eight->Frames[1]->PixelAt(0, 0), 1);
}

TEST(OptimizeMergePixels, OpaqueFrameUsingAll256ColorsIsUnchanged)
{
    // The first 256 pixels change, using every color; the rest repeat.
    auto make = [] {
        auto image = std::make_unique<TGIFImage>();
        image->SetWidth(16);
        image->SetHeight(32);
        for (int f = 0; f < 2; ++f) {
            auto frame = std::make_unique<TGIFSubImage>(image.get());
            frame->SetGeometry(0, 0, 16, 32);
            for (int i = 0; i < 256; ++i) {
                frame->LocalColors.Add(MakeColor(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)));
                frame->Pixels()[i] = uint8_t((i + f) % 256);
                frame->Pixels()[256 + i] = uint8_t(i);
            }
            image->AddFrame(std::move(frame));
        }
        return image;
    };
    auto merged = ExpectMergedPlaysAlike(make, 1, 0);
    EXPECT_FALSE(merged->Frames[1]->Transparent);
    EXPECT_EQ(merged->Frames[1]->ControlBlock, nullptr);
    EXPECT_EQ(merged->Frames[1]->PixelAt(5, 0), 6);
    EXPECT_EQ(merged->Frames[1]->PixelAt(5, 16), 5);
    EXPECT_EQ(merged->Frames[1]->LocalColors.Count(), 256);
}

TEST(OptimizeMergePixels, LooksPastRestoredFramesAndSkipsClearedOnes)
{
    auto make = [] {
        TFrameLayout flash{1, 1, 2, 2, 3, 3, 10};
        return MakeAnimation(
            32, 32, {Noise(32, 1), flash, {0, 0, 32, 32, 4, 3, 10}, Noise(32, 2, {{5, 5, 6}}), Noise(32, 1)});
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeMergePixels);
    // Frame 3 repeats frame 0 behind the two restored frames, but for one
    // pixel.
    TGIFSubImage& repeat = *optimized->Frames[3];
    ASSERT_TRUE(repeat.Transparent);
    EXPECT_EQ(repeat.PixelAt(0, 0), repeat.ControlBlock->TransparentIndex());
    EXPECT_EQ(repeat.PixelAt(5, 5), 6);
    // Frame 4 follows a frame cleared to the background.
    EXPECT_FALSE(optimized->Frames[4]->Transparent);
    EXPECT_EQ(optimized->Frames[4]->PixelAt(1, 0), 1);
}

TEST(OptimizeMergePixels, TransparentPredecessorPixelsAreNotCompared)
{
    auto make = [] {
        TFrameLayout holey{0, 0, 4, 4, 2, 1, 10, 0};
        holey.Spots = {{0, 0, 0}, {1, 0, 0}};
        TFrameLayout next{0, 0, 4, 4, 0, 1, 10};
        next.Spots = {{3, 3, 2}};
        return MakeAnimation(4, 4, {{0, 0, 4, 4, 0, 1, 10}, holey, next});
    };
    auto merged = ExpectMergedPlaysAlike(make, 2, 1);
    TGIFSubImage& last = *merged->Frames[2];
    ASSERT_TRUE(last.Transparent);
    EXPECT_EQ(last.PixelAt(0, 0), 0) << "frame 1 is transparent there";
    EXPECT_EQ(last.PixelAt(3, 3), last.ControlBlock->TransparentIndex());

    // A transparent frame keeps its own transparent index.
    auto again = ExpectMergedPlaysAlike(make, 1, 0);
    EXPECT_EQ(again->Frames[1]->ControlBlock->TransparentIndex(), 0);
}

TEST(OptimizeColorTables, TablesAreSortedByUseAndTheBackgroundFollows)
{
    auto make = [] {
        TFrameLayout patch{0, 0, 4, 4, 3, 2, 10};
        patch.Spots = {{0, 0, 6}};
        auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 4, 1, 10}, patch, {1, 1, 1, 1, 2, 1, 10}}, 5);
        image->Frames[2]->LocalColors.Add(MakeColor(1, 2, 3));
        image->Frames[2]->LocalColors.Add(MakeColor(9, 9, 9));
        image->Frames[2]->Pixels()[0] = 1;
        return image;
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeColorTables);
    ExpectOptimizedPlaysAlike(make, optimizeColorTables, paintAnimate);
    TGIFColorMap& global = optimized->GlobalColors();
    EXPECT_EQ(global.ColorAt(0), TestColors[4]);
    EXPECT_EQ(global.ColorAt(1), TestColors[3]);
    EXPECT_EQ(global.ColorAt(2), TestColors[6]);
    // The background color (white) is used by no pixel but a frame clears
    // to it: it stays, and the index follows it.
    EXPECT_EQ(optimized->BackgroundColor(), TestColors[5]);
    EXPECT_EQ(optimized->Frames[2]->LocalColors.Count(), 1);

    // Without a frame cleared to it, an unused background color goes, and
    // the index stays within the table.
    auto unshown = MakeAnimation(4, 4, {{0, 0, 4, 4, 4, 1, 10}, {0, 0, 2, 2, 3, 1, 10}}, 7);
    unshown->Optimize(optimizeColorTables);
    EXPECT_EQ(unshown->GlobalColors().Count(), 2);
    EXPECT_LT(unshown->Header.BackgroundIndex, 2);
}

TEST(OptimizeColorTables, AColorHeldTwiceIsSpeltOneWayButNeverWithTheTransparentEntry)
{
    // Entries 2 and 6 hold one color. Frame 0 paints it with 2, frame 2
    // with 6; frame 1 paints it with 6 too but is transparent at 2, so its
    // pixels may not move there.
    auto make = [] {
        TFrameLayout second{0, 0, 4, 4, 6, 1, 10, 2};
        second.Spots = {{0, 0, 2}, {1, 1, 3}};
        auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 2, 1, 10}, second, {0, 0, 4, 4, 6, 1, 10}});
        image->GlobalColors().SetColorAt(6, image->GlobalColors().ColorAt(2));
        return image;
    };
    auto optimized = ExpectOptimizedPlaysAlike(make, optimizeColorTables);
    EXPECT_EQ(optimized->Frames[0]->PixelAt(2, 2), optimized->Frames[2]->PixelAt(2, 2));
    TGIFSubImage& second = *optimized->Frames[1];
    EXPECT_NE(second.PixelAt(2, 2), second.ControlBlock->TransparentIndex());
    EXPECT_EQ(second.PixelAt(0, 0), second.ControlBlock->TransparentIndex());
}

TEST(Optimize, NoOptionsOnlyReportsProgress)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 0, 7}, {0, 0, 4, 4, 1, 2, 0}});
    AddComment(*image->Frames[1], "stays");
    TMemoryStream before;
    image->SaveToStream(before);
    std::vector<std::pair<TProgressStage, int>> progress;
    int changes = 0;
    image->OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const std::string& message) {
        EXPECT_EQ(message, "Optimizing...");
        progress.emplace_back(stage, percent);
    };
    image->OnChange = [&](TGraphic&) { ++changes; };
    image->Optimize(0);
    EXPECT_EQ(changes, 0);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), std::make_pair(TProgressStage::Starting, 0));
    EXPECT_EQ(progress.back(), std::make_pair(TProgressStage::Ending, 100));
    image->OnProgress = nullptr;
    TMemoryStream after;
    image->SaveToStream(after);
    EXPECT_EQ(after.Bytes(), before.Bytes());

    // Nothing at all for a document without frames.
    TGIFImage empty;
    bool reported = false;
    empty.OnProgress = [&](TGraphic&, TProgressStage, int, bool, const std::string&) { reported = true; };
    empty.Optimize(optimizeAll);
    EXPECT_FALSE(reported);
}

TEST(Optimize, ProgressCountsSixStepsPerFrame)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, {0, 0, 4, 4, 1, 1, 10}});
    std::vector<int> running;
    image->OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const std::string&) {
        if (stage == TProgressStage::Running)
            running.push_back(percent);
    };
    image->Optimize(optimizeAll);
    // Two table steps, two transparency steps, one disposal step (plus one
    // unused of 12), two merge, two trim, the fixed share, then one report
    // per frame of the final cleanup.
    ASSERT_FALSE(running.empty());
    EXPECT_EQ(running.front(), 8);
    EXPECT_TRUE(std::is_sorted(running.begin(), running.end()));
    EXPECT_LE(running.back(), 100);
}

TEST(Optimize, StopsRunningPlayersFirst)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 10}, {0, 0, 4, 4, 1, 1, 10}});
    image->PlayClock = std::make_shared<TVirtualClock>();
    TTestCanvas canvas(4, 4);
    TGIFPainter* player =
        image->StartPlayer(nullptr, *canvas.Canvas, paintAsync | paintAnimate | paintLoop | paintLoopForever,
                           canvas.Canvas->ClipRect());
    ASSERT_NE(player, nullptr);
    player->Resume();
    image->Optimize(optimizeAll);
    EXPECT_EQ(image->PlayerCount(), 0);
}

// Whatever the options, the optimized animation shows the same pictures at
// the same times.
TEST(Optimize, RandomAnimationsPlayAlikeUnderEveryOptionSet)
{
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        for (TGIFOptimizeOptions options = 1; options <= optimizeAll; ++options) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            ExpectOptimizedPlaysAlike([seed] { return RandomAnimation(seed); }, options,
                                      paintAnimate | paintTransparent | paintLoop);
            if (HasFailure())
                return;
        }
    }
}

// Fifty frames of grays drifting up two levels a frame, over a still
// background: a lossy frame may leave a pixel as it was shown, but never
// once the original has drifted past the bound.
std::unique_ptr<TGIFImage> DriftingGrays()
{
    auto image = std::make_unique<TGIFImage>();
    for (int i = 0; i < 256; ++i)
        image->GlobalColors().Add(MakeColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    image->SetWidth(24);
    image->SetHeight(24);
    for (int f = 0; f < 50; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->SetGeometry(0, 0, 24, 24);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                frame->RowAt(y)[x] = uint8_t(y < 12 ? 20 + 2 * f + (x * 5 + y * 3) % 9 : 200 + (x + y) % 3);
        auto control = std::make_unique<TGIFGraphicControlExtension>(*frame);
        control->SetDisposal(disposeKeep);
        control->Delay = 5;
        control->SetTransparent(true);
        control->SetTransparentIndex(255);
        frame->Extensions.Append(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

TEST(OptimizeLossy, EveryShownPixelStaysWithinTheBoundAndErrorsDoNotAddUp)
{
    auto lossless = DriftingGrays();
    lossless->Optimize(optimizeAll);
    const int64_t losslessSize = int64_t(test::SaveGif(*lossless, encodeLZW).size());
    for (int level : {30, 90, 200}) {
        SCOPED_TRACE("lossy " + std::to_string(level));
        auto original = DriftingGrays();
        auto lossy = DriftingGrays();
        lossy->Optimize(optimizeAll, level);
        // A gray differs by the same in each channel: level / 5.2 at most.
        const TTimeline expected = PlayTimeline(*original);
        EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*lossy), level / 5));
        EXPECT_TRUE(PlaysAlike(expected, PlayTimeline(*Reloaded(*lossy)), level / 5));
        EXPECT_LT(int64_t(test::SaveGif(*lossy, encodeLZW).size()), losslessSize);
    }
}

// Random animations: lossy coding plays within its bound too, whatever the
// frames' places, disposals and tables. A single channel may differ most:
// red and blue, with the least weight (2): by sqrt(0.33 / 2) level. And it
// never writes more than lossless optimizing does.
TEST(OptimizeLossy, RandomAnimationsPlayWithinTheBoundAndNeverGrow)
{
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto original = RandomAnimation(seed);
        auto lossless = RandomAnimation(seed);
        lossless->Optimize(optimizeAll);
        auto lossy = RandomAnimation(seed);
        lossy->Optimize(optimizeAll, 200);
        const TGIFPaintFlags flags = paintAnimate | paintTransparent | paintLoop;
        EXPECT_TRUE(PlaysAlike(PlayTimeline(*original, flags), PlayTimeline(*Reloaded(*lossy), flags), 82));
        EXPECT_LE(test::SaveGif(*lossy, encodeLZW).size(), test::SaveGif(*lossless, encodeLZW).size());
        if (HasFailure())
            return;
    }
}

} // namespace
} // namespace fl::test
