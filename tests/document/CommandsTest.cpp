// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/ActiveAnimationCommand.h"
#include "document/CommandError.h"
#include "document/FrameCommand.h"
#include "document/HistoryTestSupport.h"
#include "document/RecordedActions.h"
#include "editing/ActiveFrames.h"
#include "platform/GIFException.h"
#include "support/GifTestSupport.h"

namespace fl {
namespace {

using test::AppendFrame;
using test::CommandErrorOf;
using test::GifBytes;
using test::HistoryFixture;

const TFrame& NewestFrameCommand(const THistoryList& history)
{
    return dynamic_cast<const TFrame&>(history.At(history.Count() - 1));
}

// Whole animation

class ActiveAnimationCommandTest : public HistoryFixture {};

TEST_F(ActiveAnimationCommandTest, PutsBackEverythingTheFileHolds)
{
    history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionReverseFrames);
    Active().Frames.Move(2, 0);
    Active().SetWidth(30);
    Active().GlobalColors().SetColorAt(1, MakeColor(9, 9, 9));
    Active().Header.BackgroundIndex = 1;
    Active().Frames.Delete(1);
    ExpectUndoRestores();
}

TEST_F(ActiveAnimationCommandTest, KeepsTheDocumentsHandlersAndSettings)
{
    int warnings = 0;
    Active().WarningHandler = [&](TGIFImage&, TGIFItem*, int, const std::string&) { ++warnings; };
    Active().PlaySpeed = 150;
    history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionOptimize);
    Active().PlaySpeed = 50;
    Active().Frames.Delete(0);
    ExpectUndoRestores();
    EXPECT_EQ(Active().PlaySpeed, 150);
    ASSERT_TRUE(Active().WarningHandler) << "restoring must not unhook the document";
    FrameAt(1).LocalColors.ColorAt(99);
    EXPECT_EQ(warnings, 1);
}

TEST_F(ActiveAnimationCommandTest, AnUnreadableCopyFailsAndStays)
{
    history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionChangeSize);
    const auto& command = dynamic_cast<const TActiveAnimation&>(history.At(0));
    std::ofstream(command.TempFileName(), std::ios::binary | std::ios::trunc) << "not a GIF at all";
    Active().Frames.Delete(2);
    const auto edited = GifBytes(Active());
    EXPECT_ANY_THROW(history.UndoLast());
    EXPECT_EQ(history.Count(), 1) << "a failing undo keeps its command";
    EXPECT_EQ(GifBytes(Active()), edited) << "and leaves the animation alone";
}

TEST_F(ActiveAnimationCommandTest, CorpusFilesComeBackByteForByte)
{
    // The last file ends in loop extensions after its last image.
    for (const char* name : {"animated/animated-red-blue.gif", "animated/muybridge.gif",
                             "robustness/multiple-loop-counts.gif"}) {
        SCOPED_TRACE(name);
        auto image = std::make_unique<TGIFImage>();
        image->LoadFromFile((test::SharedDir() / "corpus" / name).string());
        Open(std::move(image));
        history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionReverseFrames);
        const int count = Active().Frames.Count();
        for (int i = 0; i < count / 2; ++i)
            Active().Frames.Move(count - 1, i);
        ExpectUndoRestores();
    }
}

// Palettes

class PaletteCommandTest : public HistoryFixture {};

TEST_F(PaletteCommandTest, LocalPaletteAddedAndRemoved)
{
    history.AddCommand(ckPalette, atAdded, -1, 0, 0, ActionAddLocalPalette);
    FrameAt(0).LocalColors.CopyFrom(Active().GlobalColors());
    ExpectUndoRestores();

    history.AddCommand(ckPalette, atRemoved, -1, 0, 1, "Remove Local Palette");
    FrameAt(1).LocalColors.Reset();
    ExpectUndoRestores();
}

