// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editing/ActiveFrames.h"
#include "editing/AnimationPalettes.h"
#include "editing/LoopCount.h"

namespace fl {
namespace {

using test::AppendFrame;
using test::FakeEditorHost;
using test::MakeAnimation;
using test::ScratchFolder;

class ActiveFramesTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.active = MakeAnimation(4, 4, 0);
        for (int i = 0; i < 4; ++i) {
            frames.push_back(&AppendFrame(*host.active, 0, 0, i + 1, 1));
            host.frameList.items.push_back(std::to_string(i));
        }
        SetLoopCount(*host.active, 6); // stores 5
    }
    int IndexOf(int original) { return host.active->Frames.IndexOf(frames[static_cast<size_t>(original)]); }

    FakeEditorHost host;
    std::vector<TGIFSubImage*> frames;
};

TEST_F(ActiveFramesTest, TheLoopStaysWithTheFirstFrame)
{
    EXPECT_TRUE(MoveActiveFrame(host, 0, 2));
    EXPECT_EQ(IndexOf(0), 2);
    EXPECT_EQ(FindLoopExtension(*frames[0]), nullptr);
    ASSERT_NE(FindLoopExtension(*frames[1]), nullptr);
    EXPECT_EQ(FindLoopExtension(*frames[1])->LoopCount, 5) << "the same stored count";
    EXPECT_EQ(host.frameList.items, (std::vector<std::string>{"1", "2", "0", "3"}));
    EXPECT_EQ(host.frameList.log, (std::vector<std::string>{"begin", "move 0 2", "end", "select 2"}));

    EXPECT_TRUE(MoveActiveFrame(host, 3, 0));
    EXPECT_EQ(IndexOf(3), 0);
    EXPECT_EQ(FindLoopExtension(*frames[1]), nullptr);
    EXPECT_EQ(GetLoopCount(*host.active), 6);

    EXPECT_TRUE(MoveActiveFrame(host, 1, 3));
    EXPECT_EQ(FindLoopExtension(*frames[3])->LoopCount, 5) << "moves behind the first frame leave it alone";
    EXPECT_EQ(host.frameList.selected, 3);
}

TEST_F(ActiveFramesTest, MovesThatCannotHappenChangeNothing)
{
    EXPECT_FALSE(MoveActiveFrame(host, -1, 2));
    EXPECT_FALSE(MoveActiveFrame(host, 0, 4));
    EXPECT_FALSE(MoveActiveFrame(host, 7, 0));
    EXPECT_NE(FindLoopExtension(*frames[0]), nullptr) << "the loop is still where it was";
    EXPECT_EQ(IndexOf(0), 0);
    EXPECT_TRUE(host.frameList.log.empty());
    host.frameList.failMoves = true;
    EXPECT_FALSE(MoveActiveFrame(host, 1, 2)) << "a list that cannot follow fails the move";
    EXPECT_EQ(host.frameList.log, (std::vector<std::string>{"begin", "end"})) << "updates come back on";
    host.active.reset();
    EXPECT_FALSE(MoveActiveFrame(host, 0, 1));
}

TEST_F(ActiveFramesTest, DeletingSelectsTheFrameBefore)
{
    EXPECT_TRUE(DeleteActiveFrame(host, 2));
    EXPECT_EQ(host.active->Frames.Count(), 3);
    EXPECT_EQ(IndexOf(3), 2);
    EXPECT_TRUE(DeleteActiveFrame(host, 0));
    EXPECT_EQ(host.frameList.items, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(host.frameList.log, (std::vector<std::string>{"delete 2", "select 1", "refresh", "delete 0",
                                                            "select 0", "refresh"}));

    host.frameList.log.clear();
    EXPECT_FALSE(DeleteActiveFrame(host, 5));
    EXPECT_FALSE(DeleteActiveFrame(host, -1));
    EXPECT_EQ(host.frameList.log, (std::vector<std::string>{"refresh", "refresh"}))
        << "the view is refreshed anyway";
    EXPECT_EQ(host.active->Frames.Count(), 2);
}

class InsertFromFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Its frames use global colors the active animation does not have.
        auto source = MakeAnimation(4, 4, 0);
        source->GlobalColors().SetColorAt(1, MakeColor(0, 200, 0));
        AppendFrame(*source, 0, 0, 4, 4, 0);
        AppendFrame(*source, 1, 1, 2, 3, 1);
        source->AddFrame(std::make_unique<TGIFSubImage>(source.get()));
        path = folder.File("source.gif");
        source->SaveToFile(path);
        host.active = MakeAnimation(4, 4, 2);
        host.frameList.items = {"a", "b"};
    }

    ScratchFolder folder;
    FakeEditorHost host;
    std::string path;
};

TEST_F(InsertFromFileTest, CopiesTheFrameOfTheSameNumber)
{
    EXPECT_TRUE(InsertFrameFromFile(host, path, 1));
    ASSERT_EQ(host.active->Frames.Count(), 3);
    const TGIFSubImage& inserted = *host.active->Frames[1];
    EXPECT_EQ(inserted.Left(), 1);
    EXPECT_EQ(inserted.Width(), 2);
    EXPECT_EQ(inserted.Height(), 3);
    ASSERT_GE(inserted.LocalColors.Count(), 2) << "the source's colors come along";
    EXPECT_EQ(const_cast<TGIFSubImage&>(inserted).ActiveColors().ColorAt(inserted.Pixels()[0]),
              MakeColor(0, 200, 0));
    EXPECT_EQ(host.frameList.log, (std::vector<std::string>{"insert 1 Frame 2x3", "select 1"}));
    EXPECT_GT(host.progressReports, 0) << "loading reports to the editor";
    EXPECT_EQ(host.messages.BusyDepth(), 0);
    EXPECT_GE(host.messages.BusyCount(), 1);
}

TEST_F(InsertFromFileTest, NothingToCopyInsertsNothing)
{
    EXPECT_FALSE(InsertFrameFromFile(host, path, 2)) << "the file's frame 2 is empty";
    host.active->Frames.Delete(1);
    EXPECT_FALSE(InsertFrameFromFile(host, path, 3)) << "beyond the file's frames";
    EXPECT_FALSE(InsertFrameFromFile(host, path, -1));
    EXPECT_TRUE(host.messages.Requests().empty());
    EXPECT_EQ(host.active->Frames.Count(), 1);

    EXPECT_FALSE(InsertFrameFromFile(host, folder.File("gone.gif"), 0));
    EXPECT_EQ(host.messages.Requests().size(), 1u) << "a file that does not load is reported";
    EXPECT_TRUE(host.frameList.log.empty());
}

TEST(OptimizeAnimationPalettes, LeavesOneGlobalColorMap)
{
    auto image = MakeAnimation(3, 3, 2);
    TGIFSubImage& frame = *image->Frames[1];
    frame.LocalColors.Add(MakeColor(0, 0, 255));
    frame.LocalColors.Add(MakeColor(255, 0, 0));
    const TColor shown = frame.ActiveColors().ColorAt(frame.Pixels()[0]);
    OptimizeAnimationPalettes(*image);
    for (const auto& each : image->Frames)
        EXPECT_EQ(each->LocalColors.Count(), 0);
    EXPECT_EQ(frame.ActiveColors().ColorAt(frame.Pixels()[0]), shown);
}

} // namespace
} // namespace fl
