// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "document/EditorContextSupport.h"
#include "document/RecordedActions.h"
#include "editing/FrameSettings.h"
#include "platform/TempFiles.h"

namespace fl {
namespace {

using test::EditorFixture;
using test::FileBytes;
using test::FramesInFile;
namespace fs = std::filesystem;

class EditorDocument : public EditorFixture {};

TEST_F(EditorDocument, NewDocumentsAreNumberedAndStartUntitledAndUnmodified)
{
    TDocument& first = context.NewDocument();
    TDocument& second = context.NewDocument();
    EXPECT_EQ(first.FileName(), "Untitled1.gif");
    EXPECT_EQ(second.ShortName(), "Untitled2.gif");
    EXPECT_TRUE(second.Untitled());
    EXPECT_FALSE(second.Modified());
    EXPECT_EQ(context.ActiveDocument(), &second);
    EXPECT_FALSE(first.Loaded()) << "the new document takes the active animation";
    EXPECT_EQ(second.UndoLimit(), 50);
    EXPECT_FALSE(Enabled(ActEditUndo));
    EXPECT_TRUE(context.Actions().Enabled("WindowCascade"));
}

TEST_F(EditorDocument, UndoDepthComesFromTheSettings)
{
    settings.WriteInteger("Settings", "MaxUndo", 7);
    TDocument& document = Open(WriteAnimation("a.gif", 3));
    EXPECT_EQ(document.UndoLimit(), 7);
    EXPECT_EQ(document.History().Limit(), 7);
}

TEST_F(EditorDocument, OpeningFillsTheFrameListAndShowsTheFirstFrame)
{
    TDocument& document = Open(WriteAnimation("three.gif", 3));
    EXPECT_EQ(document.FileName(), fs::absolute(folder.File("three.gif")).lexically_normal().string());
    ASSERT_EQ(context.Frames().Count(), 3);
    EXPECT_EQ(context.Frames().Item(2).Caption, "Frame");
    EXPECT_EQ(context.Frames().Item(2).FrameWidth, 8);
    EXPECT_EQ(context.Frames().Selected(), 0);
    EXPECT_EQ(windows.shownFrames.back(), 0);
    EXPECT_TRUE(Enabled("AnimationPlay")) << "document commands follow a shown frame";
    EXPECT_TRUE(Enabled(ActFrameDelete));
    EXPECT_FALSE(Enabled(ActFrameMoveUp));
    EXPECT_TRUE(Enabled(ActFrameMoveDown));
    EXPECT_FALSE(Enabled(ActFileSave));
}

TEST_F(EditorDocument, AFileThatCannotBeLoadedLeavesNoDocument)
{
    const std::string path = folder.File("broken.gif");
    std::ofstream(path) << "not a picture";
    EXPECT_EQ(context.OpenDocument(path), nullptr);
    EXPECT_EQ(context.DocumentCount(), 0);
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Text,
              "Error loading " + fs::absolute(path).lexically_normal().string() +
                  "! Frameloom does not support the file type or it is a corrupted file.");
    EXPECT_EQ(messages.BeepCount(), 1);
    EXPECT_FALSE(Enabled("AnimationPlay"));
    EXPECT_EQ(context.ActiveAnimation(), nullptr);
}

TEST_F(EditorDocument, AnEditWritesTheWorkingCopyAndPublishesTheUndoStep)
{
    TDocument& document = Open(WriteAnimation("a.gif", 3));
    document.DeleteFrame(1);

    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.StatusText(), "Modified");
    EXPECT_EQ(FrameCount(), 2);
    EXPECT_EQ(context.Frames().Count(), 2);
    ASSERT_FALSE(document.WorkingCopy().empty());
    EXPECT_EQ(fs::path(document.WorkingCopy()).filename().string().rfind("~FL", 0), 0u);
    EXPECT_EQ(FramesInFile(document.WorkingCopy()), 2);
    EXPECT_EQ(FramesInFile(document.FileName()), 3) << "the file itself waits for Save";
    EXPECT_TRUE(Enabled(ActEditUndo));
    EXPECT_EQ(context.Actions().Caption(ActEditUndo), "&Undo Delete Frame");
    EXPECT_TRUE(Enabled(ActFileSave));
    EXPECT_TRUE(Enabled(ActFileSaveAll));
}

TEST_F(EditorDocument, TheOnlyFrameCannotBeDeleted)
{
    TDocument& document = Open(WriteAnimation("one.gif", 1));
    document.DeleteFrame(0);
    EXPECT_EQ(FrameCount(), 1);
    EXPECT_EQ(document.History().Count(), 0);
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Text, "The image one.gif must have, at least, one frame image.");
    EXPECT_EQ(messages.Requests()[0].Kind, TMsgDlgType::mtInformation);
    document.DeleteFrame(-1);
    EXPECT_EQ(messages.Requests().size(), 1u);
}

