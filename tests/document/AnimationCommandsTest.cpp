// SPDX-License-Identifier: GPL-3.0-or-later
// The animation-wide edits behind the prompts: what each changes, what it
// leaves alone, and that its undo puts back exactly the bytes there were.
#include <gtest/gtest.h>

#include "document/AnimationCommands.h"
#include "document/CmdColorMap.h"
#include "document/EditorContextSupport.h"
#include "document/RecordedActions.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "editing/PaletteEntries.h"
#include "gif/Extensions.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

using test::AppendFrame;
using test::GifBytes;

class AnimationCommandsTest : public test::EditorFixture {
protected:
    // Three frames with delays 10, 20, 30 and a loop extension for `plays`
    // (none for 1), opened as the active document.
    TDocument& OpenTimed(int plays)
    {
        auto image = test::MakeAnimation(8, 6, 3);
        for (int i = 0; i < 3; ++i)
            SetFrameDelay(*image->Frames[i], 10 * (i + 1));
        AddLoopExtension(*image, 0, plays);
        const std::string path = folder.File("timed.gif");
        image->SaveToFile(path);
        return Open(path);
    }
    TGIFImage& Image() { return context.Animation(); }
    std::string UndoName(TDocument& document) { return document.History().LastName(); }
};

TEST_F(AnimationCommandsTest, ResizeClampsAndKeepsTimingAndLoop)
{
    TDocument& document = OpenTimed(3);
    const std::vector<uint8_t> before = GifBytes(Image());

    ASSERT_TRUE(ResizeAnimation(context, 0, 2000));
    EXPECT_EQ(Image().Width(), 10);
    EXPECT_EQ(Image().Height(), 1000);
    for (int i = 0; i < 3; ++i) {
        const TGIFSubImage& frame = *Image().Frames[i];
        EXPECT_EQ(frame.Width(), 10);
        EXPECT_EQ(frame.Height(), 1000);
        EXPECT_EQ(frame.Left(), 0);
        ASSERT_NE(frame.ControlBlock, nullptr);
        EXPECT_EQ(frame.ControlBlock->Delay, 10 * (i + 1));
    }
    EXPECT_EQ(GetLoopCount(Image()), 3);
    EXPECT_EQ(UndoName(document), ActionChangeSize);
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(context.Frames().Item(0).FrameWidth, 10);

    document.Undo();
    EXPECT_EQ(GifBytes(Image()), before);
    EXPECT_EQ(context.Frames().Item(0).FrameWidth, 8);
}

TEST_F(AnimationCommandsTest, ResizeToTheCurrentSizeRecordsNothing)
{
    TDocument& document = OpenTimed(1);
    EXPECT_FALSE(ResizeAnimation(context, 8, 6));
    EXPECT_EQ(document.History().Count(), 0);
}

TEST_F(AnimationCommandsTest, ResizeDrawsLaterFramesOverThePictureSoFar)
{
    auto image = test::MakeAnimation(4, 4, 1);
    AppendFrame(*image, 2, 2, 2, 2, 1);
    const std::string path = folder.File("small.gif");
    image->SaveToFile(path);
    Open(path);
    ASSERT_TRUE(ResizeAnimation(context, 8, 8));
    // The second frame now shows the first (black) with its red corner.
    TBitmap* second = Image().Frames[1]->RenderBitmap();
    ASSERT_NE(second, nullptr);
    const TColor topLeft = Image().Frames[1]->ActiveColors().ColorAt(Image().Frames[1]->Pixels()[0]);
    const TColor bottomRight = Image().Frames[1]->ActiveColors().ColorAt(Image().Frames[1]->Pixels()[63]);
    EXPECT_EQ(topLeft, MakeColor(0, 0, 0));
    EXPECT_EQ(bottomRight, MakeColor(255, 0, 0));
}

TEST_F(AnimationCommandsTest, LoopChangesAddRemoveAndUndo)
{
    TDocument& document = OpenTimed(3);
    const std::vector<uint8_t> threePlays = GifBytes(Image());

    ASSERT_TRUE(ChangeAnimationLoop(context, 1));
    EXPECT_FALSE(HasLoopExtension(Image()));
    EXPECT_EQ(UndoName(document), ActionChangeLoop);
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), threePlays);

    ASSERT_TRUE(ChangeAnimationLoop(context, 5));
    EXPECT_EQ(GetLoopCount(Image()), 5);
    EXPECT_FALSE(ChangeAnimationLoop(context, 5));
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), threePlays);
}

TEST_F(AnimationCommandsTest, InfiniteLoopOnAnAnimationWithoutOne)
{
    TDocument& document = OpenTimed(1);
    const std::vector<uint8_t> once = GifBytes(Image());
    ASSERT_TRUE(ChangeAnimationLoop(context, 0));
    const TGIFAppExtNSLoop* loop = FindLoopExtension(*Image().Frames[0]);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 0);
    EXPECT_EQ(Image().Frames[0]->Extensions.IndexOf(loop), 0);
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), once);
}

