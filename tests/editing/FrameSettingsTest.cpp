// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editing/AnimationFacts.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "editing/NormalizeExtensions.h"
#include "platform/Stream.h"

namespace fl {
namespace {

using test::AppendFrame;
using test::MakeAnimation;

int CountBlocks(const TGIFSubImage& frame)
{
    int count = 0;
    for (const auto& extension : frame.Extensions)
        count += dynamic_cast<TGIFGraphicControlExtension*>(extension.get()) != nullptr;
    return count;
}

int CountLoops(const TGIFSubImage& frame)
{
    int count = 0;
    for (const auto& extension : frame.Extensions)
        count += dynamic_cast<TGIFAppExtNSLoop*>(extension.get()) != nullptr;
    return count;
}

TGIFGraphicControlExtension& AddBlock(TGIFSubImage& frame, int delay, bool transparent = false)
{
    auto block = std::make_unique<TGIFGraphicControlExtension>(frame);
    block->Delay = static_cast<uint16_t>(delay);
    block->SetTransparent(transparent);
    TGIFGraphicControlExtension& result = *block;
    frame.Extensions.Append(std::move(block));
    return result;
}

TEST(FrameSettings, DelayCreatesTheControlBlockOnce)
{
    auto image = MakeAnimation(4, 4, 1);
    TGIFSubImage& frame = *image->Frames[0];
    SetFrameDelay(frame, 25);
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Delay, 25);
    EXPECT_EQ(frame.ControlBlock->Disposal(), disposeKeep);
    frame.ControlBlock->SetDisposal(disposePrevious);
    SetFrameDelay(frame, 70000);
    EXPECT_EQ(CountBlocks(frame), 1);
    EXPECT_EQ(frame.ControlBlock->Delay, 0xFFFF);
    EXPECT_EQ(frame.ControlBlock->Disposal(), disposeKeep);
    SetFrameDelay(frame, -3);
    EXPECT_EQ(frame.ControlBlock->Delay, 0);
}

TEST(FrameSettings, NewFramesGetLoopDelayAndSortedColors)
{
    TGIFImage image;
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage& frame = *owned;
    frame.SetGeometry(0, 0, 3, 1);
    frame.LocalColors.Add(MakeColor(9, 9, 9));   // unused
    frame.LocalColors.Add(MakeColor(200, 0, 0)); // most used
    frame.LocalColors.Add(MakeColor(0, 0, 200));
    frame.Pixels()[0] = 1;
    frame.Pixels()[1] = 1;
    frame.Pixels()[2] = 2;

    // Not yet in the animation, which has no frames: the frame will be first.
    PrepareNewFrame(frame, 0, 8);
    EXPECT_EQ(CountLoops(frame), 1);
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Delay, 8);
    EXPECT_EQ(frame.LocalColors.Count(), 2) << "the unused color goes";
    EXPECT_EQ(frame.LocalColors.ColorAt(0), MakeColor(200, 0, 0));
    EXPECT_EQ(frame.Pixels()[0], 0) << "pixels follow their color";
    EXPECT_EQ(image.GlobalColors().Count(), 2);
    EXPECT_EQ(image.GlobalColors().ColorAt(1), MakeColor(0, 0, 200));
    image.AddFrame(std::move(owned));
    EXPECT_EQ(GetLoopCount(image), 0);

    // A second frame leaves the loop and the global colors alone.
    auto second = std::make_unique<TGIFSubImage>(&image);
    second->SetGeometry(0, 0, 1, 1);
    second->LocalColors.Add(MakeColor(1, 2, 3));
    PrepareNewFrame(*second, 5, 12);
    EXPECT_EQ(CountLoops(*second), 0);
    EXPECT_EQ(GetLoopCount(image), 0);
    EXPECT_EQ(image.GlobalColors().Count(), 2);
}

TEST(FrameSettings, LoopCountOneAddsNoExtension)
{
    auto image = MakeAnimation(2, 2, 1);
    TGIFSubImage& frame = AppendFrame(*image, 0, 0, 2, 2);
    PrepareNewFrame(frame, 1, 10);
    EXPECT_FALSE(HasLoopExtension(*image));
    PrepareNewFrame(frame, 3, 10);
    EXPECT_EQ(CountLoops(*image->Frames[0]), 1) << "the loop goes to the first frame";
    EXPECT_EQ(GetLoopCount(*image), 3);
}

TEST(FrameSettings, CommentsAndTotalsSurviveAFile)
{
    auto image = MakeAnimation(2, 2, 3);
    AddFrameComment(*image->Frames[1], "made by hand");
    SetFrameDelay(*image->Frames[0], 10);
    SetFrameDelay(*image->Frames[2], 35);
    EXPECT_EQ(TotalDelay(*image), 45);
    EXPECT_TRUE(HasSeveralFrames(*image));

    TMemoryStream stream;
    image->SaveToStream(stream);
    stream.SetPosition(0);
    TGIFImage loaded;
    loaded.LoadFromStream(stream);
    auto* comment = loaded.Frames[1]->Extensions.Find<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    ASSERT_EQ(comment->Lines.size(), 1u);
    EXPECT_EQ(comment->Lines[0], "made by hand");
}