TEST_F(EditorDocument, MovingAFrameRecordsItAndSetsTheMoveCommands)
{
    const std::string path = WriteAnimation("four.gif", 4);
    TDocument& document = Open(path);
    const std::vector<uint8_t> before = test::GifBytes(context.Animation());

    document.MoveFrame(3, 0);
    EXPECT_EQ(document.History().LastName(), "Move Frame");
    EXPECT_EQ(context.Frames().Selected(), 0);
    EXPECT_FALSE(Enabled(ActFrameMoveBegin));
    EXPECT_FALSE(Enabled(ActFrameMoveUp));
    EXPECT_TRUE(Enabled(ActFrameMoveEnd));

    document.MoveFrame(0, 4); // beyond the last line: ignored
    document.MoveFrame(-1, 2);
    EXPECT_EQ(document.History().Count(), 1);

    // Undoing the only command of a named document reloads the saved file.
    EXPECT_TRUE(document.Undo());
    EXPECT_FALSE(document.Modified());
    EXPECT_TRUE(document.WorkingCopy().empty());
    EXPECT_EQ(test::GifBytes(context.Animation()), before);
    EXPECT_FALSE(Enabled(ActEditUndo));
    EXPECT_EQ(context.Actions().Caption(ActEditUndo), "&Undo ");
}

TEST_F(EditorDocument, UndoSelectsTheInspectorRowNamedByTheCommand)
{
    TDocument& document = Open(WriteAnimation("a.gif", 3));
    context.SelectInspectorRow(5);
    document.AddCommand(ckGraphicControl, atChanged, 0, 0, 1, "Change Delay");
    document.AddCommand(ckFrame, atChanged, 0, 0, 2, "Change X-Offset");
    document.AddCommand(ckFrame, atChanged, 0, 0, 2, "Non-Interlaced");
    document.AddCommand(ckFrame, atMoved, 0, 1, 0, "Move Frame");

    document.Undo();
    EXPECT_EQ(context.InspectorRow(), 5) << "no row label in the name keeps the row";
    document.Undo();
    EXPECT_EQ(context.InspectorRow(), 6);
    document.Undo();
    EXPECT_EQ(context.InspectorRow(), 3);
    EXPECT_EQ(windows.shownFrames.back(), 2) << "the undone command's frame is shown";
    document.Undo();
    EXPECT_EQ(context.InspectorRow(), 10);
}

TEST_F(EditorDocument, UndoOnAnEmptyHistoryDoesNothing)
{
    TDocument& document = Open(WriteAnimation("a.gif", 2));
    const size_t shown = windows.shownFrames.size();
    EXPECT_TRUE(document.Undo());
    EXPECT_EQ(windows.shownFrames.size(), shown);
    EXPECT_FALSE(document.Modified());
}

TEST_F(EditorDocument, HistoryThatLostCommandsToItsLimitNeverClaimsTheSavedState)
{
    TDocument& document = Open(WriteAnimation("six.gif", 6));
    document.SetUndoLimit(1);
    for (int i = 0; i < 4; ++i)
        document.DeleteFrame(0);
    ASSERT_EQ(document.History().Count(), 2);
    document.Undo();
    document.Undo();
    EXPECT_EQ(document.History().Count(), 0);
    EXPECT_TRUE(document.Modified()) << "the two oldest deletions are still in effect";
    EXPECT_EQ(FrameCount(), 4);
}

TEST_F(EditorDocument, UndoingTheLastFrameAwayClosesTheDocumentWithoutAsking)
{
    context.NewDocument();
    TBitmap picture(4, 4, TPixelFormat::pf24bit);
    ASSERT_TRUE(context.InsertBitmapAsFrame(picture, 0, "Add Frame"));
    TDocument& document = *context.ActiveDocument();
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(context.Frames().Count(), 1);

    EXPECT_FALSE(document.Undo());
    EXPECT_EQ(context.DocumentCount(), 0);
    EXPECT_TRUE(messages.Requests().empty());
    EXPECT_EQ(windows.timersStarted, 1);
}

