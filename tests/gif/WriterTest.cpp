// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the model: version rule, flags, table padding, extension bytes.
#include <gtest/gtest.h>

#include "GIFBytes.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

TGIFSubImage& AddFrame(TGIFImage& image, int width, int height)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, width, height);
    TGIFSubImage& result = *frame;
    image.AddFrame(std::move(frame));
    return result;
}

std::string Signature(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.begin() + 6);
}

TEST(WriterTest, VersionFollowsTheFrames)
{
    TGIFImage image;
    EXPECT_THROW(test::Save(image), GIFException) << "no frames: no version";
    image.GlobalColors().Add(0);
    image.GlobalColors().Add(0xFFFFFF);
    image.GlobalColors().SetSorted(true);
    TGIFSubImage& frame = AddFrame(image, 2, 2);
    EXPECT_EQ(Signature(test::Save(image)), "GIF87a") << "a sorted global table alone stays 87a";
    frame.Extensions.Append(std::make_unique<TGIFCommentExtension>(frame));
    EXPECT_EQ(Signature(test::Save(image)), "GIF89a");
}

TEST(WriterTest, TablesArePaddedToAPowerOfTwo)
{
    TGIFImage image;
    for (int i = 1; i <= 5; ++i)
        image.GlobalColors().Add(MakeColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    TGIFSubImage& frame = AddFrame(image, 1, 1);
    frame.LocalColors.Add(MakeColor(7, 7, 7));
    const std::vector<uint8_t> bytes = test::Save(image);
    EXPECT_EQ(bytes[10], 0x80 | 0x20 | 0x02);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(bytes[13 + 15 + i], 0) << "padding entry byte " << i;
    // Frame: descriptor after the 8-entry table, then a 2-entry local table
    // and minimum code size 2.
    const size_t descriptor = 13 + 24;
    EXPECT_EQ(bytes[descriptor], 0x2C);
    EXPECT_EQ(bytes[descriptor + 9], 0x80);
    EXPECT_EQ(bytes[descriptor + 10], 7);
    EXPECT_EQ(bytes[descriptor + 13], 0);
    EXPECT_EQ(bytes[descriptor + 16], 2);
}

TEST(WriterTest, PixelsMustBeInTheTable)
{
    TGIFImage image;
    for (int i = 0; i < 256; ++i)
        image.GlobalColors().Add(MakeColor(uint8_t(i), 0, 0));
    TGIFSubImage& global = AddFrame(image, 1, 1);
    global.RowAt(0)[0] = 255;
    EXPECT_NO_THROW(test::Save(image));

    TGIFSubImage& local = AddFrame(image, 1, 1);
    for (int i = 0; i < 200; ++i)
        local.LocalColors.Add(MakeColor(0, uint8_t(i), 0));
    local.RowAt(0)[0] = 230;
    try {
        test::Save(image);
        FAIL();
    } catch (const GIFException& error) {
        EXPECT_STREQ(error.what(), "Color not in color table");
    }
}

TEST(WriterTest, InterlacedFrameWithLocalTableRoundTrips)
{
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 3, 11);
    frame.SetInterlaced(true);
    for (int i = 0; i < 4; ++i)
        frame.LocalColors.Add(MakeColor(uint8_t(i), 0, 0));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 3; ++x)
            frame.RowAt(y)[x] = static_cast<uint8_t>((x + y) % 4);
    test::TLoaded loaded;
    test::Load(loaded, test::Save(image));
    ASSERT_EQ(loaded.error, "");
    TGIFSubImage& read = *loaded.image.Frames[0];
    EXPECT_TRUE(read.Interlaced());
    for (int y = 0; y < 11; ++y)
        EXPECT_EQ(read.PixelAt(1, y), (1 + y) % 4) << "row " << y;
}

TEST(WriterTest, CommentLinesBecomeSubBlocks)
{
    TGIFImage image;
    image.GlobalColors().Add(0);
    TGIFSubImage& frame = AddFrame(image, 1, 1);
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    TGIFCommentExtension& lines = *comment;
    frame.Extensions.Append(std::move(comment));

    auto extensionBytes = [&] {
        TMemoryStream stream;
        lines.SaveToStream(stream);
        return stream.Bytes();
    };
    EXPECT_EQ(extensionBytes(), (std::vector<uint8_t>{0x21, 0xFE, 0}));
    lines.Lines = {std::string(255, 'a'), "", std::string(600, 'b')};
    const std::vector<uint8_t> bytes = extensionBytes();
    ASSERT_EQ(bytes.size(), 2 + 256 + 256 + 256 + 91 + 1u);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(bytes[2 + 256], 255);
    EXPECT_EQ(bytes[2 + 512 + 256], 90);

    // Reading turns every sub-block into a line.
    test::TLoaded loaded;
    test::Load(loaded, test::Save(image));
    auto* read = loaded.image.Frames[0]->Extensions.Find<TGIFCommentExtension>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Lines,
              (TGIFLines{std::string(255, 'a'), std::string(255, 'b'), std::string(255, 'b'), std::string(90, 'b')}));
}

TEST(WriterTest, ExtensionsRoundTripByteForByte)
{
    test::TGIFBytes gif;
    gif.Header(4, 1, 4).Control(0x09, 7, 3, 0);
    gif.Bytes({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Bytes({3, 1, 0, 0, 5, 2, 1, 0, 0, 0, 0});
    gif.Bytes({0x21, 0xFF, 11}).Text("MYAPPID1.00").Bytes({3, 1, 2, 3, 0});
    gif.Bytes({0x21, 0x01, 12}).Word(1).Word(2).Word(3).Word(4).Bytes({5, 6, 7, 8, 2, 'h', 'i', 0});
    gif.Comment("note");
    gif.Descriptor(0, 0, 4, 1).Pixels({0, 1, 2, 3}, 4, 1, 2).Trailer();
    test::TLoaded loaded;
    test::Load(loaded, gif.data);
    ASSERT_EQ(loaded.error, "");
    EXPECT_EQ(test::Save(loaded.image), gif.data);
}

TEST(WriterTest, EmptyFramesWriteOnlyTheirExtensions)
{
    test::TGIFBytes gif;
    gif.Header(1, 1, 2).Descriptor(0, 0, 1, 1).Pixels({1}, 1, 1, 1).Comment("end").Trailer();
    test::TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_EQ(loaded.image.Frames.Count(), 2);
    EXPECT_EQ(test::Save(loaded.image), gif.data);
}

TEST(WriterTest, ProgressReportsEveryFrame)
{
    TGIFImage image;
    image.GlobalColors().Add(0);
    AddFrame(image, 1, 1);
    AddFrame(image, 1, 1);
    std::vector<int> percents;
    image.OnProgress = [&](TGraphic&, TProgressStage, int percent, bool, const std::string& message) {
        EXPECT_EQ(message, "Saving...");
        percents.push_back(percent);
    };
    test::Save(image);
    EXPECT_EQ(percents, (std::vector<int>{0, 50, 100, 100}));
}

} // namespace
} // namespace fl
