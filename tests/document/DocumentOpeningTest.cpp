// SPDX-License-Identifier: GPL-3.0-or-later
// Files becoming documents: GIF files with their frame list, videos
// converted into untitled documents, still images added as frames, and the
// recent files following them. Whatever fails leaves the active document
// as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "document/EditorContextSupport.h"
#include "editing/FileTypes.h"
#include "gif/Extensions.h"
#include "platform/Bitmap.h"
#include "platform/SettingsKeys.h"

namespace fl::test {
namespace {

namespace fs = std::filesystem;

class DocumentOpening : public EditorFixture {
protected:
    std::string FullName(const std::string& name) const
    {
        return fs::absolute(folder.File(name)).lexically_normal().string();
    }
    int MessagesWith(const std::string& part) const
    {
        int count = 0;
        for (const TMessageRequest& request : messages.Requests())
            count += request.Text.find(part) != std::string::npos;
        return count;
    }
    // A five-frame animation whose frames 2 and 4 have no pixels; the
    // others are filled with their own index. Such frames come from files
    // whose screen and frame are both of size 0, so the file is patched.
    std::string WriteWithEmptyFrames(const std::string& name)
    {
        TGIFImage image;
        for (int i = 0; i < 5; ++i)
            image.GlobalColors().Add(MakeColor(40 * i, 0, 0));
        image.SetWidth(8);
        image.SetHeight(6);
        for (int i = 0; i < 5; ++i)
            AppendFrame(image, 0, 0, 8, 6, static_cast<uint8_t>(i));
        std::vector<uint8_t> bytes = GifBytes(image);
        std::fill(bytes.begin() + 6, bytes.begin() + 10, uint8_t(0));
        const std::vector<uint8_t> descriptor = {0x2C, 0, 0, 0, 0, 8, 0, 6, 0};
        auto at = bytes.begin();
        for (int frame = 0; frame < 5; ++frame, ++at) {
            at = std::search(at, bytes.end(), descriptor.begin(), descriptor.end());
            if (at == bytes.end())
                throw std::runtime_error("frame descriptor not found");
            if (frame == 2 || frame == 4)
                std::fill(at + 5, at + 9, uint8_t(0));
        }
        const std::string path = folder.File(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Makes the active document modified by moving its first frame.
    void Edit(TDocument& document)
    {
        document.MoveFrame(0, 1);
        ASSERT_TRUE(document.Modified());
    }
    std::string WriteBitmap(const std::string& name, int width, int height)
    {
        TBitmap bitmap(width, height, TPixelFormat::pf24bit);
        const std::string path = folder.File(name);
        bitmap.SaveToFile(path);
        return path;
    }
};

TEST_F(DocumentOpening, EmptyFramesAreListedNowhereAndMoveBehindTheOthers)
{
    const std::string path = WriteWithEmptyFrames("gaps.gif");
    ASSERT_EQ(FramesInFile(path), 5) << "the test needs the empty frames written";
    ASSERT_TRUE(context.OpenAnimationFile(path));

    ASSERT_EQ(context.Frames().Count(), 3);
    ASSERT_EQ(FrameCount(), 5);
    // The listed frames keep their order and come first.
    for (int i = 0; i < 3; ++i) {
        const TGIFSubImage& frame = *context.Animation().Frames[i];
        ASSERT_FALSE(frame.IsEmpty());
        EXPECT_EQ(frame.Pixels()[0], std::vector<uint8_t>({0, 1, 3})[static_cast<size_t>(i)]);
    }
    EXPECT_TRUE(context.Animation().Frames[3]->IsEmpty());
    EXPECT_TRUE(context.Animation().Frames[4]->IsEmpty());
    EXPECT_GT(windows.progressReports, 0) << "a long list shows its progress";
    EXPECT_EQ(context.RecentFiles().Paths().front(), FullName("gaps.gif"));
}

TEST_F(DocumentOpening, AFileAlreadyOpenBeepsAndComesToFront)
{
    const std::string first = WriteAnimation("first.gif", 2);
    ASSERT_TRUE(context.OpenAnimationFile(first));
    TDocument& firstDocument = *context.ActiveDocument();
    Edit(firstDocument);
    ASSERT_TRUE(context.OpenAnimationFile(WriteAnimation("second.gif", 3)));

    // The same file under another spelling of its path is still the same.
    EXPECT_FALSE(context.OpenAnimationFile(folder.File("./first.gif")));
    EXPECT_EQ(messages.BeepCount(), 1);
    EXPECT_EQ(context.DocumentCount(), 2);
    EXPECT_EQ(context.ActiveDocument(), &firstDocument);
    EXPECT_EQ(windows.log.back(), "front first.gif");
    EXPECT_TRUE(firstDocument.Modified()) << "the open document keeps its edits";
    EXPECT_EQ(context.Animation().Frames[0]->Pixels()[0], 1) << "the moved frame is still first";
}

TEST_F(DocumentOpening, AFailedLoadLeavesTheActiveDocumentWithItsEdits)
{
    TDocument& document = Open(WriteAnimation("kept.gif", 3));
    Edit(document);
    const std::string broken = folder.File("broken.gif");
    std::ofstream(broken) << "not a picture";

    EXPECT_FALSE(context.OpenAnimationFile(broken));
    EXPECT_EQ(MessagesWith("Error loading " + FullName("broken.gif") + "! Frameloom does not support"), 1);
    EXPECT_EQ(context.DocumentCount(), 1);
    ASSERT_EQ(context.ActiveDocument(), &document);
    EXPECT_TRUE(document.Modified());
    ASSERT_EQ(context.Frames().Count(), 3);
    EXPECT_EQ(context.Animation().Frames[0]->Pixels()[0], 1) << "the edit survived the failed open";
    EXPECT_TRUE(context.RecentFiles().Paths().empty() ||
                context.RecentFiles().Paths().front() != FullName("broken.gif"));
}

TEST_F(DocumentOpening, AFileWithoutAFrameToShowIsUndecodableAndLeavesTheRecentFiles)
{
    TGIFImage image;
    image.GlobalColors().Add(MakeColor(0, 0, 0));
    image.SetWidth(4);
    image.SetHeight(4);
    AppendFrame(image, 0, 0, 0, 0);
    AppendFrame(image, 0, 0, 0, 0);
    const std::string path = folder.File("hollow.gif");
    image.SaveToFile(path);
    context.AddRecentFile(FullName("hollow.gif"));
    context.AddRecentFile("/elsewhere/other.gif");

    EXPECT_FALSE(context.OpenAnimationFile(path));
    EXPECT_EQ(MessagesWith("Unable to decode " + FullName("hollow.gif") + ". The file is could be corrupt."), 1);
    EXPECT_EQ(context.DocumentCount(), 0);
    EXPECT_EQ(context.RecentFiles().Paths(), std::vector<std::string>({"/elsewhere/other.gif"}));
    EXPECT_EQ(context.ActiveAnimation(), nullptr);
}

TEST_F(DocumentOpening, AVideoBecomesAModifiedUntitledDocumentWithItsWorkingCopy)
{
    TDocument& before = Open(WriteAnimation("before.gif", 2));
    Edit(before);
    context.SetAviImporter([](TGIFImage& image, const std::string&) {
        auto made = MakeAnimation(10, 8, 4);
        image.CopyFrom(made.get());
    });

    ASSERT_TRUE(context.ImportAviDocument("/videos/clip.avi"));
    TDocument& imported = *context.ActiveDocument();
    EXPECT_NE(&imported, &before);
    EXPECT_TRUE(imported.Untitled());
    EXPECT_TRUE(imported.Modified());
    ASSERT_FALSE(imported.WorkingCopy().empty());
    EXPECT_EQ(FramesInFile(imported.WorkingCopy()), 4);
    EXPECT_EQ(context.Frames().Count(), 4);
    EXPECT_EQ(context.Animation().Width(), 10);

    // The document that was active kept its edits for its next activation.
    context.ActivateDocument(before);
    EXPECT_TRUE(before.Modified());
    EXPECT_EQ(context.Animation().Frames[0]->Pixels()[0], 1);
}

TEST_F(DocumentOpening, AVideoThatGivesNothingCreatesNothing)
{
    Open(WriteAnimation("stays.gif", 2));
    context.SetAviImporter([](TGIFImage&, const std::string&) { throw std::runtime_error("No video stream"); });

    EXPECT_FALSE(context.ImportAviDocument("/videos/empty.avi"));
    EXPECT_EQ(MessagesWith("Error importing /videos/empty.avi to GIF."), 1);
    EXPECT_EQ(context.DocumentCount(), 1);
    EXPECT_EQ(context.Frames().Count(), 2);
}

TEST_F(DocumentOpening, AVideoConvertedPartWayKeepsWhatItMadeAndSaysWhy)
{
    context.SetAviImporter([](TGIFImage& image, const std::string&) {
        auto made = MakeAnimation(6, 6, 2);
        image.CopyFrom(made.get());
        throw std::runtime_error("Packet 3 could not be decoded");
    });

    ASSERT_TRUE(context.ImportAviDocument("/videos/cut.avi"));
    EXPECT_EQ(MessagesWith("Packet 3 could not be decoded"), 1);
    EXPECT_EQ(context.Frames().Count(), 2);
}

TEST_F(DocumentOpening, AStillImageStartsANewAnimationWhenNoDocumentIsOpen)
{
    ASSERT_TRUE(context.AddImageFile(WriteBitmap("still.bmp", 12, 7), ftBMP));

    ASSERT_NE(context.ActiveDocument(), nullptr);
    TDocument& document = *context.ActiveDocument();
    EXPECT_TRUE(document.Untitled());
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.History().LastName(), "Add Frame");
    ASSERT_EQ(FrameCount(), 1);
    EXPECT_EQ(context.Animation().Width(), 12);
    EXPECT_EQ(context.Animation().Height(), 7);
    const TGIFSubImage& frame = *context.Animation().Frames[0];
    bool comment = false;
    bool loop = false;
    for (int i = 0; i < frame.Extensions.Count(); ++i) {
        if (const auto* text = dynamic_cast<const TGIFCommentExtension*>(frame.Extensions[i]))
            comment = !text->Lines.empty() && text->Lines[0] == "Created with Quillmark Frameloom 4.0";
        loop = loop || dynamic_cast<const TGIFAppExtNSLoop*>(frame.Extensions[i]) != nullptr;
    }
    EXPECT_TRUE(comment);
    EXPECT_TRUE(loop) << "a default loop count of 0 loops forever";
}

TEST_F(DocumentOpening, AStillImageJoinsTheActiveAnimationAtTheSelectedFrame)
{
    TDocument& document = Open(WriteAnimation("host.gif", 3));
    context.ShowFrame(2);
    ASSERT_TRUE(context.AddImageFile(WriteBitmap("joins.bmp", 8, 6), ftBMP));

    EXPECT_EQ(FrameCount(), 4);
    EXPECT_EQ(context.Frames().Count(), 4);
    EXPECT_EQ(context.Frames().Selected(), 2);
    EXPECT_EQ(document.History().LastName(), "Add Frame");
    EXPECT_TRUE(document.Modified());
}

TEST_F(DocumentOpening, ALargerImageFitsAsTheTrimAnswerSays)
{
    Open(WriteAnimation("small.gif", 2));
    ASSERT_TRUE(context.AddImageFile(WriteBitmap("wide.bmp", 20, 9), ftBMP));
    EXPECT_EQ(windows.trimQuestions, 1);
    EXPECT_EQ(context.Animation().Width(), 8) << "trimmed as answered";
    EXPECT_EQ(context.Animation().Frames[0]->Width(), 8);
    EXPECT_EQ(context.Animation().Frames[0]->Height(), 6);

    // The remembered answer decides without asking.
    WriteIntegerSetting(settings, KeyClipDefault, 1);
    WriteIntegerSetting(settings, KeyClipFrame, 0);
    ASSERT_TRUE(context.AddImageFile(WriteBitmap("wider.bmp", 30, 12), ftBMP));
    EXPECT_EQ(context.Animation().Width(), 30) << "the animation took the image's size";
    EXPECT_EQ(context.Animation().Height(), 12);
    EXPECT_EQ(FrameCount(), 4);
    EXPECT_EQ(windows.trimQuestions, 1);
}

TEST_F(DocumentOpening, AStillImageThatCannotBeReadAddsNothing)
{
    Open(WriteAnimation("host.gif", 2));
    EXPECT_FALSE(context.AddImageFile(folder.File("missing.bmp"), ftBMP));
    EXPECT_EQ(FrameCount(), 2);
    EXPECT_FALSE(context.ActiveDocument()->Modified());
}

TEST_F(DocumentOpening, AShownFrameGetsItsControlBlockAndAMissingFrameIsReported)
{
    Open(WriteAnimation("plain.gif", 3));
    ASSERT_NE(context.Animation().Frames[0]->ControlBlock, nullptr) << "frame 0 was shown on opening";
    EXPECT_EQ(context.Animation().Frames[0]->ControlBlock->Delay, 100);
    EXPECT_EQ(context.Animation().Frames[2]->ControlBlock, nullptr) << "frames not shown stay as read";
    context.Values().DefaultDelay = 25;
    ASSERT_TRUE(context.ShowFrame(2));
    ASSERT_NE(context.Animation().Frames[2]->ControlBlock, nullptr);
    EXPECT_EQ(context.Animation().Frames[2]->ControlBlock->Delay, 25);

    // The list and the animation disagree: said, and nothing else shown.
    context.Animation().Frames.Delete(2);
    const int shown = static_cast<int>(windows.shownFrames.size());
    EXPECT_FALSE(context.ShowFrame(2));
    EXPECT_EQ(MessagesWith("EListError getting SubImages[2] in DrawPreviewImage"), 1);
    EXPECT_EQ(static_cast<int>(windows.shownFrames.size()), shown);
    EXPECT_EQ(context.Frames().Selected(), 2) << "the selection stays where it was";
}

} // namespace
} // namespace fl::test
