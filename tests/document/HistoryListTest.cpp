// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "document/ActiveAnimationCommand.h"
#include "document/CommandError.h"
#include "document/ExtensionCommands.h"
#include "document/FrameCommand.h"
#include "document/HistoryTestSupport.h"
#include "document/RecordedActions.h"
#include "editing/ActiveFrames.h"

namespace fl {
namespace {

using test::CommandErrorOf;
using test::GifBytes;
using test::HistoryFixture;
using test::PrivateTempFolder;

class HistoryListTest : public HistoryFixture {
protected:
    // A command that needs no temporary file and whose undo changes nothing
    // here (frame 2 has no control block).
    void Record(const std::string& name, int frameIndex = 2)
    {
        history.AddCommand(ckGraphicControl, atChanged, -1, 0, frameIndex, name);
    }
    void RecordNumbered(int count)
    {
        for (int i = 0; i < count; ++i)
            Record(std::to_string(i));
    }
};

TEST_F(HistoryListTest, TheLimitKeepsOneMore)
{
    RecordNumbered(60);
    ASSERT_EQ(history.Count(), 51);
    EXPECT_EQ(history.At(0).ActionName, "9");
    EXPECT_EQ(history.LastName(), "59");
    for (int i = 0; i < 51; ++i)
        history.UndoLast();
    EXPECT_EQ(history.Count(), 0);
}

TEST_F(HistoryListTest, LoweredLimitTrimsAtTheNextRecording)
{
    RecordNumbered(30);
    history.SetLimit(10);
    EXPECT_EQ(history.Count(), 30);
    Record("30");
    ASSERT_EQ(history.Count(), 11);
    EXPECT_EQ(history.At(0).ActionName, "20");
    EXPECT_EQ(history.LastName(), "30");
}

TEST_F(HistoryListTest, NewestCommandIsDescribed)
{
    EXPECT_EQ(history.LastName(), "");
    EXPECT_EQ(history.LastFrameIndex(), -1);
    EXPECT_NO_THROW(history.UndoLast());
    Record("Change Delay", 1);
    history.AddCommand(ckPalette, atChanged, -1, 0, -1, ActionChangeGlobalPalette);
    EXPECT_EQ(history.LastName(), ActionChangeGlobalPalette);
    EXPECT_EQ(history.LastFrameIndex(), -1);
    history.UndoLast();
    EXPECT_EQ(history.LastName(), "Change Delay");
    EXPECT_EQ(history.LastFrameIndex(), 1);
    EXPECT_EQ(TGCExt(host, atChanged, 0, 0).ActionName, "Unindentified Action");
}

TEST_F(HistoryListTest, UnknownKindsRecordNothing)
{
    for (TCommandKind kind : {0, 6, 8, -1})
        EXPECT_NO_THROW(history.AddCommand(kind, atChanged, -1, 0, 0, "nothing"));
    EXPECT_EQ(history.Count(), 0);
}

TEST_F(HistoryListTest, UndoesNewestFirst)
{
    history.AddCommand(ckLoop, atChanged, -1, 0, 0, ActionChangeLoop);
    SetLoopCount(Active(), 3);
    const auto afterFirst = GifBytes(Active());
    Record("Change Delay", 1);
    FrameAt(1).ControlBlock->Delay = 99;
    history.UndoLast();
    EXPECT_EQ(GifBytes(Active()), afterFirst);
    history.UndoLast();
    EXPECT_EQ(GifBytes(Active()), before);
}

// Temporary files

class HistoryTempFileTest : public HistoryFixture {
protected:
    void RecordWithFiles()
    {
        history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionGlobalProperties);
        history.AddCommand(ckFrame, atRemoved, -1, 0, 1, ActionDeleteFrame);
    }

    PrivateTempFolder temp;
};

TEST_F(HistoryTempFileTest, FilesLiveAsLongAsTheirCommands)
{
    RecordWithFiles();
    const std::string wholeCopy = dynamic_cast<const TActiveAnimation&>(history.At(0)).TempFileName();
    const std::string frameCopy = dynamic_cast<const TFrame&>(history.At(1)).TempFileName();
    EXPECT_EQ(temp.TempFiles().size(), 2u);
    EXPECT_EQ(std::filesystem::path(wholeCopy).parent_path(), temp.Path());
    EXPECT_GT(std::filesystem::file_size(frameCopy), 0u);

    history.UndoLast();
    EXPECT_FALSE(std::filesystem::exists(frameCopy)) << "undone";
    EXPECT_TRUE(std::filesystem::exists(wholeCopy));
    history.ClearHistory();
    EXPECT_TRUE(temp.TempFiles().empty()) << "cleared";

    history.SetLimit(0);
    RecordWithFiles();
    EXPECT_EQ(history.Count(), 1);
    EXPECT_EQ(temp.TempFiles().size(), 1u) << "pushed out by the limit";
    // Only the delete command needs a file; a move records none.
    history.AddCommand(ckFrame, atMoved, -1, 2, 0, ActionMoveFrame);
    EXPECT_TRUE(temp.TempFiles().empty());
}

TEST_F(HistoryTempFileTest, NoneOutliveTheHistory)
{
    {
        THistoryList own(host);
        own.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionChangeSize);
        own.AddCommand(ckFrame, atRemoved, -1, 0, 0, ActionDeleteFrame);
        EXPECT_EQ(temp.TempFiles().size(), 2u);
    }
    EXPECT_TRUE(temp.TempFiles().empty());
}

TEST_F(HistoryTempFileTest, FailedCopyRecordsNothing)
{
    // A pixel beyond the colors cannot be written: the half made copy goes.
    FrameAt(2).Pixels()[0] = 7;
    EXPECT_ANY_THROW(history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionChangeSize));
    EXPECT_ANY_THROW(history.AddCommand(ckFrame, atRemoved, -1, 0, 1, ActionDeleteFrame));
    EXPECT_EQ(history.Count(), 0);
    EXPECT_TRUE(temp.TempFiles().empty());
    EXPECT_EQ(host.messages.BusyDepth(), 0) << "the hourglass goes on failure too";

    FrameAt(2).Pixels()[0] = 1;
    setenv("TMPDIR", (temp.Path() / "gone").c_str(), 1);
    EXPECT_EQ(CommandErrorOf([&] { history.AddCommand(ckFrame, atRemoved, -1, 0, 1, ActionDeleteFrame); }),
              "TempFile name is empty");
    EXPECT_EQ(CommandErrorOf([&] {
                  history.AddCommand(ckActiveAnimation, atWholeAnimation, -1, 0, 0, ActionChangeSize);
              }),
              "TempFile name is empty");
    EXPECT_EQ(history.Count(), 0);
}

} // namespace
} // namespace fl
