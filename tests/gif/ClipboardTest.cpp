// SPDX-License-Identifier: GPL-3.0-or-later
// The document and other pictures: the clipboard in both formats, documents
// made from graphics and handed to bitmaps, and the conversion errors.
#include <gtest/gtest.h>

#include "gif/GIFBytes.h"
#include "gif/GIFImage.h"
#include "platform/Clipboard.h"
#include "platform/ConvertError.h"
#include "platform/GIFException.h"
#include "platform/Icon.h"
#include "support/GifTestSupport.h"

namespace fl {
namespace {

// Two frames on a 4 x 3 screen with a global gray table, the second one
// transparent and smaller, and a comment.
std::vector<uint8_t> TwoFrameGif()
{
    test::TGIFBytes bytes;
    bytes.Header(4, 3, 4);
    bytes.Descriptor(0, 0, 4, 3).Pixels({0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2}, 4, 3, 2);
    bytes.Control(0x01, 10, 2).Comment("second");
    bytes.Descriptor(1, 1, 2, 2).Pixels({2, 3, 3, 2}, 2, 2, 2);
    bytes.Trailer();
    return bytes.data;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

TEST(MemoryClipboardTest, StoresReplacesClearsAndRefuses)
{
    TMemoryClipboard clipboard;
    EXPECT_FALSE(clipboard.HasFormat("GIF Image"));
    EXPECT_FALSE(clipboard.GetData("GIF Image").has_value());
    EXPECT_TRUE(clipboard.SetData("GIF Image", {1, 2}));
    EXPECT_TRUE(clipboard.SetData("GIF Image", {3}));
    EXPECT_EQ(clipboard.GetData("GIF Image"), std::vector<uint8_t>{3});
    clipboard.SetRefused("GIF Image", true);
    EXPECT_FALSE(clipboard.SetData("GIF Image", {4}));
    EXPECT_EQ(clipboard.GetData("GIF Image"), std::vector<uint8_t>{3});
    clipboard.Clear();
    EXPECT_FALSE(clipboard.HasFormat("GIF Image"));
}

TEST(DocumentClipboardTest, PutThenTakeReproducesAllFrames)
{
    test::TLoaded source;
    test::Load(source, TwoFrameGif());
    ASSERT_EQ(source.error, "");
    ASSERT_EQ(source.image.Frames.Count(), 2);

    TMemoryClipboard clipboard;
    source.image.PutOnClipboard(clipboard);
    ASSERT_TRUE(clipboard.HasFormat(ClipboardFormatGIF));
    ASSERT_TRUE(clipboard.HasFormat(ClipboardFormatBitmap));

    TGIFImage copy;
    copy.TakeFromClipboard(clipboard, ClipboardFormatGIF);
    test::ExpectSameModel(source.image, copy, {.rawFlags = true, .writtenTables = true});

    // The bitmap is the composite: frame 0 on the logical screen.
    TBitmap bitmap;
    bitmap.LoadFromDIB(clipboard.GetData(ClipboardFormatBitmap)->data(),
                       clipboard.GetData(ClipboardFormatBitmap)->size());
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.PixelColor(3, 0), 0x030303u);
}

TEST(DocumentClipboardTest, EmptyDocumentPutsNothingAndRefusalIsAnError)
{
    TMemoryClipboard clipboard;
    clipboard.SetData("Text", {'x'});
    TGIFImage empty;
    empty.PutOnClipboard(clipboard);
    EXPECT_TRUE(clipboard.HasFormat("Text"));
    EXPECT_FALSE(clipboard.HasFormat(ClipboardFormatGIF));

    test::TLoaded source;
    test::Load(source, TwoFrameGif());
    clipboard.SetRefused(ClipboardFormatGIF, true);
    EXPECT_EQ(ErrorOf([&] { source.image.PutOnClipboard(clipboard); }), "Failed to store GIF on clipboard");
    EXPECT_FALSE(clipboard.HasFormat(ClipboardFormatGIF));
}

TEST(DocumentClipboardTest, OtherFormatsAndMissingDataAreUnsupported)
{
    TMemoryClipboard clipboard;
    clipboard.SetData("Text", {'h', 'i'});
    TGIFImage image;
    EXPECT_EQ(ErrorOf([&] { image.TakeFromClipboard(clipboard, "Text"); }), "Unsupported clipboard format");
    EXPECT_EQ(ErrorOf([&] { image.TakeFromClipboard(clipboard, ClipboardFormatGIF); }),
              "Unsupported clipboard format");
    // Given data is used instead of the clipboard's.
    const std::vector<uint8_t> gif = TwoFrameGif();
    image.TakeFromClipboard(clipboard, ClipboardFormatGIF, &gif);
    EXPECT_EQ(image.Frames.Count(), 2);
    // Broken GIF data fails as reading does.
    const std::vector<uint8_t> broken{'G', 'I', 'F', '8', '9', 'a', 1};
    EXPECT_THROW(image.TakeFromClipboard(clipboard, ClipboardFormatGIF, &broken), GIFException);
}

TEST(DocumentClipboardTest, BitmapDataBecomesAOneFrameDocument)
{
    TBitmap bitmap(5, 2, TPixelFormat::pf8bit);
    auto palette = std::make_shared<TPalette>();
    palette->Entries = {{0, 0, 0, 0}, {10, 200, 30, 0}, {255, 255, 0, 0}};
    bitmap.SetPalette(palette);
    bitmap.ScanLine(1)[4] = 2;
    bitmap.ScanLine(0)[0] = 1;
    TMemoryStream dib;
    bitmap.SaveToDIB(dib);
    TMemoryClipboard clipboard;
    clipboard.SetData(ClipboardFormatBitmap, dib.Bytes());

    TGIFImage image;
    image.TakeFromClipboard(clipboard, ClipboardFormatBitmap);
    ASSERT_EQ(image.Frames.Count(), 1);
    TGIFSubImage& frame = *image.Frames[0];
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(4, 1)), MakeColor(255, 255, 0));
    EXPECT_EQ(frame.LocalColors.ColorAt(frame.PixelAt(0, 0)), MakeColor(10, 200, 30));