TEST_F(AnimationCommandsTest, GlobalChangeSetsOnlyWhatWasEntered)
{
    TDocument& document = OpenTimed(1);
    const std::vector<uint8_t> before = GifBytes(Image());

    TGlobalFrameChange change;
    change.XOffset = "3";
    change.Delay = "40000"; // beyond 32767: ignored
    change.Transparent = {true, true, true};
    change.TransparentColor = MakeColor(255, 0, 0);
    change.Disposal = 2;
    ApplyGlobalFrameChange(context, change);

    for (int i = 0; i < 3; ++i) {
        const TGIFSubImage& frame = *Image().Frames[i];
        EXPECT_EQ(frame.Left(), 3);
        EXPECT_EQ(frame.Top(), 0);
        EXPECT_EQ(frame.ControlBlock->Delay, 10 * (i + 1));
        EXPECT_TRUE(frame.ControlBlock->Transparent());
        EXPECT_EQ(frame.ControlBlock->TransparentIndex(), 1);
        EXPECT_EQ(frame.ControlBlock->Disposal(), 2);
    }
    EXPECT_EQ(UndoName(document), ActionGlobalProperties);
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), before);
}

TEST_F(AnimationCommandsTest, AChangeAbortedHalfWayIsUndone)
{
    TDocument& document = OpenTimed(1);
    const std::vector<uint8_t> before = GifBytes(Image());
    // The user aborts at the model's first warning (a frame pushed past the
    // screen's edge).
    Image().WarningHandler = [](TGIFImage&, TGIFItem*, int, const std::string&) {
        throw GIFException("aborted");
    };
    TGlobalFrameChange change;
    change.Delay = "5";
    change.XOffset = "4";
    EXPECT_THROW(ApplyGlobalFrameChange(context, change), GIFException);
    Image().WarningHandler = nullptr;
    EXPECT_EQ(GifBytes(Image()), before);
    EXPECT_EQ(document.History().Count(), 0);
    EXPECT_EQ(document.History().RedoCount(), 0) << "the half-made change is nothing to redo";
}

TEST_F(AnimationCommandsTest, SpeedScalesEveryDelay)
{
    OpenTimed(1);
    TGlobalFrameChange faster;
    faster.Speed = "200";
    ApplyGlobalFrameChange(context, faster);
    EXPECT_EQ(Image().Frames[0]->ControlBlock->Delay, 5);
    EXPECT_EQ(Image().Frames[2]->ControlBlock->Delay, 15);

    // The delay entered first, then scaled; a short delay stays at least 1.
    TGlobalFrameChange both;
    both.Delay = "1";
    both.Speed = "300";
    ApplyGlobalFrameChange(context, both);
    EXPECT_EQ(Image().Frames[1]->ControlBlock->Delay, 1);
}

TEST_F(AnimationCommandsTest, LocalPalettesComeAndGoWithoutChangingColors)
{
    OpenTimed(1);
    TGlobalFrameChange make;
    make.LocalPalette = {true, true, true};
    ApplyGlobalFrameChange(context, make);
    for (int i = 0; i < 3; ++i) {
        TGIFSubImage& frame = *Image().Frames[i];
        ASSERT_GT(frame.LocalColors.Count(), 0);
        EXPECT_EQ(frame.ActiveColors().ColorAt(frame.Pixels()[0]),
                  i % 2 ? MakeColor(255, 0, 0) : MakeColor(0, 0, 0));
    }

    TGlobalFrameChange remove;
    remove.LocalPalette = {true, true, false};
    ApplyGlobalFrameChange(context, remove);
    for (int i = 0; i < 3; ++i) {
        TGIFSubImage& frame = *Image().Frames[i];
        EXPECT_EQ(frame.LocalColors.Count(), 0);
        EXPECT_EQ(frame.ActiveColors().ColorAt(frame.Pixels()[0]),
                  i % 2 ? MakeColor(255, 0, 0) : MakeColor(0, 0, 0));
    }
}

TEST_F(AnimationCommandsTest, ALocalPaletteFromThreeGlobalColorsKeepsThePaddedEntry)
{
    OpenTimed(1);
    // Three global colors are written as four; a pixel may use the fourth.
    Image().GlobalColors().Add(MakeColor(9, 9, 9));
    while (Image().GlobalColors().Count() > 3)
        Image().GlobalColors().Delete(3);
    Image().Frames[0]->Pixels()[0] = 3;
    TMemoryStream stream;
    ASSERT_NO_THROW(Image().SaveToStream(stream));
    TGlobalFrameChange make;
    make.LocalPalette = {true, true, true};
    ApplyGlobalFrameChange(context, make);
    TMemoryStream after;
    EXPECT_NO_THROW(Image().SaveToStream(after));
}

