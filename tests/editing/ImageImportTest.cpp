// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>

#include "EditorTestSupport.h"
#include "editing/DefaultableMessage.h"
#include "editing/FileTypes.h"
#include "editing/ImageImport.h"

namespace fl {
namespace {

using test::FakeEditorHost;
using test::MakeAnimation;
using test::ScratchFolder;

class ImageImportTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Three frames of which the middle one is empty.
        auto dropped = MakeAnimation(4, 3, 1);
        dropped->AddFrame(std::make_unique<TGIFSubImage>(dropped.get()));
        test::AppendFrame(*dropped, 1, 1, 2, 2);
        gif = folder.File("drop.gif");
        dropped->SaveToFile(gif);
        host.active = MakeAnimation(4, 3, 2);
    }

    int Import(const std::string& path, bool bitmapOnly = false, TDropSource source = TDropSource::Other)
    {
        return ImportImageFile(host, path, bitmap, FileTypeIndex(path), bitmapOnly, source);
    }
    void Remember(int answer) { WriteIntegerSetting(host.settings, KeyDropImageDefault, answer); }

    ScratchFolder folder;
    FakeEditorHost host;
    TBitmap bitmap;
    std::string gif;
};

TEST_F(ImageImportTest, MissingAndUnknownFilesAreReported)
{
    EXPECT_EQ(Import(folder.File("gone.png")), importFailed);
    const std::string jpeg = folder.File("photo.jpeg");
    std::ofstream(jpeg) << "x";
    EXPECT_EQ(Import(jpeg), importFailed);
    ASSERT_EQ(host.messages.Requests().size(), 2u);
    EXPECT_EQ(host.messages.Requests()[0].Text, "Error loading " + folder.File("gone.png") + "! The file does not exist.");
    EXPECT_EQ(host.messages.Requests()[1].Text, "photo.jpeg is an unrecognized file type!");
    EXPECT_TRUE(host.reader.calls.empty());
    EXPECT_EQ(ImportImageFile(host, jpeg, bitmap, 57, false), importFailed) << "a type outside the table";
}

TEST_F(ImageImportTest, BitmapsAreReadSilently)
{
    TBitmap picture(5, 2, TPixelFormat::pf24bit);
    picture.SaveToFile(folder.File("pic.bmp"));
    EXPECT_EQ(Import(folder.File("pic.bmp")), importBitmapFilled);
    EXPECT_EQ(bitmap.Width(), 5);

    std::ofstream(folder.File("bad.BMP")) << "BM but broken";
    EXPECT_EQ(Import(folder.File("bad.BMP")), importFailed);
    EXPECT_TRUE(host.messages.Requests().empty());
}

TEST_F(ImageImportTest, OtherTypesGoThroughTheImageReader)
{
    const std::string png = folder.File("Logo.PNG");
    std::ofstream(png) << "png bytes";
    EXPECT_EQ(Import(png), importBitmapFilled);
    ASSERT_EQ(host.reader.calls.size(), 1u);
    EXPECT_EQ(host.reader.calls[0], png + " 11");
    EXPECT_EQ(bitmap.Width(), 3);

    host.reader.result = 7;
    EXPECT_EQ(Import(png), importFailed);
    host.readerAvailable = false;
    EXPECT_EQ(Import(png), importFailed);
    EXPECT_TRUE(host.messages.Requests().empty()) << "the reader's failures are silent";
}

TEST_F(ImageImportTest, AGifAsBitmapOnlyGivesItsFirstPicture)
{
    EXPECT_EQ(Import(gif, true), importBitmapFilled);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_TRUE(host.messages.Requests().empty());
    EXPECT_TRUE(host.openedAsNew.empty());

    std::ofstream(folder.File("bad.gif")) << "not a picture";
    EXPECT_EQ(Import(folder.File("bad.gif"), true), importFailed);
    EXPECT_EQ(host.messages.BeepCount(), 1) << "loading reports its own failure";
}

TEST_F(ImageImportTest, AGifOpensAsNewWithoutADocumentOrFromTheThumbnails)
{
    auto active = std::move(host.active);
    EXPECT_EQ(Import(gif), importOpenedAsNew);
    host.active = std::move(active);
    EXPECT_EQ(Import(gif, false, TDropSource::ThumbnailsOutsideFrameList), importOpenedAsNew);
    EXPECT_EQ(host.openedAsNew, (std::vector<std::string>{gif, gif}));
    EXPECT_TRUE(host.messages.Requests().empty());
}

