// SPDX-License-Identifier: GPL-3.0-or-later
// Reading GIF streams: leniency, warnings, errors and what the model holds.
#include <gtest/gtest.h>

#include <algorithm>

#include "GIFBytes.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"
#include "platform/SystemMemory.h"

namespace fl {
namespace {

using test::TGIFBytes;
using test::TLoaded;

std::vector<uint8_t> Ramp(int count)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 4);
    return pixels;
}

TEST(ReaderTest, SignatureMayFollowAFourByteLengthPrefix)
{
    TGIFBytes gif;
    gif.Header(2, 2, 4).Descriptor(0, 0, 2, 2).Pixels(Ramp(4), 2, 2, 2).Trailer();
    for (int offset = 0; offset <= 4; ++offset) {
        std::vector<uint8_t> bytes(static_cast<size_t>(offset), 0x47);
        bytes.insert(bytes.end(), gif.data.begin(), gif.data.end());
        TLoaded loaded;
        test::Load(loaded, bytes);
        if (offset == 0 || offset == 4) {
            EXPECT_EQ(loaded.error, "") << offset;
            EXPECT_EQ(loaded.image.Frames.Count(), 1);
        } else {
            EXPECT_EQ(loaded.error, "Invalid GIF signature") << offset;
            EXPECT_EQ(loaded.positionAfter, 0) << "the position is restored";
        }
    }
}

TEST(ReaderTest, LenientStructure)
{
    // Odd version, zero bytes between blocks, no trailer.
    TGIFBytes gif;
    gif.Header(2, 2, 4, "GIF99z").Bytes({0, 0}).Descriptor(0, 0, 2, 2).Pixels(Ramp(4), 2, 2, 2).Bytes({0, 0});
    TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "");
    EXPECT_TRUE(loaded.warnings.empty());
    ASSERT_EQ(loaded.image.Frames.Count(), 1);
    EXPECT_EQ(loaded.image.Frames[0]->PixelAt(1, 1), 3);
}

TEST(ReaderTest, TrailingCommentBecomesAnEmptyFrame)
{
    TGIFBytes gif;
    gif.Header(2, 2, 4).Descriptor(0, 0, 2, 2).Pixels(Ramp(4), 2, 2, 2).Comment("bye").Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    ASSERT_EQ(loaded.image.Frames.Count(), 2);
    TGIFSubImage& last = *loaded.image.Frames[1];
    EXPECT_TRUE(last.IsEmpty());
    auto* comment = last.Extensions.Find<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Lines, TGIFLines{"bye"});
}

TEST(ReaderTest, ShortDataKeepsTheFillValueAndReadingGoesOn)
{
    // The first frame's data stops after a few pixels: no end code, then the
    // terminator; its other pixels keep the transparent index.
    TGIFBytes gif;
    gif.Header(4, 4, 4).Control(0x01, 0, 2).Descriptor(0, 0, 4, 4);
    gif.Bytes({2, 2, 0x04, 0x00, 0}); // clear, then pixel 0 and 0
    gif.Descriptor(0, 0, 1, 1).Pixels({3}, 1, 1, 2).Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "");
    ASSERT_EQ(loaded.image.Frames.Count(), 2);
    TGIFSubImage& first = *loaded.image.Frames[0];
    EXPECT_EQ(first.PixelAt(0, 0), 0);
    EXPECT_EQ(first.PixelAt(3, 3), 2);
    EXPECT_EQ(loaded.image.Frames[1]->PixelAt(0, 0), 3);
    EXPECT_NE(std::find(loaded.warnings.begin(), loaded.warnings.end(), "Decoder bit buffer under-run"),
              loaded.warnings.end());
}

TEST(ReaderTest, InterlacedRowsArePlacedInPassOrder)
{
    // Rows 0, 1, 2 of the data land on rows 0, 2, 1 of a 3-row frame.
    const std::vector<uint8_t> rows = {1, 1, 2, 2, 3, 3};
    TGIFBytes gif;
    gif.Header(2, 3, 4).Descriptor(0, 0, 2, 3, 0x40).Pixels(rows, 2, 3, 2).Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    TGIFSubImage& frame = *loaded.image.Frames[0];
    EXPECT_TRUE(frame.Interlaced());
    EXPECT_EQ(frame.PixelAt(0, 0), 1);
    EXPECT_EQ(frame.PixelAt(0, 1), 3);
    EXPECT_EQ(frame.PixelAt(0, 2), 2);
}

