// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GIFImage.h"
#include "io/AviExport.h"
#include "io/AviFormat.h"
#include "io/AviHeaders.h"
#include "io/AviImport.h"
#include "io/AviTestSupport.h"

namespace fl {
namespace {

using test::AviFolderTest;

constexpr TColor kColors[] = {MakeColor(0, 0, 0), MakeColor(255, 0, 0), MakeColor(0, 200, 0),
                              MakeColor(0, 0, 255), MakeColor(250, 240, 10)};

struct TFrame {
    int Left, Top, Width, Height;
    uint8_t Fill;
    int Delay = -1; // -1: no control block
    bool LocalColors = false;
};

std::unique_ptr<TGIFImage> MakeAnimation(int width, int height, const std::vector<TFrame>& frames)
{
    auto image = std::make_unique<TGIFImage>();
    for (TColor color : kColors)
        image->GlobalColors().Add(color);
    image->SetWidth(width);
    image->SetHeight(height);
    for (const TFrame& layout : frames) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        if (layout.Width > 0) {
            frame->SetGeometry(layout.Left, layout.Top, layout.Width, layout.Height);
            std::fill(frame->Pixels(), frame->Pixels() + frame->PixelBytes(), layout.Fill);
            // One marked pixel per frame, so that orientation errors show.
            frame->RowAt(0)[0] = uint8_t((layout.Fill + 1) % 5);
        }
        if (layout.LocalColors)
            for (TColor color : kColors)
                frame->LocalColors.Add(MakeColor(BlueOf(color), RedOf(color), GreenOf(color)));
        if (layout.Delay >= 0) {
            auto control = std::make_unique<TGIFGraphicControlExtension>(*frame);
            control->Delay = uint16_t(layout.Delay);
            frame->Extensions.Append(std::move(control));
        }
        image->AddFrame(std::move(frame));
    }
    return image;
}

// What the prepared frames show: every frame drawn in turn over the last at
// its offset, cut to frame 0's rectangle, as rgb24 rows.
std::vector<std::string> Accumulated(const std::vector<TFrame>& frames)
{
    const int width = frames[0].Width, height = frames[0].Height;
    std::vector<TColor> screen(size_t(width * height), 0);
    std::vector<std::string> result;
    for (const TFrame& f : frames) {
        if (f.Width == 0)
            continue;
        for (int y = 0; y < f.Height; ++y)
            for (int x = 0; x < f.Width; ++x) {
                const int sx = f.Left + x, sy = f.Top + y;
                if (sx < width && sy < height)
                    screen[size_t(sy * width + sx)] = kColors[x == 0 && y == 0 ? (f.Fill + 1) % 5 : f.Fill];
            }
        std::string rgb;
        for (TColor c : screen) {
            rgb += char(RedOf(c));
            rgb += char(GreenOf(c));
            rgb += char(BlueOf(c));
        }
        result.push_back(rgb);
    }
    return result;
}

void PrepareAndExport(TGIFImage& source, const std::string& path)
{
    TGIFImage copy;
    copy.CopyFrom(&source);
    ASSERT_TRUE(PrepareAviExport(copy));
    ASSERT_TRUE(ExportAvi(path, copy));
}

TEST_F(AviFolderTest, ExportedFramesDecodeAsTheAccumulatedPictures)
{
    const std::vector<TFrame> frames = {{0, 0, 10, 6, 1, 10},
                                        {3, 2, 4, 3, 2, 10},
                                        {0, 0, 2, 2, 3, 10},
                                        {6, 4, 9, 9, 4, 10}}; // reaches past frame 0
    auto image = MakeAnimation(15, 13, frames);
    const std::string path = Path("out.avi");
    PrepareAndExport(*image, path);

    EXPECT_EQ(Probe(path, "stream=codec_name,pix_fmt,width,height,nb_frames,nb_read_frames"),
              "codec_name=rawvideo\nwidth=10\nheight=6\npix_fmt=pal8\nnb_frames=4\nnb_read_frames=4\n");
    const std::vector<std::string> expected = Accumulated(frames);
    const std::string decoded = DecodeRgb(path);
    const size_t frameBytes = 10 * 6 * 3;
    ASSERT_EQ(decoded.size(), expected.size() * frameBytes);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(decoded.substr(i * frameBytes, frameBytes), expected[i]) << "frame " << i;

    // The stream header: the delay as scale, rate 65, the
    // animation's rectangle.
    const TAviHeaders headers = ReadAviHeaders(path);
    EXPECT_EQ(headers.Info.Scale, 10u);
    EXPECT_EQ(headers.Info.Rate, 65u);
    EXPECT_EQ(headers.Info.Length, 4u);
    EXPECT_EQ(headers.Info.Start, 0u);
    EXPECT_EQ(headers.Info.SuggestedBufferSize, 12u * 6);
    EXPECT_EQ(headers.Info.FrameRight, image->Width());
    EXPECT_EQ(headers.Info.FrameBottom, image->Height());
    EXPECT_EQ(headers.Format.size(), 40u + 1024u);
    // Our own import reads it back with the rate's rounding.
    TGIFImage back;
    ImportAvi(back, path);
    ASSERT_EQ(back.Frames.Count(), 4);
    EXPECT_EQ(back.Frames[1]->ControlBlock->Delay, 15);
}

TEST_F(AviFolderTest, ScaleIsTheFirstDelayAndOneWithoutControlBlocks)
{
    auto timed = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 0}, {0, 0, 4, 4, 2, 25}, {0, 0, 4, 4, 3, 40}});
    PrepareAndExport(*timed, Path("timed.avi"));
    EXPECT_EQ(ReadAviHeaders(Path("timed.avi")).Info.Scale, 40u)
        << "without local colors the scan runs to the end, the last delay counting";

    auto untimed = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {0, 0, 4, 4, 2}});
    PrepareAndExport(*untimed, Path("untimed.avi"));
    EXPECT_EQ(ReadAviHeaders(Path("untimed.avi")).Info.Scale, 1u);

    // Exported without preparation, local colors stop the scan at the first
    // delay and make the frames dithered to one cube.
    auto local = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 0, true}, {0, 0, 4, 4, 2, 25}, {0, 0, 4, 4, 3, 40}});
    ASSERT_TRUE(ExportAvi(Path("local.avi"), *local));
    EXPECT_EQ(ReadAviHeaders(Path("local.avi")).Info.Scale, 25u);
    EXPECT_TRUE(local->PaintFlags() & paintDither);
    EXPECT_FALSE(local->PaintFlags() & paintAutoDither);
    EXPECT_EQ(Probe(Path("local.avi"), "stream=nb_read_frames"), "nb_read_frames=3\n");
}

