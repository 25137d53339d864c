// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>

#include "EditorTestSupport.h"
#include "editing/AnimationFacts.h"
#include "editing/AnimationFiles.h"
#include "platform/Stream.h"

namespace fl {
namespace {

using test::MakeAnimation;
using test::ScratchFolder;

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string LoadError(const std::string& path)
{
    return "Error loading " + path + "! Frameloom does not support the file type or it is a corrupted file.";
}

TEST(LoadAnimationFile, ReadsAFileUnderTheHourglass)
{
    ScratchFolder folder;
    auto original = MakeAnimation(5, 3, 2);
    original->SaveToFile(folder.File("two.gif"));

    TScriptedMessageService messages;
    TGIFImage image;
    EXPECT_TRUE(LoadAnimationFile(messages, image, folder.File("two.gif")));
    EXPECT_EQ(image.Frames.Count(), 2);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_TRUE(messages.Requests().empty());
    EXPECT_EQ(messages.BusyCount(), 1);
    EXPECT_EQ(messages.BusyDepth(), 0);
}

TEST(LoadAnimationFile, MissingAndBrokenFilesBeepAndSaySo)
{
    ScratchFolder folder;
    WriteText(folder.File("broken.gif"), "this is no picture at all");
    TScriptedMessageService messages;
    TGIFImage image;
    for (const std::string& path :
         {folder.File("missing.gif"), folder.File("broken.gif"), folder.Path().string()})
        EXPECT_FALSE(LoadAnimationFile(messages, image, path)) << path;
    ASSERT_EQ(messages.Requests().size(), 3u);
    // What went wrong, not a file type, for a file that is not there.
    EXPECT_EQ(messages.Requests()[0].Text, "Error loading " + folder.File("missing.gif") + "! The file does not exist.");
    EXPECT_EQ(messages.Requests()[1].Text, LoadError(folder.File("broken.gif")));
    EXPECT_EQ(messages.Requests()[2].Text, "Error loading " + folder.Path().string() + "! It is a folder, not a file.");
    EXPECT_EQ(messages.Requests()[0].Kind, TMsgDlgType::mtError);
    EXPECT_EQ(messages.BeepCount(), 3);
    EXPECT_EQ(messages.BusyDepth(), 0) << "the cursor comes back after a failure too";
}

class SaveAnimationTest : public testing::Test {
protected:
    // The described message, then the reason.
    std::string SaveError(const std::string& path, const std::string& reason)
    {
        return "Error saving file! Unable to save " + path + " to disk.\n\n" + reason;
    }

    ScratchFolder folder;
    TScriptedMessageService messages;
    TAnimationDefaults defaults;
    std::unique_ptr<TGIFImage> image = MakeAnimation(6, 4, 2);
};

TEST_F(SaveAnimationTest, WritesOnlyExistingFilesUnlessForced)
{
    const std::string path = folder.File("new.gif");
    EXPECT_FALSE(SaveAnimationFile(messages, *image, path, false, false, defaults));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(messages.Requests().empty()) << "not saving is no error";

    EXPECT_TRUE(SaveAnimationFile(messages, *image, path, false, true, defaults));
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(SavedSize(*image)));
    TGIFImage loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Frames.Count(), 2);
    ASSERT_NE(loaded.Frames[1]->ControlBlock, nullptr) << "saved normalized";
    EXPECT_EQ(loaded.Frames[1]->ControlBlock->Delay, 100);

    image->Frames[0]->ControlBlock->Delay = 55;
    EXPECT_TRUE(SaveAnimationFile(messages, *image, path, false, false, defaults))
        << "an existing file is replaced";
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Frames[0]->ControlBlock->Delay, 55);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"new.gif"}) << "no temporary file stays behind";
    EXPECT_TRUE(messages.Requests().empty());
}

TEST_F(SaveAnimationTest, AFailedWriteKeepsThePreviousFile)
{
    const std::string path = folder.File("keep.gif");
    WriteText(path, "previous contents");
    // The writer reports progress per frame; failing there stands for any
    // failure in the middle of a write.
    image->OnProgress = [](TGraphic&, TProgressStage stage, int, bool, const std::string&) {
        if (stage == TProgressStage::Running)
            throw EStreamError("No space left on device");
    };
    EXPECT_FALSE(SaveAnimationFile(messages, *image, path, false, true, defaults));
    EXPECT_EQ(ReadText(path), "previous contents");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"keep.gif"});
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Text, SaveError(path, "No space left on device."));
}

TEST_F(SaveAnimationTest, AnUnwritableTargetIsReported)
{
    const std::string path = folder.File("no-such-folder/a.gif");
    EXPECT_FALSE(SaveAnimationFile(messages, *image, path, false, true, defaults));
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Text, SaveError(path, "The folder does not exist."));
}

TEST_F(SaveAnimationTest, SavingThroughALinkReplacesTheLinkedFile)
{
    const std::string target = folder.File("target.gif");
    const std::string link = folder.File("link.gif");
    WriteText(target, "old");
    std::filesystem::create_symlink(target, link);
    EXPECT_TRUE(SaveAnimationFile(messages, *image, link, false, false, defaults));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    TGIFImage loaded;
    loaded.LoadFromFile(target);
    EXPECT_EQ(loaded.Frames.Count(), 2);
}

TEST_F(SaveAnimationTest, RestoringTheBackgroundDecidesTransparentFramesDisposal)
{
    const std::string path = folder.File("disposal.gif");
    for (const auto& frame : image->Frames) {
        auto block = std::make_unique<TGIFGraphicControlExtension>(*frame);
        block->Delay = 10;
        block->SetTransparent(true);
        frame->Extensions.Append(std::move(block));
    }
    ASSERT_TRUE(SaveAnimationFile(messages, *image, path, false, true, defaults));
    TGIFImage loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Frames[1]->ControlBlock->Disposal(), disposeUnspecified);

    ASSERT_TRUE(SaveAnimationFile(messages, *image, path, true, true, defaults));
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Frames[1]->ControlBlock->Disposal(), disposeBackground);
}

} // namespace
} // namespace fl