TEST_F(EditorDocument, SaveAsWritesTheFileAndClearsTheHistory)
{
    TDocument& document = Open(WriteAnimation("a.gif", 3));
    document.DeleteFrame(0);
    const std::string workingCopy = document.WorkingCopy();
    const std::string oldName = document.FileName();
    const std::string target = folder.File("saved.gif");
    dialogs.QueueFiles({target});
    messages.QueueAnswer(mrNo, true); // compatibility: no, and remember it

    EXPECT_TRUE(document.QuerySave(true, true));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Kind, TFileDialogKind::Save);
    EXPECT_EQ(dialogs.Requests()[0].FileName, oldName);
    EXPECT_EQ(dialogs.Requests()[0].DefaultExt, "gif");
    EXPECT_EQ(document.ShortName(), "saved.gif");
    EXPECT_FALSE(document.Modified());
    EXPECT_FALSE(document.Untitled());
    EXPECT_EQ(document.History().Count(), 0);
    EXPECT_FALSE(Enabled(ActEditUndo)) << "undo never goes back past a save";
    EXPECT_FALSE(fs::exists(workingCopy));
    EXPECT_EQ(FramesInFile(target), 2);
    EXPECT_EQ(context.Values().InitialDir, folder.Path().string());
    EXPECT_EQ(settings.ReadInteger("Settings", "Compatibility", 0), mrNo);
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Text, "Would you like Frameloom to check the compatibility of this animation?");
    EXPECT_EQ(messages.Requests()[0].CheckBoxCaption, "Do not ask again");

    // The remembered answer is taken without asking.
    document.DeleteFrame(0);
    EXPECT_TRUE(document.QuerySave(false, true));
    EXPECT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(FramesInFile(target), 1);
}

TEST_F(EditorDocument, CompatibilityCheckRestoresTheBackgroundUnderFullTransparentFrames)
{
    auto image = test::MakeAnimation(8, 6, 3);
    for (int i = 0; i < 3; ++i) {
        SetFrameDelay(*image->Frames[i], 10);
        image->Frames[i]->ControlBlock->SetTransparent(true);
        image->Frames[i]->ControlBlock->SetTransparentIndex(0);
    }
    const std::string path = folder.File("transparent.gif");
    image->SaveToFile(path);
    TDocument& document = Open(path);
    settings.WriteInteger("Settings", "Compatibility", mrYes);
    ASSERT_TRUE(document.SaveDocument());

    TGIFImage saved;
    saved.LoadFromFile(path);
    ASSERT_EQ(saved.Frames.Count(), 3);
    EXPECT_NE(saved.Frames[0]->ControlBlock->Disposal(), 2) << "the first frame is left alone";
    EXPECT_EQ(saved.Frames[1]->ControlBlock->Disposal(), 2);
    EXPECT_EQ(saved.Frames[2]->ControlBlock->Disposal(), 2);
    EXPECT_TRUE(messages.Requests().empty());
}

TEST_F(EditorDocument, TheSaveQuestionHasThreeAnswers)
{
    TDocument& document = Open(WriteAnimation("a.gif", 3));
    EXPECT_TRUE(document.QuerySave(false, false)) << "an unmodified document needs no question";
    EXPECT_TRUE(messages.Requests().empty());

    document.DeleteFrame(2);
    messages.QueueAnswer(mrCancel);
    EXPECT_FALSE(document.QuerySave(false, false));
    messages.QueueAnswer(mrNo);
    EXPECT_TRUE(document.QuerySave(false, false));
    EXPECT_EQ(FramesInFile(document.FileName()), 3);
    ASSERT_EQ(messages.Requests().size(), 2u);
    EXPECT_EQ(messages.Requests()[0].Text, "Would you like to save changes to a.gif?");
    EXPECT_EQ(messages.BeepCount(), 2);

    settings.WriteInteger("Settings", "Compatibility", mrNo);
    messages.QueueAnswer(mrYes);
    EXPECT_TRUE(document.QuerySave(false, false));
    EXPECT_EQ(FramesInFile(document.FileName()), 2);
    EXPECT_TRUE(dialogs.Requests().empty()) << "a named document saves under its name";
}

TEST_F(EditorDocument, CancellingTheSaveDialogKeepsEverything)
{
    context.NewDocument();
    TBitmap picture(4, 4, TPixelFormat::pf24bit);
    ASSERT_TRUE(context.InsertBitmapAsFrame(picture, 0, "Add Frame"));
    TDocument& document = *context.ActiveDocument();
    dialogs.QueueCancel();
    messages.QueueAnswer(mrYes);
    EXPECT_FALSE(document.QuerySave(false, false));
    EXPECT_TRUE(document.Modified());
    EXPECT_TRUE(document.Untitled());
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].FileName, "Untitled1.gif");
}