TEST_F(AviFolderTest, EmptyFramesLeaveGapsInTheSamplePositions)
{
    const std::vector<TFrame> frames = {{0, 0, 6, 4, 1, 10},
                                        {0, 0, 0, 0, 0, 10},
                                        {0, 0, 0, 0, 0, 10},
                                        {0, 0, 6, 4, 2, 10},
                                        {0, 0, 0, 0, 0, 10}};
    auto image = MakeAnimation(6, 4, frames);
    const std::string path = Path("gaps.avi");
    PrepareAndExport(*image, path);
    bool ok = false;
    const std::string packets = test::RunCommand(
        "ffprobe -v error -select_streams v:0 -show_entries packet=pts -of default=noprint_wrappers=1 '" +
            path + "' | grep '^pts='",
        ok);
    EXPECT_EQ(packets, "pts=0\npts=3\n");
    EXPECT_EQ(ReadAviHeaders(path).Info.Length, 4u) << "trailing empty frames add no positions";

    // Read back, a gap shows the picture before it.
    TGIFImage back;
    ImportAvi(back, path);
    ASSERT_EQ(back.Frames.Count(), 4);
    auto color = [&](int frame) { return back.GlobalColors().ColorAt(back.Frames[frame]->RowAt(1)[1]); };
    EXPECT_EQ(color(0), kColors[1]);
    EXPECT_EQ(color(1), kColors[1]);
    EXPECT_EQ(color(2), kColors[1]);
    EXPECT_EQ(color(3), kColors[2]);
}