TEST_F(PaletteCommandTest, RefilledLocalPaletteIsNotOverwritten)
{
    history.AddCommand(ckPalette, atRemoved, -1, 0, 1, "Remove Local Palette");
    FrameAt(1).LocalColors.Reset();
    FrameAt(1).LocalColors.Add(MakeColor(1, 2, 3));
    history.UndoLast();
    EXPECT_EQ(FrameAt(1).LocalColors.Count(), 1);
}

TEST_F(PaletteCommandTest, GlobalPaletteChanged)
{
    history.AddCommand(ckPalette, atChanged, -1, 0, -1, ActionChangeGlobalPalette);
    Active().GlobalColors().SetColorAt(0, MakeColor(1, 2, 3));
    Active().GlobalColors().Add(MakeColor(4, 5, 6));
    Active().GlobalColors().Add(MakeColor(7, 8, 9));
    ExpectUndoRestores();
}

TEST_F(PaletteCommandTest, EntriesAddedChangedAndDeleted)
{
    TGIFColorMap& colors = FrameAt(1).LocalColors;
    history.AddCommand(ckPalette, atColorAdded, 4, static_cast<int>(MakeColor(5, 5, 5)), 1,
                       ActionAddColorEntry);
    colors.Add(MakeColor(5, 5, 5));
    ExpectUndoRestores();

    history.AddCommand(ckPalette, atColorChanged, 1, static_cast<int>(colors.ColorAt(1)), 1,
                       ActionChangeColorEntry);
    colors.SetColorAt(1, MakeColor(200, 100, 0));
    ExpectUndoRestores();

    history.AddCommand(ckPalette, atColorDeleted, 3, 0, 1, ActionDeleteColorEntry);
    colors.Delete(3);
    ExpectUndoRestores();
}

TEST_F(PaletteCommandTest, DeletedEntryComesBackAtTheEnd)
{
    TGIFColorMap& colors = FrameAt(1).LocalColors;
    history.AddCommand(ckPalette, atColorDeleted, 1, 0, 1, ActionDeleteColorEntry);
    colors.Delete(1);
    history.UndoLast();
    ASSERT_EQ(colors.Count(), 4);
    EXPECT_EQ(colors.ColorAt(1), MakeColor(0, 0, 0));
    EXPECT_EQ(colors.ColorAt(3), MakeColor(0, 128, 0));
}

TEST_F(PaletteCommandTest, DeletingWithoutAnEntryRecordsNothing)
{
    EXPECT_EQ(CommandErrorOf(
                  [&] { history.AddCommand(ckPalette, atColorDeleted, -1, 0, 1, ActionDeleteColorEntry); }),
              "AColorIndex is -1!");
    EXPECT_NE(CommandErrorOf(
                  [&] { history.AddCommand(ckPalette, atColorDeleted, 4, 0, 1, ActionDeleteColorEntry); }),
              "");
    EXPECT_EQ(history.Count(), 0);
}

// Frames

class FrameCommandTest : public HistoryFixture {};

TEST_F(FrameCommandTest, AddedFrameIsDeletedWithItsListEntry)
{
    AppendFrame(Active(), 1, 1, 2, 2, 1);
    Active().Frames.Move(3, 1);
    host.frameList.items.insert(host.frameList.items.begin() + 1, "new");
    history.AddCommand(ckFrame, atAdded, -1, 0, 1, ActionAddFrame);
    history.UndoLast();
    EXPECT_EQ(GifBytes(Active()), before);
    EXPECT_EQ(host.frameList.items, std::vector<std::string>(3, "Frame"));
}

TEST_F(FrameCommandTest, RemovedFramesComeBackExactly)
{
    for (int index : {1, 0, 2}) {
        SCOPED_TRACE(index);
        host.frameList.log.clear();
        history.AddCommand(ckFrame, atRemoved, -1, 0, index, ActionDeleteFrame);
        ASSERT_TRUE(DeleteActiveFrame(host, index));
        ExpectUndoRestores();
        ASSERT_EQ(host.frameList.items.size(), 3u);
        const std::string size =
            std::to_string(FrameAt(index).Width()) + "x" + std::to_string(FrameAt(index).Height());
        EXPECT_EQ(host.frameList.log[host.frameList.log.size() - 2],
                  "insert " + std::to_string(index) + " Frame " + size);
        EXPECT_EQ(host.frameList.selected, index);
    }
    EXPECT_EQ(host.messages.BusyDepth(), 0);
    EXPECT_GT(host.messages.BusyCount(), 0);
    EXPECT_GT(host.progressReports, 0) << "the copy is saved with the main window's progress";
}

