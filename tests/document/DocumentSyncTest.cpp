// SPDX-License-Identifier: GPL-3.0-or-later
// The active animation following the active document.
#include <filesystem>

#include "document/EditorContextSupport.h"

namespace fl {
namespace {

using test::EditorFixture;
using test::FramesInFile;
namespace fs = std::filesystem;

class DocumentSwitching : public EditorFixture {
protected:
    // Switches as the window system does: deactivation, activation, and
    // the posted reload once the event is over.
    void Switch(TDocument& from, TDocument& to)
    {
        context.DocumentDeactivated(from);
        context.DocumentActivated(to);
        windows.RunPosted(context);
    }
};

TEST_F(DocumentSwitching, TwoModifiedDocumentsKeepTheirEdits)
{
    TDocument& a = Open(WriteAnimation("a.gif", 5));
    a.DeleteFrame(0);
    a.DeleteFrame(0);
    TDocument& b = Open(WriteAnimation("b.gif", 4));
    EXPECT_FALSE(a.Loaded());
    b.DeleteFrame(3);
    ASSERT_EQ(FrameCount(), 3);

    Switch(b, a);
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_TRUE(a.Loaded());
    EXPECT_FALSE(b.Loaded());
    a.DeleteFrame(0);

    Switch(a, b);
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_EQ(context.Actions().Caption(ActEditUndo), "&Undo Delete Frame");
    b.Undo();
    EXPECT_EQ(FrameCount(), 4) << "b's own history undoes b's edit";
    EXPECT_FALSE(b.Modified());

    Switch(b, a);
    EXPECT_EQ(FrameCount(), 2);
    EXPECT_TRUE(a.Modified());
    EXPECT_EQ(a.History().Count(), 3);
    EXPECT_EQ(FramesInFile(a.FileName()), 5);
}

TEST_F(DocumentSwitching, TheReloadShowsTheRememberedFrame)
{
    TDocument& a = Open(WriteAnimation("a.gif", 5));
    context.ShowFrame(3);
    TDocument& b = Open(WriteAnimation("b.gif", 2));
    Switch(b, a);
    EXPECT_EQ(context.Frames().Selected(), 3);
    EXPECT_EQ(windows.shownFrames.back(), 3);
}

TEST_F(DocumentSwitching, ASingleDocumentStaysLoaded)
{
    TDocument& a = Open(WriteAnimation("a.gif", 3));
    a.DeleteFrame(0);
    context.DocumentDeactivated(a);
    EXPECT_TRUE(a.Loaded());
    EXPECT_EQ(a.WorkingCopyCount(), a.History().Count()) << "the deactivation wrote the working copy";
    context.DocumentActivated(a);
    EXPECT_TRUE(windows.posted.empty()) << "nothing to reload";
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(DocumentSwitching, ActivatingReloadsBeforeReturning)
{
    TDocument& a = Open(WriteAnimation("a.gif", 4));
    a.DeleteFrame(0);
    Open(WriteAnimation("b.gif", 2));
    context.ActivateDocument(a);
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_TRUE(a.Loaded());
    EXPECT_EQ(windows.log.back(), "front a.gif");
    // The reload the window system posted meanwhile finds nothing to do.
    const size_t shown = windows.shownFrames.size();
    windows.RunPosted(context);
    EXPECT_EQ(windows.shownFrames.size(), shown);
}

TEST_F(DocumentSwitching, AnInactiveDocumentWhoseFileVanishedIsDiscarded)
{
    const std::string first = WriteAnimation("a.gif", 3);
    TDocument& a = Open(first);
    TDocument& b = Open(WriteAnimation("b.gif", 2));
    fs::remove(first);

    Switch(b, a);
    EXPECT_FALSE(context.IsOpen(&a));
    EXPECT_EQ(context.DocumentCount(), 1);
    ASSERT_GE(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests().back().Kind, TMsgDlgType::mtWarning);
    EXPECT_NE(messages.Requests().back().Text.find(" has either moved or cannot be opened."), std::string::npos);
    EXPECT_NE(messages.Requests().back().Text.find("GIF Empty: Yes, Load Error: Yes."), std::string::npos);
    // The remaining document takes the active animation back.
    EXPECT_EQ(context.ActiveDocument(), &b);
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(DocumentSwitching, ADiscardedLastDocumentLeavesTheEmptyEditor)
{
    const std::string path = WriteAnimation("a.gif", 3);
    TDocument& a = Open(path);
    fs::remove(path);
    context.LoadActiveDocument(path);
    EXPECT_FALSE(context.IsOpen(&a));
    EXPECT_FALSE(context.Actions().Enabled("AnimationPlay"));
    EXPECT_EQ(context.Frames().Count(), 0);
}

TEST_F(DocumentSwitching, AReloadPostedForAClosedDocumentIsIgnored)
{
    TDocument& a = Open(WriteAnimation("a.gif", 3));
    TDocument& b = Open(WriteAnimation("b.gif", 2));
    context.DocumentDeactivated(b);
    context.DocumentActivated(a);
    ASSERT_EQ(windows.posted.size(), 1u);
    context.CloseDocument(a, false);
    windows.RunPosted(context);
    EXPECT_EQ(context.DocumentCount(), 1);
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(DocumentSwitching, ActivationPausesThePreviewAndClearsTheStatusText)
{
    TDocument& a = Open(WriteAnimation("a.gif", 3));
    TDocument& b = Open(WriteAnimation("b.gif", 2));
    context.SetStatusText("Playing Frame 1 of 2");
    const int pauses = windows.pauses;
    Switch(b, a);
    EXPECT_EQ(context.StatusText(), "");
    EXPECT_GT(windows.pauses, pauses);
}

TEST_F(DocumentSwitching, SaveAllFollowsEveryDocumentsModifiedState)
{
    TDocument& a = Open(WriteAnimation("a.gif", 3));
    a.DeleteFrame(0);
    TDocument& b = Open(WriteAnimation("b.gif", 2));
    EXPECT_FALSE(context.Actions().Enabled(ActFileSave)) << "b is not modified";
    EXPECT_TRUE(context.Actions().Enabled(ActFileSaveAll)) << "a is";
    context.CloseDocument(a, false);
    EXPECT_FALSE(context.Actions().Enabled(ActFileSaveAll));
    EXPECT_TRUE(context.IsOpen(&b));
}

} // namespace
} // namespace fl