    const std::vector<uint8_t> junk{40, 0, 0, 0, 1};
    EXPECT_THROW(image.TakeFromClipboard(clipboard, ClipboardFormatBitmap, &junk), EBitmapError);
}

class TOddGraphic final : public TGraphic {
public:
    int Width() const override { return 2; }
    int Height() const override { return 2; }
    bool Empty() const override { return false; }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
};

TEST(DocumentConvertTest, GraphicsBecomeFramesAndUnsupportedOnesAreRefused)
{
    test::TLoaded loaded;
    test::Load(loaded, TwoFrameGif());
    TGIFImage& image = loaded.image;
    TOddGraphic odd;
    EXPECT_EQ(ErrorOf([&] { image.CopyFrom(odd); }), "Cannot assign a TOddGraphic to a TGIFImage");
    EXPECT_EQ(image.Frames.Count(), 2);
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(odd); }), "Cannot assign a TOddGraphic to a TGIFSubImage");
    EXPECT_EQ(image.Frames.Count(), 2);
    TIcon icon;
    EXPECT_EQ(ErrorOf([&] { image.CopyToGraphic(icon); }), "Cannot assign a TGIFImage to a TIcon");

    // A bitmap target receives the composite, a document source is copied.
    TBitmap composite;
    image.CopyToGraphic(composite);
    EXPECT_EQ(composite.Width(), 4);
    EXPECT_EQ(composite.PixelColor(1, 0), 0x010101u);
    TGIFImage copy;
    copy.CopyFrom(static_cast<TGraphic&>(image));
    EXPECT_EQ(copy.Frames.Count(), 2);

    // A bitmap replaces everything with one frame; a second one is added.
    TBitmap bitmap(6, 1, TPixelFormat::pf8bit);
    bitmap.SetPalette(std::make_shared<TPalette>(TPalette{{{0, 0, 0, 0}, {9, 8, 7, 0}}}));
    bitmap.ScanLine(0)[5] = 1;
    copy.CopyFrom(static_cast<TGraphic&>(bitmap));
    ASSERT_EQ(copy.Frames.Count(), 1);
    EXPECT_EQ(copy.Width(), 6);
    EXPECT_EQ(copy.AddFrame(bitmap), 1);
    EXPECT_EQ(copy.Frames[1]->LocalColors.ColorAt(copy.Frames[1]->PixelAt(5, 0)), MakeColor(9, 8, 7));

    // A frame made from a whole document shows its composite.
    TGIFSubImage frame(&copy);
    frame.CopyFrom(static_cast<TGraphic&>(loaded.image));
    EXPECT_EQ(frame.Width(), 4);
    EXPECT_EQ(frame.Height(), 3);
}

} // namespace
} // namespace fl