TEST_F(FrameCommandTest, RemovedFrameWhoseCopyWentAwayInsertsNothing)
{
    history.AddCommand(ckFrame, atRemoved, -1, 0, 1, ActionDeleteFrame);
    const std::string copy = NewestFrameCommand(history).TempFileName();
    ASSERT_TRUE(std::filesystem::exists(copy));
    DeleteActiveFrame(host, 1);
    std::filesystem::remove(copy);
    const auto edited = GifBytes(Active());
    EXPECT_NO_THROW(history.UndoLast());
    EXPECT_EQ(history.Count(), 0);
    EXPECT_EQ(GifBytes(Active()), edited);
    EXPECT_EQ(host.frameList.items.size(), 2u);
}

TEST_F(FrameCommandTest, PlaceAndInterlacingChanged)
{
    history.AddCommand(ckFrame, atChanged, -1, 0, 1, "Change X-Offset");
    FrameAt(1).SetLeft(20); // grows the screen
    FrameAt(1).SetTop(9);
    FrameAt(1).SetInterlaced(true);
    ExpectUndoRestores();
    EXPECT_EQ(Active().Width(), 8);
}

TEST_F(FrameCommandTest, FrameOutsideTheScreenGoesBackThere)
{
    // As some files have it: the model holds it, so undo must too.
    FrameAt(1).SetStoredGeometry(6, 5, 4, 3);
    before = GifBytes(Active());
    history.AddCommand(ckFrame, atChanged, -1, 0, 1, "Change Y-Offset");
    FrameAt(1).SetGeometry(0, 0, 4, 3);
    ExpectUndoRestores();
}

TEST_F(FrameCommandTest, MovedFramesGoBack)
{
    // Moves to and from the first frame carry the loop extension along.
    for (auto [from, to] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{1, 2}}) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        history.AddCommand(ckFrame, atMoved, -1, to, from, ActionMoveFrame);
        ASSERT_TRUE(MoveActiveFrame(host, from, to));
        ExpectUndoRestores();
        EXPECT_EQ(host.frameList.selected, from);
    }
}

TEST_F(FrameCommandTest, MissingFrameRecordsNothing)
{
    EXPECT_EQ(CommandErrorOf([&] { history.AddCommand(ckFrame, atRemoved, -1, 0, 3, ActionDeleteFrame); }),
              "Could not get GIFSubImage");
    EXPECT_EQ(CommandErrorOf([&] { history.AddCommand(ckFrame, atChanged, -1, 0, -1, "Change X-Offset"); }),
              "Could not get GIFSubImage");
    EXPECT_EQ(history.Count(), 0);
}

TEST_F(FrameCommandTest, CorpusFramesDeletedAndMoved)
{
    for (const char* name : {"animated/animated-red-blue.gif", "animated/muybridge.gif"}) {
        SCOPED_TRACE(name);
        auto image = std::make_unique<TGIFImage>();
        image->LoadFromFile((test::SharedDir() / "corpus" / name).string());
        Open(std::move(image));
        const int last = Active().Frames.Count() - 1;
        for (int index : {0, last}) {
            history.AddCommand(ckFrame, atRemoved, -1, 0, index, ActionDeleteFrame);
            ASSERT_TRUE(DeleteActiveFrame(host, index));
            ExpectUndoRestores();
        }
        history.AddCommand(ckFrame, atMoved, -1, last, 0, ActionMoveFrame);
        ASSERT_TRUE(MoveActiveFrame(host, 0, last));
        ExpectUndoRestores();
    }
}

