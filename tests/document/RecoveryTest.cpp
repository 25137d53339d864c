// SPDX-License-Identifier: GPL-3.0-or-later
// Edits left in working copies by an abnormal end come back at the next
// start: offered one by one, taken back as untitled modified documents under
// their file's name, or deleted when declined; never offered twice, and a
// normal end leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "document/HistoryTestSupport.h"
#include "document/RecordingWindows.h"
#include "document/WorkingCopyRecords.h"
#include "platform/FileDialogService.h"
#include "platform/ProcessInfo.h"
#include "platform/SettingsStore.h"

namespace fl::test {
namespace {

namespace fs = std::filesystem;

// A process id no process has.
constexpr int GoneProcess = 0x3FFFFFFF;

struct TEditor {
    TScriptedMessageService messages;
    TScriptedFileDialogService dialogs;
    TMemorySettingsStore settings;
    RecordingWindows windows;
    TEditorContext context{messages, dialogs, settings, windows};
};

// Copies every working copy with its record, as a process that ended
// abnormally leaves them.
int LeaveAsAfterACrash(const fs::path& temp)
{
    int left = 0;
    for (const auto& entry : fs::directory_iterator(temp)) {
        TWorkingCopyRecord record;
        if (entry.path().extension() != ".owner" ||
            !ReadWorkingCopyRecord((entry.path().parent_path() / entry.path().stem()).string(), record))
            continue;
        const fs::path copy = temp / ("~FLcrashed" + std::to_string(left++) + ".tmp");
        fs::copy_file(record.WorkingCopy, copy);
        WriteWorkingCopyRecord(copy.string(), record.FileName, record.Untitled, GoneProcess);
    }
    return left;
}

TEST(RecoveryTest, EditsLeftByACrashComeBackOnce)
{
    PrivateTempFolder temp;
    ScratchFolder files;
    const std::string path = files.File("walk.gif");
    MakeAnimation(8, 6, 3)->SaveToFile(path);

    std::vector<uint8_t> edited;
    {
        TEditor first;
        TDocument* document = first.context.OpenDocument(path);
        ASSERT_NE(document, nullptr);
        document->MoveFrame(2, 0);
        edited = GifBytes(first.context.Animation());
        ASSERT_EQ(LeaveAsAfterACrash(temp.Path()), 1);
    }
    // The normal end took its own working copy and record away.
    EXPECT_EQ(temp.TempFiles(), (std::vector<std::string>{"~FLcrashed0.tmp", "~FLcrashed0.tmp.owner"}));

    TEditor next;
    next.messages.QueueAnswer(mrYes);
    EXPECT_EQ(next.context.RecoverWorkingCopies(), 1);
    ASSERT_EQ(next.messages.Requests().size(), 1u);
    EXPECT_EQ(next.messages.Requests()[0].Text, "Recover unsaved changes of walk.gif?");
    ASSERT_EQ(next.context.DocumentCount(), 1);
    const TDocument& recovered = *next.context.ActiveDocument();
    EXPECT_TRUE(recovered.Untitled());
    EXPECT_TRUE(recovered.Modified());
    EXPECT_EQ(recovered.FileName(), fs::absolute(path).lexically_normal().string());
    EXPECT_EQ(GifBytes(next.context.Animation()), edited);
    EXPECT_EQ(next.context.Frames().Count(), 3);

    // Taken over by this process: another start beside it offers nothing.
    const auto abandoned = FindAbandonedWorkingCopies(temp.Path().string());
    EXPECT_TRUE(abandoned.empty());
    EXPECT_EQ(next.context.RecoverWorkingCopies(), 0);
    EXPECT_EQ(next.messages.Requests().size(), 1u);
}

TEST(RecoveryTest, DeclinedCopiesAreDeletedAndUnansweredOnesWait)
{
    PrivateTempFolder temp;
    ScratchFolder files;
    const std::string path = files.File("a.gif");
    MakeAnimation(8, 6, 2)->SaveToFile(path);
    {
        TEditor first;
        TDocument* document = first.context.OpenDocument(path);
        ASSERT_NE(document, nullptr);
        document->MoveFrame(1, 0);
        LeaveAsAfterACrash(temp.Path());
    }

    // Closed without an answer: it stays for the next start.
    TEditor closed;
    closed.messages.QueueAnswer(mrCancel);
    EXPECT_EQ(closed.context.RecoverWorkingCopies(), 0);
    EXPECT_EQ(temp.TempFiles().size(), 2u);
    // Declined: it goes.
    TEditor declined;
    declined.messages.QueueAnswer(mrNo);
    EXPECT_EQ(declined.context.RecoverWorkingCopies(), 0);
    EXPECT_EQ(declined.context.DocumentCount(), 0);
    EXPECT_TRUE(temp.TempFiles().empty());
}

TEST(RecoveryTest, OnlyOneProgramTakesACopy)
{
    PrivateTempFolder temp;
    std::ofstream((temp.Path() / "~FLshared.tmp").string()) << "GIF89a";
    WriteWorkingCopyRecord((temp.Path() / "~FLshared.tmp").string(), "/x/shared.gif", false, GoneProcess);
    auto first = FindAbandonedWorkingCopies(temp.Path().string());
    auto second = FindAbandonedWorkingCopies(temp.Path().string());
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_TRUE(ClaimWorkingCopy(first[0]));
    EXPECT_FALSE(ClaimWorkingCopy(second[0])) << "the other program was first";
    EXPECT_TRUE(FindAbandonedWorkingCopies(temp.Path().string()).empty()) << "claimed by a running process";
    // Given back, it is offered again.
    ReleaseWorkingCopy(first[0]);
    EXPECT_EQ(FindAbandonedWorkingCopies(temp.Path().string()).size(), 1u);
}

TEST(RecoveryTest, WorkingCopiesOfARunningProcessAreNotOffered)
{
    PrivateTempFolder temp;
    ASSERT_TRUE(WriteWorkingCopyRecord((temp.Path() / "~FLmine.tmp").string(), "/x/mine.gif", false));
    std::ofstream((temp.Path() / "~FLmine.tmp").string()) << "GIF";
    EXPECT_TRUE(FindAbandonedWorkingCopies(temp.Path().string()).empty()) << "this process is running";
    // A record whose copy is gone, or empty, is cleaned away; a link is no
    // copy of ours.
    WriteWorkingCopyRecord((temp.Path() / "~FLlost.tmp").string(), "/x/lost.gif", false, GoneProcess);
    WriteWorkingCopyRecord((temp.Path() / "~FLempty.tmp").string(), "/x/empty.gif", false, GoneProcess);
    std::ofstream((temp.Path() / "~FLempty.tmp").string());
    WriteWorkingCopyRecord((temp.Path() / "~FLlink.tmp").string(), "/x/link.gif", false, GoneProcess);
    fs::create_symlink(temp.Path() / "~FLmine.tmp", temp.Path() / "~FLlink.tmp");
    EXPECT_TRUE(FindAbandonedWorkingCopies(temp.Path().string()).empty());
    EXPECT_FALSE(fs::exists(temp.Path() / "~FLlost.tmp.owner"));
    EXPECT_FALSE(fs::exists(temp.Path() / "~FLempty.tmp"));
    EXPECT_TRUE(fs::exists(temp.Path() / "~FLmine.tmp")) << "what the link points to is left alone";
    EXPECT_TRUE(ProcessIsRunning(CurrentProcessId()));
    EXPECT_FALSE(ProcessIsRunning(GoneProcess));
}

} // namespace
} // namespace fl::test