TEST(ReaderTest, ExtensionsAreKeptAsRead)
{
    TGIFBytes gif;
    gif.Header(1, 1, 2).Control(0x0D, 300, 1, 7);
    gif.Bytes({0x21, 0xFF, 11}).Text("ANIMEXTS1.0").Bytes({3, 1, 5, 0, 5, 2, 0x10, 0x20, 0x30, 0x40, 0});
    gif.Bytes({0x21, 0xFF, 11}).Text("XMP DataXMP").Bytes({2, 'a', 'b', 1, 'c', 0});
    gif.Bytes({0x21, 0x01, 12}).Word(1).Word(2).Word(3).Word(4).Bytes({5, 6, 7, 8, 2, 'h', 'i', 0});
    gif.Descriptor(0, 0, 1, 1).Pixels({1}, 1, 1, 1).Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    ASSERT_EQ(loaded.error, "");
    TGIFSubImage& frame = *loaded.image.Frames[0];
    ASSERT_EQ(frame.Extensions.Count(), 4);

    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Terminator, 7) << "a non-zero terminator is kept";
    EXPECT_EQ(frame.ControlBlock->Delay, 300);
    EXPECT_EQ(frame.ControlBlock->Disposal(), 3);
    EXPECT_TRUE(frame.Transparent);
    EXPECT_EQ(frame.PixelAt(0, 0), 1);

    auto* loop = frame.Extensions.Find<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->AppIdText(), "ANIMEXTS1.0");
    EXPECT_EQ(loop->LoopCount, 5);
    EXPECT_EQ(loop->BufferSize, 0x40302010u);

    auto* unknown = frame.Extensions.Find<TGIFUnknownAppExtension>();
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->DataBlocks.size(), 2u);
    EXPECT_EQ(unknown->DataBlocks[1].Data, std::vector<uint8_t>{'c'});

    auto* text = frame.Extensions.Find<TGIFTextExtension>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GridHeight, 4);
    EXPECT_EQ(text->BackgroundIndex, 8);
    EXPECT_EQ(text->Lines, TGIFLines{"hi"});
}

TEST(ReaderTest, AnApplicationHeaderOfAnotherLengthIsWrittenBackAsRead)
{
    // 15 bytes naming the loop extension, and 10 bytes: neither is one.
    const std::vector<uint8_t> long_ = {0x21, 0xFF, 15, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                        3, 1, 0, 0, 1, 'z', 0};
    const std::vector<uint8_t> short_ = {0x21, 0xFF, 10, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '0', 0};
    TGIFBytes gif;
    gif.Header(1, 1, 2);
    gif.data.insert(gif.data.end(), long_.begin(), long_.end());
    gif.data.insert(gif.data.end(), short_.begin(), short_.end());
    gif.Descriptor(0, 0, 1, 1).Pixels({1}, 1, 1, 1).Trailer();
    for (int pass = 0; pass < 2; ++pass) {
        TLoaded loaded;
        test::Load(loaded, gif.data);
        ASSERT_EQ(loaded.error, "");
        TGIFSubImage& frame = *loaded.image.Frames[0];
        EXPECT_EQ(frame.Extensions.Find<TGIFAppExtNSLoop>(), nullptr);
        auto* unknown = frame.Extensions.Find<TGIFUnknownAppExtension>();
        ASSERT_NE(unknown, nullptr);
        ASSERT_EQ(unknown->DataBlocks.size(), 1u);
        TMemoryStream saved;
        loaded.image.SaveToStream(saved);
        gif.data.assign(saved.Bytes().begin(), saved.Bytes().end());
        EXPECT_NE(std::search(gif.data.begin(), gif.data.end(), long_.begin(), long_.end()), gif.data.end());
        EXPECT_NE(std::search(gif.data.begin(), gif.data.end(), short_.begin(), short_.end()), gif.data.end());
    }
}

TEST(ReaderTest, StructuralErrors)
{
    struct TCase {
        const char* name;
        std::vector<int> extension;
        const char* error;
    };
    const TCase cases[] = {
        {"unregistered label", {0x21, 0x2A, 1, 0, 0}, "Unknown extension type"},
        {"application block size below 10",
         {0x21, 0xFF, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0},
         "Unsupported Application Extension block size"},
        {"loop sub-block too short",
         {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 2, 1, 0, 0},
         "Invalid GIF data"},
        {"cut color table", {}, "Premature end of data"},
    };
    for (const TCase& c : cases) {
        TGIFBytes gif;
        if (c.extension.empty()) {
            gif.Text("GIF89a").Word(1).Word(1).Bytes({0x87, 0, 0, 1, 2, 3});
        } else {
            gif.Header(1, 1, 2);
            for (int b : c.extension)
                gif.Bytes({b});
            gif.Descriptor(0, 0, 1, 1).Pixels({0}, 1, 1, 1).Trailer();
        }
        TLoaded loaded;
        test::Load(loaded, gif.data);
        EXPECT_EQ(loaded.error, c.error) << c.name;
        EXPECT_EQ(loaded.positionAfter, 0) << c.name;
        EXPECT_EQ(loaded.image.Frames.Count(), 0) << c.name << ": the failing frame is not kept";
    }
}