// Loop count

class LoopCommandTest : public HistoryFixture {};

TEST_F(LoopCommandTest, LoopChangedRemovedAndAdded)
{
    history.AddCommand(ckLoop, atChanged, -1, 0, 0, ActionChangeLoop);
    SetLoopCount(Active(), 3);
    ExpectUndoRestores();

    history.AddCommand(ckLoop, atRemoved, -1, 0, 0, ActionChangeLoop);
    TGIFSubImage& first = FrameAt(0);
    first.Extensions.Delete(first.Extensions.IndexOf(FindLoopExtension(first)));
    ExpectUndoRestores();

    first.Extensions.Delete(first.Extensions.IndexOf(FindLoopExtension(first)));
    before = GifBytes(Active());
    history.AddCommand(ckLoop, atAdded, -1, 0, 0, ActionChangeLoop);
    SetLoopCount(Active(), 0);
    ExpectUndoRestores();
}

TEST_F(LoopCommandTest, ChangeFromNoLoopRemovesTheExtension)
{
    TGIFSubImage& first = FrameAt(0);
    first.Extensions.Delete(first.Extensions.IndexOf(FindLoopExtension(first)));
    before = GifBytes(Active());
    history.AddCommand(ckLoop, atChanged, -1, 0, 0, ActionChangeLoop);
    SetLoopCount(Active(), 4);
    ExpectUndoRestores();
    EXPECT_FALSE(HasLoopExtension(Active()));
}

TEST_F(LoopCommandTest, StoredCountOfOneIsAnExtensionToo)
{
    SetLoopCount(Active(), 2); // stores 1
    before = GifBytes(Active());
    history.AddCommand(ckLoop, atChanged, -1, 0, 0, ActionChangeLoop);
    SetLoopCount(Active(), 9);
    ExpectUndoRestores();
    EXPECT_EQ(GetLoopCount(Active()), 2);
}

TEST_F(LoopCommandTest, RemovedExtensionKeepsItsIdentity)
{
    TGIFAppExtNSLoop& loop = *FindLoopExtension(FrameAt(0));
    loop.AppId = MakeApplicationId("ANIMEXTS1.0");
    loop.BufferSize = 4096;
    before = GifBytes(Active());
    history.AddCommand(ckLoop, atRemoved, -1, 0, 0, ActionChangeLoop);
    FrameAt(0).Extensions.Delete(FrameAt(0).Extensions.IndexOf(&loop));
    ExpectUndoRestores();
}

TEST_F(LoopCommandTest, AnimationWithoutFramesRecordsNothing)
{
    host.active = test::MakeAnimation(4, 4, 0);
    EXPECT_THROW(history.AddCommand(ckLoop, atChanged, -1, 0, 0, ActionChangeLoop), GIFException);
    EXPECT_EQ(history.Count(), 0);
}

// Graphic control

class ControlCommandTest : public HistoryFixture {};

TEST_F(ControlCommandTest, DelayAndDisposalChanged)
{
    history.AddCommand(ckGraphicControl, atChanged, -1, 0, 1, "Change Delay");
    FrameAt(1).ControlBlock->Delay = 250;
    FrameAt(1).ControlBlock->SetDisposal(1);
    FrameAt(1).ControlBlock->SetTransparent(false);
    FrameAt(1).ControlBlock->SetWaitForInput(true);
    ExpectUndoRestores();
    EXPECT_TRUE(FrameAt(1).Transparent) << "the frame's mirror of the flag follows";
}

