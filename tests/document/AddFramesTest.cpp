// SPDX-License-Identifier: GPL-3.0-or-later
// Frames from image files: a new animation from the first picture, the trim
// and palette questions, the order of several files, and undo.
#include <gtest/gtest.h>

#include "document/EditorContextSupport.h"
#include "document/RecordedActions.h"
#include "editing/FileTypes.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "platform/SettingsKeys.h"

namespace fl {
namespace {

class AddFramesTest : public test::EditorFixture {
protected:
    // A 24-bit picture filled with one color, written as a BMP file.
    std::string WritePicture(const std::string& name, int width, int height, uint8_t red)
    {
        TBitmap picture(width, height, TPixelFormat::pf24bit);
        for (int y = 0; y < height; ++y) {
            uint8_t* row = picture.ScanLine(y);
            for (int x = 0; x < width; ++x) {
                row[x * 3] = 0;
                row[x * 3 + 1] = 0;
                row[x * 3 + 2] = red;
            }
        }
        const std::string path = folder.File(name);
        picture.SaveToFile(path);
        return path;
    }
    // Two 8x6 frames, the second red.
    std::string WriteSourceWithRed()
    {
        auto image = test::MakeAnimation(8, 6, 2);
        const std::string path = folder.File("source.gif");
        image->SaveToFile(path);
        return path;
    }
    TColor PixelColor(int frame, int x, int y)
    {
        TGIFSubImage& subImage = *context.Animation().Frames[frame];
        return subImage.ActiveColors().ColorAt(subImage.Pixels()[y * subImage.Width() + x]);
    }
};

TEST_F(AddFramesTest, TheFirstPictureStartsAnUntitledAnimationWithTheDefaults)
{
    context.AddFrameFiles({WritePicture("red.bmp", 4, 3, 255)});
    TDocument* document = context.ActiveDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(document->Untitled());
    EXPECT_TRUE(document->Modified());
    EXPECT_EQ(document->History().LastName(), ActionAddFrame);
    TGIFImage& image = context.Animation();
    ASSERT_EQ(image.Frames.Count(), 1);
    const TGIFSubImage& frame = *image.Frames[0];
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Delay, 100);
    EXPECT_EQ(frame.ControlBlock->Disposal(), 1);
    EXPECT_EQ(GetLoopCount(image), 0);
    const auto* comment = frame.Extensions.Find<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Lines, TGIFLines{CreatorComment});
    EXPECT_EQ(PixelColor(0, 3, 2), MakeColor(255, 0, 0));
    EXPECT_EQ(windows.paletteQuestions, 1);
}