TEST_F(EditorDocument, AFailedSaveLosesNothing)
{
    const std::string path = WriteAnimation("a.gif", 3);
    TDocument& document = Open(path);
    document.DeleteFrame(0);
    const std::string workingCopy = document.WorkingCopy();
    settings.WriteInteger("Settings", "Compatibility", mrNo);

    // Save As into a folder that does not exist.
    dialogs.QueueFiles({folder.File("missing/b.gif")});
    EXPECT_FALSE(document.QuerySave(true, true));
    EXPECT_EQ(document.ShortName(), "a.gif") << "the document keeps its name";
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.History().Count(), 1);
    EXPECT_EQ(document.WorkingCopy(), workingCopy);
    EXPECT_EQ(FramesInFile(workingCopy), 2);
    EXPECT_TRUE(Enabled(ActEditUndo));
    EXPECT_EQ(messages.Requests().back().Text,
              "Error saving file! Unable to save " + fs::absolute(folder.File("missing/b.gif")).string() +
                  " to disk.\n\nThe folder does not exist.");

    // Saving over a file that cannot be replaced leaves it as it was.
    const std::string blocked = folder.File("blocked.gif");
    fs::create_directory(blocked);
    dialogs.QueueFiles({blocked});
    EXPECT_FALSE(document.QuerySave(true, true));
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_EQ(FramesInFile(path), 3);
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(EditorDocument, AWorkingCopyThatCannotBeWrittenKeepsTheDocumentAndItsEdits)
{
    TDocument& document = Open(WriteAnimation("a.gif", 5));
    document.DeleteFrame(0);
    const std::string workingCopy = document.WorkingCopy();
    ASSERT_FALSE(workingCopy.empty());
    // Something else takes the working copy's place.
    fs::remove(workingCopy);
    fs::create_directory(workingCopy);

    document.DeleteFrame(0);
    EXPECT_EQ(context.DocumentCount(), 1);
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(FrameCount(), 3);

    // Another document takes the active animation: the edits are kept.
    TDocument& other = Open(WriteAnimation("b.gif", 2));
    EXPECT_EQ(FrameCount(), 2);
    context.ActivateDocument(document);
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_TRUE(document.Modified());
    EXPECT_TRUE(context.IsOpen(&other));
    fs::remove(workingCopy);
}

TEST_F(EditorDocument, ClosingAnInactiveDocumentSavesItsOwnEdits)
{
    const std::string first = WriteAnimation("a.gif", 4);
    TDocument& a = Open(first);
    a.DeleteFrame(0);
    Open(WriteAnimation("b.gif", 2));
    settings.WriteInteger("Settings", "Compatibility", mrNo);

    messages.QueueAnswer(mrYes);
    EXPECT_TRUE(context.CloseDocument(a, true));
    EXPECT_EQ(FramesInFile(first), 3) << "the file gets a's edits, not the active animation";
    EXPECT_EQ(context.DocumentCount(), 1);
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(EditorDocument, ClosingTheLastDocumentResetsTheEditor)
{
    TDocument& document = Open(WriteAnimation("a.gif", 2));
    document.DeleteFrame(0);
    const std::string workingCopy = document.WorkingCopy();
    messages.QueueAnswer(mrNo);
    EXPECT_TRUE(context.CloseDocument(document, true));

    EXPECT_EQ(context.DocumentCount(), 0);
    EXPECT_FALSE(fs::exists(workingCopy));
    EXPECT_EQ(context.Frames().Count(), 0);
    EXPECT_TRUE(context.Animation().IsEmpty());
    EXPECT_FALSE(Enabled("AnimationPlay"));
    EXPECT_FALSE(Enabled("FileCloseAll"));
    EXPECT_FALSE(Enabled(ActFrameDelete));
    EXPECT_FALSE(Enabled(ActFrameMoveDown));
    EXPECT_FALSE(Enabled(ActEditUndo));
    EXPECT_FALSE(Enabled("WindowCascade"));
    EXPECT_EQ(windows.inspectorResets, 1);
    EXPECT_EQ(windows.timersStarted, 1);
    EXPECT_EQ(windows.log.back(), "removed a.gif");

    context.SaveTimerFired();
    EXPECT_FALSE(Enabled(ActFileSave));
    EXPECT_FALSE(Enabled(ActFileSaveAll));
}

TEST_F(EditorDocument, NoTemporaryFileOutlivesTheEditor)
{
    std::vector<std::string> files;
    {
        TScriptedMessageService quiet;
        TScriptedFileDialogService noDialogs;
        TMemorySettingsStore store;
        test::RecordingWindows recorder;
        TEditorContext editor(quiet, noDialogs, store, recorder);
        TDocument* a = editor.OpenDocument(WriteAnimation("a.gif", 4));
        ASSERT_NE(a, nullptr);
        a->DeleteFrame(1);
        a->DeleteFrame(1);
        TDocument* b = editor.OpenDocument(WriteAnimation("b.gif", 3));
        ASSERT_NE(b, nullptr);
        b->DeleteFrame(0);
        files = {a->WorkingCopy(), b->WorkingCopy()};
        for (const std::string& file : files)
            ASSERT_TRUE(fs::exists(file));
    }
    for (const std::string& file : files)
        EXPECT_FALSE(fs::exists(file)) << file;
}

} // namespace
} // namespace fl