TEST_F(ControlCommandTest, BlockRemovedAndAdded)
{
    // The transparent color, black, is in the palette twice: the restored
    // block must keep the index it had.
    history.AddCommand(ckGraphicControl, atRemoved, -1, 0, 1, "Change Disposal");
    FrameAt(1).Extensions.Delete(FrameAt(1).Extensions.IndexOf(FrameAt(1).ControlBlock));
    ExpectUndoRestores();
    ASSERT_NE(FrameAt(1).ControlBlock, nullptr);
    EXPECT_EQ(FrameAt(1).ControlBlock->TransparentIndex(), 2);

    history.AddCommand(ckGraphicControl, atAdded, -1, 0, 2, "Change Delay");
    auto block = std::make_unique<TGIFGraphicControlExtension>(FrameAt(2));
    block->Delay = 7;
    FrameAt(2).Extensions.Append(std::move(block));
    ExpectUndoRestores();
    EXPECT_EQ(FrameAt(2).ControlBlock, nullptr);
}

TEST_F(ControlCommandTest, UndoForAFrameThatWentFails)
{
    history.AddCommand(ckGraphicControl, atChanged, -1, 0, 2, "Change Delay");
    Active().Frames.Delete(2);
    EXPECT_EQ(CommandErrorOf([&] { history.UndoLast(); }), "SubImage is nil, TGCExt");
    EXPECT_EQ(history.Count(), 1);
}

// Comments

class CommentCommandTest : public HistoryFixture {};

TEST_F(CommentCommandTest, CommentAddedChangedAndDeleted)
{
    TGIFExtensionList& extensions = FrameAt(0).Extensions;
    const int index = extensions.Count();
    history.AddCommand(ckComment, atAdded, -1, index, 0, ActionAddComment);
    auto comment = std::make_unique<TGIFCommentExtension>(FrameAt(0));
    comment->Lines = {"pasted"};
    extensions.Append(std::move(comment));
    ExpectUndoRestores();

    history.AddCommand(ckComment, atChanged, -1, index - 1, 0, ActionChangeComment);
    dynamic_cast<TGIFCommentExtension*>(extensions[index - 1])->Lines = {"made in a test\r\ntwo", "lines"};
    ExpectUndoRestores();

    history.AddCommand(ckComment, atRemoved, -1, index - 1, 0, ActionDeleteComment);
    extensions.Delete(index - 1);
    ExpectUndoRestores();
}

TEST_F(CommentCommandTest, WrongExtensionIsRefused)
{
    // Extension 0 of the first frame is the loop extension.
    EXPECT_EQ(
        CommandErrorOf([&] { history.AddCommand(ckComment, atChanged, -1, 0, 0, ActionChangeComment); }),
        "Invalid class typecast");
    EXPECT_THROW(history.AddCommand(ckComment, atRemoved, -1, 5, 0, ActionDeleteComment), GIFException);
    EXPECT_EQ(history.Count(), 0);

    history.AddCommand(ckComment, atChanged, -1, 1, 0, ActionChangeComment);
    FrameAt(0).Extensions.Delete(1);
    EXPECT_EQ(CommandErrorOf([&] { history.UndoLast(); }), "Invalid Extension Index");
    history.ClearHistory();
    history.AddCommand(ckComment, atAdded, -1, 0, 0, ActionAddComment);
    EXPECT_EQ(CommandErrorOf([&] { history.UndoLast(); }), "Invalid Extension Index");
    EXPECT_EQ(history.Count(), 1);
}

// Every kind

class AnyCommandTest : public HistoryFixture {};

TEST_F(AnyCommandTest, UnknownActionTypeFailsOnUndo)
{
    const std::pair<TCommandKind, const char*> kinds[] = {{ckPalette, "TCommandPalette"},
                                                          {ckFrame, "TFrame"},
                                                          {ckComment, "TCommentExt"},
                                                          {ckGraphicControl, "TGCExt"},
                                                          {ckLoop, "TNSLoop"}};
    for (const auto& [kind, className] : kinds) {
        history.AddCommand(kind, atUnknown, -1, 0, 0, "?");
        EXPECT_EQ(CommandErrorOf([&] { history.UndoLast(); }),
                  std::string("Unknown Action Type from ") + className + "!");
        EXPECT_EQ(history.Count(), 1);
        history.ClearHistory();
    }
    EXPECT_EQ(GifBytes(Active()), before);
}

} // namespace
} // namespace fl