TEST_F(AviFolderTest, FailedOrCancelledExportsLeaveTheTargetAsItWas)
{
    const std::string target = Path("keep.avi");
    WriteBytes(target, {'o', 'l', 'd'});
    auto countFiles = [&] {
        return std::distance(std::filesystem::directory_iterator(folder_),
                             std::filesystem::directory_iterator());
    };

    // Frame 0 without pixels has no bitmap to measure.
    auto emptyFirst = MakeAnimation(4, 4, {{0, 0, 0, 0, 0}, {0, 0, 4, 4, 1}});
    try {
        ExportAvi(target, *emptyFirst);
        ADD_FAILURE() << "exported";
    } catch (const EAviError& error) {
        EXPECT_STREQ(error.what(), "Failed to retrieve bitmap info");
    }
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));

    // A later frame of another size cannot be a sample of the stream.
    auto mixed = MakeAnimation(8, 8, {{0, 0, 4, 4, 1}, {0, 0, 8, 8, 2}});
    try {
        ExportAvi(target, *mixed);
        ADD_FAILURE() << "exported";
    } catch (const EAviError& error) {
        EXPECT_STREQ(error.what(), "Failed to add frame to AVI");
    }
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));

    auto fine = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {0, 0, 4, 4, 2}});
    int steps = 0;
    TAviExportProgress cancel;
    cancel.Step = [&](int, int count) {
        EXPECT_EQ(count, 2);
        ++steps;
    };
    cancel.Cancelled = [&] { return steps == 2; };
    EXPECT_FALSE(ExportAvi(target, *fine, cancel));
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(countFiles(), 1) << "no temporary file stays behind";

    try {
        ExportAvi(Path("no/such/folder/out.avi"), *fine);
        ADD_FAILURE() << "exported";
    } catch (const EAviError& error) {
        EXPECT_STREQ(error.what(), "Failed to create AVI file");
    }

    // Cancelling the preparation stops it.
    TGIFImage copy;
    copy.CopyFrom(fine.get());
    TAviExportProgress stop;
    stop.Cancelled = [] { return true; };
    EXPECT_FALSE(PrepareAviExport(copy, stop));

    ASSERT_TRUE(ExportAvi(target, *fine));
    EXPECT_EQ(Probe(target, "stream=nb_read_frames"), "nb_read_frames=2\n");
    EXPECT_EQ(countFiles(), 1);
}

TEST_F(AviFolderTest, ManyColoredFramesAreQuantizedIntoOnePalette)
{
    // Frame 1 covers the right half of frame 0 with colors of its own: the
    // accumulated picture holds more than one table can.
    auto image = std::make_unique<TGIFImage>();
    image->SetWidth(32);
    image->SetHeight(16);
    for (int f = 0; f < 2; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->SetGeometry(f * 16, 0, 32 - f * 16, 16);
        for (int i = 0; i < 256; ++i)
            frame->LocalColors.Add(MakeColor(uint8_t(i), uint8_t(f * 100), uint8_t(255 - i)));
        for (int y = 0; y < frame->Height(); ++y)
            for (int x = 0; x < frame->Width(); ++x)
                frame->RowAt(y)[x] = uint8_t(f == 0 ? (x / 2) * 16 + y : x * 16 + y);
        image->AddFrame(std::move(frame));
    }
    TGIFImage copy;
    copy.CopyFrom(image.get());
    ASSERT_TRUE(PrepareAviExport(copy));
    EXPECT_LE(copy.GlobalColors().Count(), 256);
    for (int i = 0; i < copy.Frames.Count(); ++i)
        EXPECT_EQ(copy.Frames[i]->LocalColors.Count(), 0);
    ASSERT_TRUE(ExportAvi(Path("many.avi"), copy));
    EXPECT_EQ(DecodeRgb(Path("many.avi")).size(), 2u * 32 * 16 * 3);
}

} // namespace
} // namespace fl
