// SPDX-License-Identifier: GPL-3.0-or-later
// Cut, Copy, Paste and Paste Comments through the editor context, with a
// clipboard in memory standing for the system's.
#include <gtest/gtest.h>

#include <filesystem>

#include "document/EditorContextSupport.h"
#include "document/RecordedActions.h"
#include "editing/FrameSettings.h"
#include "gif/Extensions.h"
#include "platform/Clipboard.h"
#include "platform/Stream.h"

namespace fl {
namespace {

using test::AppendFrame;

// What a frame shows and how it plays, independent of its color tables.
struct TFrameLook {
    int Left, Top, Width, Height, Delay, Disposal;
    bool Transparent;
    std::vector<TColor> Colors;
    bool operator==(const TFrameLook&) const = default;
};

TFrameLook LookOf(TGIFSubImage& frame)
{
    TFrameLook look{frame.Left(), frame.Top(), frame.Width(), frame.Height(), 0, 0, frame.Transparent, {}};
    if (frame.ControlBlock) {
        look.Delay = frame.ControlBlock->Delay;
        look.Disposal = frame.ControlBlock->Disposal();
    }
    for (size_t i = 0; i < frame.PixelBytes(); ++i)
        look.Colors.push_back(frame.ActiveColors().ColorAt(frame.Pixels()[i]));
    return look;
}

class FrameClipboardTest : public test::EditorFixture {
protected:
    FrameClipboardTest() { context.SetClipboard(&clipboard); }
    // An animation whose second frame is small, placed, timed and drawn in
    // two colors of its own.
    std::string WriteSource()
    {
        auto image = test::MakeAnimation(10, 8, 1);
        TGIFSubImage& frame = AppendFrame(*image, 3, 2, 4, 3, 0);
        frame.LocalColors.Add(MakeColor(0, 200, 0));
        frame.LocalColors.Add(MakeColor(0, 0, 200));
        frame.Pixels()[5] = 1;
        SetFrameDelay(frame, 37);
        frame.ControlBlock->SetDisposal(2);
        const std::string path = folder.File("source.gif");
        image->SaveToFile(path);
        return path;
    }
    void PutText(const std::string& text)
    {
        clipboard.SetData(ClipboardFormatText, std::vector<uint8_t>(text.begin(), text.end()));
    }
    TMemoryClipboard clipboard;
};

TEST_F(FrameClipboardTest, AFrameCopiedIntoAnotherDocumentComesBackExactly)
{
    Open(WriteSource());
    ASSERT_TRUE(context.ShowFrame(1));
    const TFrameLook copied = LookOf(*context.Animation().Frames[1]);
    ASSERT_TRUE(context.CopyFrame());
    ASSERT_TRUE(clipboard.HasFormat(ClipboardFormatBitmap));
    const std::string file = context.Values().ClipboardFile;
    EXPECT_TRUE(std::filesystem::exists(file));

    TDocument& target = Open(WriteAnimation("target.gif", 2));
    windows.insertPosition = 1;
    ASSERT_TRUE(context.PasteFrame());
    ASSERT_EQ(FrameCount(), 3);
    EXPECT_EQ(LookOf(*context.Animation().Frames[1]), copied);
    EXPECT_EQ(target.History().LastName(), "Paste Frame");
    target.Undo();
    EXPECT_EQ(FrameCount(), 2);
}

TEST_F(FrameClipboardTest, AnotherProgramsPictureGetsTheDefaults)
{
    Open(WriteAnimation("target.gif", 2));
    TBitmap picture(8, 6, TPixelFormat::pf24bit);
    TMemoryStream dib;
    picture.SaveToDIB(dib);
    const auto* bytes = static_cast<const uint8_t*>(dib.Data());
    clipboard.SetData(ClipboardFormatBitmap, std::vector<uint8_t>(bytes, bytes + dib.Size()));
    windows.insertPosition = 0;
    ASSERT_TRUE(context.PasteFrame());
    const TGIFSubImage& pasted = *context.Animation().Frames[0];
    EXPECT_EQ(pasted.ControlBlock->Delay, 100);
    EXPECT_EQ(pasted.ControlBlock->Disposal(), 1);
    EXPECT_EQ(pasted.Left(), 0);
}

TEST_F(FrameClipboardTest, CutIsADeletionThatUndoes)
{
    TDocument& document = Open(WriteSource());
    ASSERT_TRUE(context.ShowFrame(1));
    const std::vector<uint8_t> before = test::GifBytes(context.Animation());
    ASSERT_TRUE(context.CutFrame());
    EXPECT_EQ(FrameCount(), 1);
    EXPECT_EQ(document.History().LastName(), ActionDeleteFrame);
    document.Undo();
    EXPECT_EQ(test::GifBytes(context.Animation()), before);

    // The only frame is never cut, though it is copied.
    TDocument& single = Open(WriteAnimation("one.gif", 1));
    EXPECT_FALSE(context.CutFrame());
    EXPECT_EQ(FrameCount(), 1);
    EXPECT_EQ(single.History().Count(), 0);
}

TEST_F(FrameClipboardTest, PastedCommentsAreCutTo255BytesAndUndone)
{
    TDocument& document = Open(WriteAnimation("one.gif", 1));
    const std::vector<uint8_t> before = test::GifBytes(context.Animation());
    PutText(std::string(300, 'c'));
    ASSERT_TRUE(context.PasteComments());
    const TGIFSubImage& first = *context.Animation().Frames[0];
    const auto* comment =
        dynamic_cast<const TGIFCommentExtension*>(first.Extensions[first.Extensions.Count() - 1]);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Lines, TGIFLines{std::string(255, 'c')});
    EXPECT_EQ(document.History().LastName(), ActionAddComment);
    document.Undo();
    EXPECT_EQ(test::GifBytes(context.Animation()), before);

    // A multi-byte character is never cut in half.
    PutText(std::string(254, 'c') + "\xC3\xA9");
    ASSERT_TRUE(context.PasteComments());
    // Undo read the file again: the first frame is a new one.
    const TGIFSubImage& again = *context.Animation().Frames[0];
    const auto* cut =
        dynamic_cast<const TGIFCommentExtension*>(again.Extensions[again.Extensions.Count() - 1]);
    EXPECT_EQ(cut->Lines, TGIFLines{std::string(254, 'c')});
}

TEST_F(FrameClipboardTest, TheClipboardFileGoesWithTheEditor)
{
    std::string file;
    {
        test::RecordingWindows otherWindows;
        TEditorContext other(messages, dialogs, settings, otherWindows);
        other.SetClipboard(&clipboard);
        ASSERT_NE(other.OpenDocument(WriteSource()), nullptr);
        ASSERT_TRUE(other.CopyFrame());
        file = other.Values().ClipboardFile;
        EXPECT_TRUE(std::filesystem::exists(file));
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
} // namespace fl