TEST(ReaderTest, WarningsForOddBlocks)
{
    {
        TGIFBytes gif;
        gif.Header(1, 1, 2).Descriptor(0, 0, 1, 1).Pixels({1}, 1, 1, 1).Bytes({0x99});
        TLoaded loaded;
        test::Load(loaded, gif.data);
        EXPECT_EQ(loaded.warnings,
                  (std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}));
        EXPECT_EQ(loaded.image.Frames.Count(), 1);
    }
    {
        // A zero-size descriptor takes the logical screen size.
        TGIFBytes gif;
        gif.Header(3, 2, 2).Descriptor(0, 0, 0, 5).Pixels({1, 1, 1, 1, 1, 1}, 3, 2, 1).Trailer();
        TLoaded loaded;
        test::Load(loaded, gif.data);
        EXPECT_EQ(loaded.warnings, std::vector<std::string>{"Image exceeds Logical Screen size"});
        EXPECT_EQ(loaded.image.Frames[0]->Width(), 3);
        EXPECT_EQ(loaded.image.Frames[0]->Height(), 2);
    }
    {
        // A control block cut short warns; the load goes on.
        TGIFBytes gif;
        gif.Header(1, 1, 2).Bytes({0x21, 0xF9, 4, 1});
        TLoaded loaded;
        test::Load(loaded, gif.data);
        EXPECT_EQ(loaded.error, "");
        EXPECT_EQ(loaded.warnings, std::vector<std::string>{"Premature end of data"});
    }
}

TEST(ReaderTest, TruncatedLoopExtensionKeepsWhatItHad)
{
    TGIFBytes gif;
    gif.Header(1, 1, 2).Bytes({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Bytes({3, 1, 9, 0, 3});
    TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "");
    ASSERT_EQ(loaded.image.Frames.Count(), 1);
    auto* loop = loaded.image.Frames[0]->Extensions.Find<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 9);
}

TEST(ReaderTest, SortFlagsAreNotKept)
{
    TGIFBytes gif;
    gif.Text("GIF89a").Word(1).Word(1).Bytes({0x88, 0, 0, 0, 0, 0, 9, 9, 9});
    gif.Descriptor(0, 0, 1, 1, 0xA0).Bytes({1, 1, 1, 2, 2, 2}).Pixels({1}, 1, 1, 1).Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_FALSE(loaded.image.GlobalColors().Sorted());
    EXPECT_FALSE(loaded.image.Frames[0]->LocalColors.Sorted());
}

TEST(ReaderTest, HugeFramesAreRefused)
{
    TGIFBytes gif;
    gif.Header(1, 1, 2).Descriptor(0, 0, 65535, 65535).Bytes({2, 0}).Trailer();
    TLoaded loaded;
    test::Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "Image is too large");
}

TEST(ReaderTest, FramesBeyondTheMemoryBudgetAreRefusedBeforeAnyIsRead)
{
    // 2,000 frames of 4096 x 4096 in a file of 30 KB: the whole load would
    // take 31 GiB. Refused up front, naming what it needs, with no frame made.
    TGIFBytes gif;
    gif.Header(4096, 4096, 2);
    for (int i = 0; i < 2000; ++i)
        gif.Descriptor(0, 0, 4096, 4096).Bytes({2, 1, 0x44, 0});
    gif.Trailer();
    const uint64_t budget = GIFMemoryLimits.MaxDocumentPixels;
    TGIFImage image;
    int framesMade = 0;
    image.OnProgress = [&framesMade](TGraphic&, TProgressStage stage, int, bool, const std::string&) {
        framesMade += stage == TProgressStage::Running;
    };
    TMemoryStream stream(gif.data.data(), gif.data.size());
    try {
        image.LoadFromStream(stream);
        FAIL() << "loaded";
    } catch (const GIFException& error) {
        EXPECT_EQ(std::string(error.what()), "Image is too large: its frames need 31 GiB, more than the " +
                                                 FormatByteSize(budget) + " allowed");
    }
    EXPECT_EQ(framesMade, 0);
}

TEST(ReaderTest, ProgressStartsAndEnds)
{
    TGIFBytes gif;
    gif.Header(2, 2, 4).Descriptor(0, 0, 2, 2).Pixels(Ramp(4), 2, 2, 2).Trailer();
    TGIFImage image;
    std::vector<std::pair<TProgressStage, int>> stages;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const std::string& message) {
        EXPECT_EQ(message, "Loading...");
        stages.emplace_back(stage, percent);
    };
    TMemoryStream stream(gif.data.data(), gif.data.size());
    image.LoadFromStream(stream);
    ASSERT_GE(stages.size(), 3u);
    EXPECT_EQ(stages.front(), std::make_pair(TProgressStage::Starting, 0));
    EXPECT_EQ(stages.back(), std::make_pair(TProgressStage::Ending, 100));

    stages.clear();
    TMemoryStream bad(gif.data.data(), 3);
    EXPECT_THROW(image.LoadFromStream(bad), GIFException);
    EXPECT_EQ(stages.back(), std::make_pair(TProgressStage::Ending, 0));
}

} // namespace
} // namespace fl