TEST_F(AnimationCommandsTest, DeletingAGlobalEntryKeepsThePictures)
{
    auto image = test::MakeAnimation(8, 6, 2);
    image->GlobalColors().Add(MakeColor(0, 0, 255));
    std::fill(image->Frames[1]->Pixels(), image->Frames[1]->Pixels() + 48, 2); // blue
    const std::string path = folder.File("three.gif");
    image->SaveToFile(path);
    TDocument& document = Open(path);
    const std::vector<uint8_t> before = GifBytes(Image());

    // Red (entry 1) is unused once frame 1 is blue; deleting it moves blue up.
    TCmdColorMap edited;
    edited.CopyFrom(Image().GlobalColors());
    ASSERT_TRUE(IsEntryRemovable(Image(), edited, 1, -1));
    const int count = edited.Count(); // the file pads the table to a power of two
    edited.Delete(1);
    std::vector<int> origins{0};
    for (int i = 2; i < count; ++i)
        origins.push_back(i);
    ReplaceGlobalPalette(context, edited, origins);
    EXPECT_EQ(Image().GlobalColors().Count(), count - 1);
    TGIFSubImage& blue = *Image().Frames[1];
    EXPECT_EQ(blue.ActiveColors().ColorAt(blue.Pixels()[0]), MakeColor(0, 0, 255));
    EXPECT_EQ(UndoName(document), ActionChangeGlobalPalette);

    document.Undo();
    EXPECT_EQ(GifBytes(Image()), before);
}

TEST_F(AnimationCommandsTest, EditedGlobalColorIsUndone)
{
    TDocument& document = OpenTimed(1);
    const std::vector<uint8_t> before = GifBytes(Image());
    TCmdColorMap edited;
    edited.CopyFrom(Image().GlobalColors());
    edited.SetColorAt(1, MakeColor(0, 255, 0));
    ReplaceGlobalPalette(context, edited, {0, 1});
    EXPECT_EQ(Image().GlobalColors().ColorAt(1), MakeColor(0, 255, 0));
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), before);
}

TEST_F(AnimationCommandsTest, ReverseKeepsTheLoopOnTheFirstFrame)
{
    auto image = test::MakeAnimation(8, 6, 3);
    AddLoopExtension(*image, 0, 4);
    std::fill(image->Frames[2]->Pixels(), image->Frames[2]->Pixels() + 48, 1);
    SetFrameDelay(*image->Frames[0], 11);
    SetFrameDelay(*image->Frames[2], 33);
    const std::string path = folder.File("three.gif");
    image->SaveToFile(path);
    TDocument& document = Open(path);
    const std::vector<uint8_t> before = GifBytes(Image());

    ASSERT_TRUE(ReverseFrameOrder(context));
    EXPECT_EQ(Image().Frames[0]->ControlBlock->Delay, 33);
    EXPECT_EQ(Image().Frames[2]->ControlBlock->Delay, 11);
    EXPECT_EQ(GetLoopCount(Image()), 4);
    EXPECT_NE(FindLoopExtension(*Image().Frames[0]), nullptr);
    EXPECT_EQ(FindLoopExtension(*Image().Frames[2]), nullptr);
    EXPECT_EQ(document.History().LastName(), ActionReverseFrames);
    document.Undo();
    EXPECT_EQ(GifBytes(Image()), before);
}

TEST_F(AnimationCommandsTest, ReversingOneFrameOnlyBeeps)
{
    TDocument& document = Open(WriteAnimation("one.gif", 1));
    EXPECT_FALSE(ReverseFrameOrder(context));
    EXPECT_EQ(messages.BeepCount(), 1);
    EXPECT_EQ(document.History().Count(), 0);
}

TEST(PaletteEntriesTest, RemovableWhenUnusedOrDuplicated)
{
    auto image = test::MakeAnimation(4, 4, 2); // frame 1 uses red (1)
    TGIFColorMap& global = image->GlobalColors();
    EXPECT_FALSE(IsEntryRemovable(*image, global, 1, -1));
    EXPECT_TRUE(IsEntryRemovable(*image, global, 1, 0));
    EXPECT_FALSE(IsEntryRemovable(*image, global, 1, 1));
    global.Add(MakeColor(255, 0, 0));
    EXPECT_TRUE(IsEntryRemovable(*image, global, 1, -1));
    EXPECT_TRUE(IsEntryRemovable(*image, global, 2, -1));
    // A frame with colors of its own does not hold global entries.
    TGIFSubImage& local = AppendFrame(*image, 0, 0, 4, 4, 3);
    local.LocalColors.Add(0);
    global.Delete(2);
    global.Add(MakeColor(1, 2, 3));
    EXPECT_TRUE(IsEntryRemovable(*image, global, 2, -1));
    EXPECT_FALSE(IsEntryRemovable(*image, global, 5, -1));
}

} // namespace
} // namespace fl
