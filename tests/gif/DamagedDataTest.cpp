// SPDX-License-Identifier: GPL-3.0-or-later
// Files damaged in ways that used to cost the frames after the damage, or
// the pixels silently: too much image data, an extension without its
// terminator, data that breaks off or holds codes the table does not have.
// What follows the damage is read, and the damage is told with its cost.
#include <gtest/gtest.h>

#include "gif/GIFBytes.h"
#include "gif/SubImage.h"

namespace fl::test {
namespace {

// The compressed pixels of a 2 x 2 frame with colors 0..3, in one sub-block,
// followed by the sub-blocks given, then the terminator.
TGIFBytes& FrameData(TGIFBytes& gif, int firstColor, const std::vector<std::vector<int>>& extraBlocks = {})
{
    TGIFBytes frame;
    frame.Pixels({uint8_t(firstColor), 1, 2, 3}, 2, 2, 2);
    std::vector<uint8_t> data = frame.data;
    data.pop_back(); // the terminator goes after the extra blocks
    for (const auto& block : extraBlocks) {
        data.push_back(uint8_t(block.size()));
        for (int value : block)
            data.push_back(uint8_t(value));
    }
    data.push_back(0);
    gif.data.insert(gif.data.end(), data.begin(), data.end());
    return gif;
}

TEST(DamagedDataTest, ImageDataBeyondTheFrameDoesNotTakeTheNextFrames)
{
    TGIFBytes gif;
    gif.Header(2, 2, 4);
    for (int frame = 0; frame < 5; ++frame) {
        gif.Descriptor(0, 0, 2, 2);
        // Frame 1 carries three sub-blocks more than its pixels need.
        FrameData(gif, frame % 4,
                  frame == 1 ? std::vector<std::vector<int>>{{0xFF, 0x21}, {0x2C, 9, 9}, {1}}
                             : std::vector<std::vector<int>>{});
    }
    gif.Trailer();
    TLoaded loaded;
    Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "");
    EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.front();
    ASSERT_EQ(loaded.image.Frames.Count(), 5);
    EXPECT_EQ(loaded.image.Frames[4]->Pixels()[0], 0);
}

TEST(DamagedDataTest, AnExtensionWithoutItsTerminatorKeepsThePictureAfterIt)
{
    // A loop extension and a control block, each missing its terminator
    // byte, with an image straight after.
    TGIFBytes gif;
    gif.Header(2, 2, 4).Bytes({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Bytes({3, 1, 5, 0});
    gif.Bytes({0x21, 0xF9, 4, 0, 7, 0, 0});
    gif.Descriptor(0, 0, 2, 2);
    FrameData(gif, 3).Trailer();
    TLoaded loaded;
    Load(loaded, gif.data);
    EXPECT_EQ(loaded.error, "");
    EXPECT_EQ(loaded.warnings,
              (std::vector<std::string>{"Extension terminator missing", "Extension terminator missing"}));
    ASSERT_EQ(loaded.image.Frames.Count(), 1);
    const TGIFSubImage& frame = *loaded.image.Frames[0];
    EXPECT_EQ(frame.Width(), 2);
    EXPECT_EQ(frame.Pixels()[0], 3);
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Delay, 7);
    EXPECT_EQ(frame.ControlBlock->Terminator, 0);
}

TEST(DamagedDataTest, BrokenOffOrInvalidDataIsToldAndTheFrameSaves)
{
    // A 4 x 4 frame in a 4-color table: its data breaks off after the first
    // codes, or holds a code the table does not have yet.
    struct TCase {
        std::vector<uint8_t> data;
        std::string warning;
    };
    const std::vector<TCase> cases = {
        // Code size 2, one byte of codes: clear, 2 and the padding's 0.
        {{2, 1, 0x14, 0}, "Frame data ended early: 14 of 16 pixels keep the fill value"},
        // Clear (4), 1, then 7 while the next entry is 6.
        {{2, 2, 0xCC, 0x01, 0},
         "Frame data holds a code not in the table: 15 of 16 pixels keep the fill value"},
        // Code size 3: the literal 6, beyond the 4 colors, then the data ends.
        {{3, 1, 0x68, 0}, "Frame data ended early: 15 of 16 pixels keep the fill value"},
    };
    for (const TCase& c : cases) {
        TGIFBytes gif;
        gif.Header(4, 4, 4).Descriptor(0, 0, 4, 4);
        gif.data.insert(gif.data.end(), c.data.begin(), c.data.end());
        gif.Trailer();
        TLoaded loaded;
        Load(loaded, gif.data);
        ASSERT_EQ(loaded.error, "");
        ASSERT_FALSE(loaded.warnings.empty());
        EXPECT_EQ(loaded.warnings.back(), c.warning);
        const std::vector<uint8_t> saved = Save(loaded.image);
        TLoaded again;
        Load(again, saved);
        EXPECT_EQ(again.error, "");
        ASSERT_EQ(again.image.Frames.Count(), 1);
        for (int i = 0; i < 16; ++i)
            EXPECT_LT(again.image.Frames[0]->Pixels()[i], 4) << c.warning;
    }
}

} // namespace
} // namespace fl::test
