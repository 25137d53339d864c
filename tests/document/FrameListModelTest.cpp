// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <stdexcept>

#include "document/ActionStates.h"
#include "document/FrameListModel.h"
#include "editing/ThumbnailFolder.h"

namespace fl {
namespace {

TEST(FrameThumbnails, LargeFramesScaleToTheBoundKeepingTheirShape)
{
    int width = 0;
    int height = 0;
    ThumbnailSize(320, 200, 80, width, height);
    EXPECT_EQ(width, 80);
    EXPECT_EQ(height, 50);
    ThumbnailSize(200, 320, 80, width, height);
    EXPECT_EQ(width, 50);
    EXPECT_EQ(height, 80);
    ThumbnailSize(81, 81, 80, width, height);
    EXPECT_EQ(width, 81) << "one pixel over the bound still fits";
    EXPECT_EQ(height, 81);
    ThumbnailSize(65535, 1, 160, width, height);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 0);
}

TEST(FrameListModel, ItemsKeepTheFrameSizeAndAThumbnailWithinTheBound)
{
    TFrameListModel list;
    list.SetThumbnailBound(80);
    list.AddItem("Frame", TBitmap(320, 200, TPixelFormat::pf8bit));
    list.AddItem("Frame", TBitmap(40, 100, TPixelFormat::pf24bit));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0).FrameWidth, 320);
    EXPECT_EQ(list.Item(0).Thumbnail.Width(), 80);
    EXPECT_EQ(list.Item(0).Thumbnail.Height(), 50);
    EXPECT_EQ(list.Item(1).Thumbnail.Width(), 32);
    EXPECT_EQ(list.Item(1).FrameHeight, 100);

    list.SetThumbnailBound(160);
    list.ReplaceThumbnail(0, TBitmap(320, 200, TPixelFormat::pf8bit));
    EXPECT_EQ(list.Item(0).Thumbnail.Width(), 160);
}

TEST(FrameListModel, ChangesAreToldOncePerOutermostUpdate)
{
    TFrameListModel list;
    int changes = 0;
    list.OnChanged = [&changes] { ++changes; };
    list.BeginUpdate();
    list.BeginUpdate();
    for (int i = 0; i < 3; ++i)
        list.AddItem("Frame", TBitmap(2, 2, TPixelFormat::pf24bit));
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    list.EndUpdate(); // unbalanced: ignored
    list.DeleteItem(0);
    EXPECT_EQ(changes, 2);
}

TEST(FrameListModel, BadIndicesThrowAndLeaveTheListAlone)
{
    TFrameListModel list;
    list.AddItem("a", TBitmap(1, 1, TPixelFormat::pf24bit));
    list.AddItem("b", TBitmap(1, 1, TPixelFormat::pf24bit));
    EXPECT_THROW(list.MoveItem(0, 2), std::out_of_range);
    EXPECT_THROW(list.MoveItem(-1, 0), std::out_of_range);
    EXPECT_THROW(list.DeleteItem(2), std::out_of_range);
    EXPECT_THROW(list.InsertItem(3, "c", TBitmap()), std::out_of_range);
    EXPECT_EQ(list.Count(), 2);
    list.MoveItem(1, 0);
    EXPECT_EQ(list.Item(0).Caption, "b");
}

TEST(FrameListModel, SelectionStaysInsideTheList)
{
    TFrameListModel list;
    std::vector<int> told;
    list.OnSelect = [&told](int index) { told.push_back(index); };
    for (int i = 0; i < 3; ++i)
        list.AddItem("Frame", TBitmap(1, 1, TPixelFormat::pf24bit));
    list.Select(2);
    list.Select(2);
    list.Select(7);
    EXPECT_EQ(list.Selected(), -1);
    list.Select(2);
    list.DeleteItem(2);
    EXPECT_EQ(list.Selected(), 1) << "the last item follows a deleted selection";
    EXPECT_EQ(told, (std::vector<int>{2, -1, 2}));
    list.Clear();
    EXPECT_EQ(list.Selected(), -1);
}

TEST(ActionStates, DocumentCommandsSwitchTogetherAndOthersKeepTheirState)
{
    TActionStates actions;
    EXPECT_TRUE(actions.Enabled("FileOpen"));
    EXPECT_FALSE(actions.Enabled("FileSaveAs"));
    EXPECT_FALSE(actions.Enabled(ActFileSave));
    actions.EnableDocumentActions(true);
    for (const char* name : {"FileSaveAs", "FileClose", "FileCloseAll", "EditCut", "EditCopy", "FrameGlobalChange",
                             "AnimationPlay", "AnimationInfo", "AnimationPalette", "AnimationOptimize",
                             "AnimationResize"})
        EXPECT_TRUE(actions.Enabled(name)) << name;
    EXPECT_FALSE(actions.Enabled(ActFileSave));
    EXPECT_FALSE(actions.Enabled("EditPaste"));
    EXPECT_FALSE(actions.Enabled("WindowCascade"));
    EXPECT_THROW(actions.Enabled("FileSaveEverything"), std::out_of_range);

    const unsigned revision = actions.Revision();
    actions.EnableDocumentActions(true);
    EXPECT_EQ(actions.Revision(), revision) << "no change, no refresh";
    actions.EnableMoves(0, 1);
    EXPECT_FALSE(actions.Enabled(ActFrameMoveUp));
    EXPECT_FALSE(actions.Enabled(ActFrameMoveDown));
    EXPECT_EQ(UndoCaption("Move Frame"), "&Undo Move Frame");
}

} // namespace
} // namespace fl