TEST(FrameSettings, SeveralFramesMeansTwoWithPixels)
{
    TGIFImage image;
    EXPECT_FALSE(HasSeveralFrames(image));
    EXPECT_EQ(TotalDelay(image), 0);
    image.AddFrame(std::make_unique<TGIFSubImage>(&image)); // empty
    AppendFrame(image, 0, 0, 2, 2);
    EXPECT_FALSE(HasSeveralFrames(image));
    AppendFrame(image, 0, 0, 1, 1);
    EXPECT_TRUE(HasSeveralFrames(image));
}

class NormalizeTest : public testing::Test {
protected:
    TAnimationDefaults defaults{7, 4};
};

TEST_F(NormalizeTest, MissingBlocksGetADelayAndZeroDelaysTheDefault)
{
    auto image = MakeAnimation(4, 4, 2);
    AddBlock(*image->Frames[1], 0);
    NormalizeExtensions(*image, false, defaults);
    ASSERT_NE(image->Frames[0]->ControlBlock, nullptr);
    EXPECT_EQ(image->Frames[0]->ControlBlock->Delay, 100);
    EXPECT_EQ(image->Frames[0]->ControlBlock->Disposal(), disposeKeep);
    EXPECT_EQ(image->Frames[1]->ControlBlock->Delay, 7);
    EXPECT_FALSE(HasLoopExtension(*image)) << "no loop was moved, none is made";
}

TEST_F(NormalizeTest, OnlyTheLastControlBlockRemains)
{
    auto image = MakeAnimation(4, 4, 1);
    TGIFSubImage& frame = *image->Frames[0];
    AddBlock(frame, 30, true);
    AddFrameComment(frame, "between");
    TGIFGraphicControlExtension& last = AddBlock(frame, 40);
    NormalizeExtensions(*image, false, defaults);
    EXPECT_EQ(CountBlocks(frame), 1);
    EXPECT_EQ(frame.ControlBlock, &last);
    EXPECT_FALSE(frame.Transparent) << "the transparency follows the remaining block";
    EXPECT_EQ(frame.Extensions.Count(), 2);

    TMemoryStream stream;
    image->SaveToStream(stream);
    stream.SetPosition(0);
    TGIFImage loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.Frames[0]->ControlBlock->Delay, 40);
}

TEST_F(NormalizeTest, LoopExtensionsMoveToTheFirstFrame)
{
    auto image = MakeAnimation(4, 4, 3);
    AddLoopExtension(*image, 1, 9);
    AddLoopExtension(*image, 2, 9);
    NormalizeExtensions(*image, false, defaults);
    EXPECT_EQ(CountLoops(*image->Frames[1]), 0);
    EXPECT_EQ(CountLoops(*image->Frames[2]), 0);
    EXPECT_EQ(CountLoops(*image->Frames[0]), 1);
    EXPECT_EQ(GetLoopCount(*image), 4) << "the default loop count, not the removed one";
    EXPECT_EQ(image->Frames[0]->Extensions[0], FindLoopExtension(*image->Frames[0])) << "at the front";

    // A first frame that already loops keeps its own count.
    SetLoopCount(*image, 2);
    AddLoopExtension(*image, 2, 9);
    NormalizeExtensions(*image, false, defaults);
    EXPECT_EQ(CountLoops(*image->Frames[0]), 1);
    EXPECT_EQ(GetLoopCount(*image), 2);
}

TEST_F(NormalizeTest, TransparentFullFramesAfterTheFirstRestoreTheBackground)
{
    auto image = MakeAnimation(6, 5, 2);
    AddBlock(*image->Frames[0], 10, true);
    AddBlock(*image->Frames[1], 10, true);
    TGIFSubImage& small = test::AppendFrame(*image, 1, 1, 5, 4);
    AddBlock(small, 10, true);
    TGIFSubImage& opaque = test::AppendFrame(*image, 0, 0, 6, 5);
    AddBlock(opaque, 10, false);

    NormalizeExtensions(*image, true, defaults);
    EXPECT_EQ(image->Frames[1]->ControlBlock->Disposal(), disposeUnspecified) << "left alone when asked";

    NormalizeExtensions(*image, false, defaults);
    EXPECT_EQ(image->Frames[0]->ControlBlock->Disposal(), disposeUnspecified) << "never the first frame";
    EXPECT_EQ(image->Frames[1]->ControlBlock->Disposal(), disposeBackground);
    EXPECT_EQ(small.ControlBlock->Disposal(), disposeUnspecified);
    EXPECT_EQ(opaque.ControlBlock->Disposal(), disposeUnspecified);
}

} // namespace
} // namespace fl