TEST_F(ImageImportTest, ARememberedStartNewAsksNothing)
{
    Remember(mrNo);
    EXPECT_EQ(Import(gif), importOpenedAsNew);
    EXPECT_EQ(host.openedAsNew, std::vector<std::string>{gif});
    EXPECT_TRUE(host.messages.Requests().empty());
    EXPECT_EQ(host.active->Frames.Count(), 2);
}

TEST_F(ImageImportTest, IncludingInsertsEveryFrameWithPixels)
{
    host.messages.QueueAnswer(mrYes);
    host.insertPosition = 1;
    EXPECT_EQ(Import(gif), importFramesAdded);
    ASSERT_EQ(host.messages.Requests().size(), 1u);
    const TMessageRequest& question = host.messages.Requests()[0];
    EXPECT_EQ(question.Text, "Would you like to add this image to the current animation?\r\n"
                             " Or, would you like to start it as new animation?");
    EXPECT_EQ(question.Kind, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(question.CheckBoxCaption, "Make this the &default");
    ASSERT_EQ(question.Buttons.size(), 3u);
    EXPECT_EQ(question.Buttons[0].Caption, "&Include");
    EXPECT_EQ(question.Buttons[1].Caption, "&Start New");
    EXPECT_EQ(question.Buttons[2].Button, TMsgDlgBtn::mbCancel);

    EXPECT_EQ(host.insertedPositions, (std::vector<int>{1, 2})) << "the empty frame is skipped";
    EXPECT_EQ(host.insertedUndoNames,
              (std::vector<std::string>{"Drag and Drop Image", "Drag and Drop Image"}));
    EXPECT_EQ(host.active->Frames.Count(), 4);
    EXPECT_EQ(host.documentChanges, 1);
    EXPECT_FALSE(host.settings.ValueExists(SectionSettings, KeyDropImageDefault.Name)) << "the box was not ticked";
}

TEST_F(ImageImportTest, TickedAnswersAreRememberedButNotCancel)
{
    host.messages.QueueAnswer(mrCancel, true);
    EXPECT_EQ(Import(gif), importFailed);
    EXPECT_FALSE(host.settings.ValueExists(SectionSettings, KeyDropImageDefault.Name));

    host.messages.QueueAnswer(mrNo, true);
    EXPECT_EQ(Import(gif), importOpenedAsNew);
    EXPECT_EQ(ReadIntegerSetting(host.settings, KeyDropImageDefault), mrNo);
    EXPECT_EQ(Import(gif), importOpenedAsNew);
    EXPECT_EQ(host.messages.Requests().size(), 2u) << "asked no more";
}

TEST_F(ImageImportTest, CancellingThePositionOrAFailedInsertionStops)
{
    Remember(mrYes);
    host.insertPosition = -1;
    EXPECT_EQ(Import(gif), importFailed);
    EXPECT_EQ(host.insertPositionQuestions, 1);
    EXPECT_TRUE(host.insertedPositions.empty());

    host.insertPosition = 0;
    host.failInsertAfter = 0;
    EXPECT_EQ(Import(gif), importFailed);
    EXPECT_EQ(host.insertedPositions.size(), 1u) << "no insertion after the failed one";
    EXPECT_EQ(host.documentChanges, 0);
    EXPECT_TRUE(host.messages.Requests().empty());
}

TEST(DefaultableMessage, OtherQuestionsKeepTheStandardButtons)
{
    TScriptedMessageService messages;
    TMemorySettingsStore settings;
    messages.QueueAnswer(mrYes, true);
    EXPECT_EQ(ShowDefaultableMessage(messages, settings, "Check?", "Do not ask again", KeyCompatibility),
              mrYes);
    ASSERT_EQ(messages.Requests().size(), 1u);
    EXPECT_EQ(messages.Requests()[0].Buttons[0].Caption, "");
    EXPECT_EQ(ReadIntegerSetting(settings, KeyCompatibility), mrYes);

    WriteIntegerSetting(settings, KeyCompatibility, 3);
    EXPECT_EQ(ShowDefaultableMessage(messages, settings, "Check?", "Do not ask again", KeyCompatibility),
              mrCancel)
        << "a stored value other than yes or no still asks";
    EXPECT_EQ(messages.Requests().size(), 2u);
}

} // namespace
} // namespace fl