TEST_F(AddFramesTest, SeveralFilesAreAddedLastToFirst)
{
    Open(WriteAnimation("two.gif", 2));
    windows.insertPosition = 0;
    context.AddFrameFiles({WritePicture("a.bmp", 8, 6, 10), WritePicture("b.bmp", 8, 6, 20)});
    ASSERT_EQ(FrameCount(), 4);
    // b went in first at 0, then a in front of it.
    EXPECT_EQ(PixelColor(0, 0, 0), MakeColor(10, 0, 0));
    EXPECT_EQ(PixelColor(1, 0, 0), MakeColor(20, 0, 0));
    EXPECT_EQ(context.Frames().Count(), 4);
    context.ActiveDocument()->Undo();
    context.ActiveDocument()->Undo();
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(AddFramesTest, ALargerPictureIsTrimmedOrGrowsTheAnimation)
{
    auto image = test::MakeAnimation(200, 100, 1);
    image->SaveToFile(folder.File("wide.gif"));
    const std::string big = WritePicture("big.bmp", 400, 300, 200);

    Open(folder.File("wide.gif"));
    windows.trimAnswer = 1;
    context.AddFrameFiles({big});
    EXPECT_EQ(context.Animation().Width(), 200);
    EXPECT_EQ(context.Animation().Frames[1]->Width(), 200);
    EXPECT_EQ(context.Animation().Frames[1]->Height(), 100);

    windows.trimAnswer = 0;
    context.AddFrameFiles({big});
    EXPECT_EQ(context.Animation().Width(), 400);
    EXPECT_EQ(context.Animation().Height(), 300);
    EXPECT_EQ(windows.trimQuestions, 2);

    // Remembered as the default, the question is not asked again.
    WriteIntegerSetting(settings, KeyClipDefault, 1);
    WriteIntegerSetting(settings, KeyClipFrame, 1);
    context.AddFrameFiles({WritePicture("bigger.bmp", 500, 400, 100)});
    EXPECT_EQ(windows.trimQuestions, 2);
    EXPECT_EQ(context.Animation().Width(), 400);
}

TEST_F(AddFramesTest, FramesCutAwayByGrowingGoBehindTheOthers)
{
    // Frame 0 lies in the bottom rows, which a wide but short picture cuts off.
    auto image = test::MakeAnimation(10, 10, 3);
    image->Frames[0]->SetGeometry(0, 8, 10, 2);
    image->SaveToFile(folder.File("low.gif"));
    TDocument& document = Open(folder.File("low.gif"));
    context.Frames().Select(2);
    TGIFSubImage* third = context.Animation().Frames[2];

    windows.trimAnswer = 0;
    windows.insertPosition = 2;
    context.AddFrameFiles({WritePicture("wide.bmp", 30, 5, 77)});

    TGIFImage& grown = context.Animation();
    ASSERT_EQ(grown.Frames.Count(), 4);
    EXPECT_TRUE(grown.Frames[3]->IsEmpty());
    EXPECT_EQ(context.Frames().Count(), 3);
    // "Before the third frame" still means before it.
    EXPECT_EQ(grown.Frames[2], third);
    EXPECT_EQ(PixelColor(1, 0, 0), MakeColor(77, 0, 0));

    document.Undo();
    ASSERT_EQ(FrameCount(), 3);
    EXPECT_EQ(context.Animation().Frames[0]->Top(), 8);
    EXPECT_EQ(context.Animation().Frames[0]->Height(), 2);
}

TEST_F(AddFramesTest, AGifsFramesAreIncludedAfterOneTrimAndOnePaletteQuestion)
{
    Open(WriteAnimation("small.gif", 2));
    auto big = test::MakeAnimation(16, 12, 3);
    big->SaveToFile(folder.File("big.gif"));
    messages.QueueAnswer(mrYes);
    windows.trimAnswer = 1;
    context.AddFrameFiles({folder.File("big.gif")});
    EXPECT_EQ(FrameCount(), 5);
    EXPECT_EQ(windows.trimQuestions, 1);
    EXPECT_EQ(windows.paletteQuestions, 1);
    EXPECT_FALSE(context.InFrameBatch());
    EXPECT_EQ(context.Animation().Frames[2]->Width(), 8);
}

TEST_F(AddFramesTest, ACancelledQuestionAddsNothing)
{
    TDocument& document = Open(WriteAnimation("two.gif", 2));
    const std::vector<uint8_t> before = test::GifBytes(context.Animation());
    const std::string big = WritePicture("big.bmp", 40, 30, 200);

    windows.trimAnswer = -1;
    context.AddFrameFiles({big});
    windows.trimAnswer = 1;
    windows.paletteAnswer = false;
    context.AddFrameFiles({big});
    windows.paletteAnswer = true;
    windows.insertPosition = -1;
    context.AddFrameFiles({big});

    EXPECT_EQ(test::GifBytes(context.Animation()), before);
    EXPECT_EQ(document.History().Count(), 0);
    EXPECT_EQ(context.Frames().Count(), 2);
}

TEST_F(AddFramesTest, PaletteDefaultsSkipTheQuestion)
{
    WriteIntegerSetting(settings, KeyPaletteDefaults, 1);
    WriteIntegerSetting(settings, KeyPaletteType, 1);
    context.AddFrameFiles({WritePicture("red.bmp", 4, 3, 255)});
    EXPECT_EQ(windows.paletteQuestions, 0);
    ASSERT_EQ(FrameCount(), 1);
    // The web-safe cube maps pure red to itself.
    EXPECT_EQ(PixelColor(0, 0, 0), MakeColor(255, 0, 0));
}

TEST_F(AddFramesTest, ACancelledFirstPictureLeavesTheOpenDocumentActive)
{
    TDocument& document = Open(WriteAnimation("two.gif", 2));
    context.CloseDocument(document, false);
    windows.paletteAnswer = false;
    context.AddFrameFiles({WritePicture("red.bmp", 4, 3, 255)});
    EXPECT_EQ(context.DocumentCount(), 0);
    EXPECT_EQ(context.ActiveDocument(), nullptr);
}

TEST_F(AddFramesTest, AThumbnailDroppedOnTheWorkspaceStartsANewAnimation)
{
    TDocument& open = Open(WriteAnimation("two.gif", 2));
    context.ThumbnailDrag = true;
    ASSERT_TRUE(context.AddImageFile(WritePicture("red.bmp", 4, 3, 255), FileTypeIndex("red.bmp")));
    ASSERT_NE(context.ActiveDocument(), &open);
    EXPECT_TRUE(context.ActiveDocument()->Untitled());
    EXPECT_EQ(context.ActiveDocument()->History().LastName(), ActionDragAndDropImage);
    EXPECT_EQ(open.History().Count(), 0);

    // A GIF opens as a document of its own without the add-or-new question.
    const std::string gif = WriteAnimation("three.gif", 3);
    ASSERT_TRUE(context.AddImageFile(gif, FileTypeIndex(gif)));
    EXPECT_EQ(context.ActiveDocument()->FileName(), TEditorContext::FullPath(gif));
    EXPECT_TRUE(messages.Requests().empty());
    context.ThumbnailDrag = false;
}

TEST_F(AddFramesTest, AFrameDroppedOnAnotherDocumentGoesWhereTheUserSays)
{
    TDocument& target = Open(WriteAnimation("target.gif", 2));
    TDocument& source = Open(WriteSourceWithRed());
    ASSERT_TRUE(context.ShowFrame(1));
    windows.insertPosition = 2;
    ASSERT_TRUE(context.DropFrameOnDocument(target));
    EXPECT_EQ(context.ActiveDocument(), &target);
    ASSERT_EQ(FrameCount(), 3);
    EXPECT_EQ(PixelColor(2, 0, 0), MakeColor(255, 0, 0));
    EXPECT_EQ(target.History().LastName(), ActionDragAndDropImage);
    EXPECT_EQ(source.History().Count(), 0);
}

} // namespace
} // namespace fl
