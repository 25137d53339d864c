// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editing/LoopCount.h"
#include "gif/GIFImage.h"
#include "io/AviFormat.h"
#include "io/AviHeaders.h"
#include "io/AviImport.h"
#include "io/AviTestSupport.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

using test::AviFolderTest;

struct TImported {
    TGIFImage Image;
    std::vector<std::string> Warnings;
};

void Import(TImported& result, const std::string& path)
{
    result.Image.WarningHandler = [&result](TGIFImage&, TGIFItem*, int, const std::string& message) {
        result.Warnings.push_back(message);
    };
    ImportAvi(result.Image, path);
}

std::string ErrorOf(const std::string& path)
{
    TImported imported;
    try {
        Import(imported, path);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

// The frame's pixels through the global colors, as rgb24 bytes.
std::string FrameRgb(TGIFImage& image, int index)
{
    TGIFSubImage& frame = *image.Frames[index];
    std::string rgb;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            const TColor color = image.GlobalColors().ColorAt(frame.RowAt(y)[x]);
            rgb += char(RedOf(color));
            rgb += char(GreenOf(color));
            rgb += char(BlueOf(color));
        }
    return rgb;
}

TEST(AviFrameDelayTest, RoundsScaleOverRateToHundredths)
{
    EXPECT_EQ(AviFrameDelay(1, 15), 7); // 6.67
    EXPECT_EQ(AviFrameDelay(1, 25), 4);
    EXPECT_EQ(AviFrameDelay(1, 200), 1); // a half rounds up
    EXPECT_EQ(AviFrameDelay(1, 201), 0);
    EXPECT_EQ(AviFrameDelay(10, 65), 15); // what our own export writes
    EXPECT_EQ(AviFrameDelay(250, 0), 2);  // no rate: hundredths of the scale, remainder dropped
    EXPECT_EQ(AviFrameDelay(299, 0), 2);
    EXPECT_EQ(AviFrameDelay(0xFFFFFFFF, 1), 65535); // kept within a delay's 16 bits
}

TEST_F(AviFolderTest, EveryCodecImportsOneFramePerSampleWithTheVideosDelay)
{
    const std::pair<const char*, const char*> codecs[] = {{"raw24.avi", "-c:v rawvideo -pix_fmt bgr24"},
                                                          {"pal8.avi", "-c:v rawvideo -pix_fmt pal8"},
                                                          {"mjpeg.avi", "-c:v mjpeg"},
                                                          {"mpeg4.avi", "-c:v mpeg4"},
                                                          {"png.avi", "-c:v png"}};
    for (const auto& [name, arguments] : codecs) {
        SCOPED_TRACE(name);
        TImported imported;
        Import(imported, MakeVideo(name, arguments));
        TGIFImage& image = imported.Image;
        ASSERT_EQ(image.Frames.Count(), 10);
        EXPECT_EQ(image.Width(), 64);
        EXPECT_EQ(image.Height(), 48);
        EXPECT_TRUE(imported.Warnings.empty());
        for (int i = 0; i < 10; ++i) {
            TGIFSubImage& frame = *image.Frames[i];
            ASSERT_NE(frame.ControlBlock, nullptr);
            EXPECT_EQ(frame.ControlBlock->Delay, 10);
            EXPECT_EQ(frame.LocalColors.Count(), 0) << "one global palette";
            EXPECT_EQ(FindLoopExtension(frame) != nullptr, i == 0);
        }
        EXPECT_EQ(GetLoopCount(image), 0);
        const auto* comment = image.Frames[0]->Extensions.Find<TGIFCommentExtension>();
        ASSERT_NE(comment, nullptr);
        EXPECT_EQ(comment->Lines, TGIFLines{"Created with Quillmark Frameloom 4.0"});
        // Frame 0 holds the loop, the delay and then the comment, in that order.
        EXPECT_EQ(image.Frames[0]->Extensions[0]->Label(), bsApplicationExtension);
        EXPECT_EQ(image.Frames[0]->Extensions[1]->Label(), bsGraphicControlExtension);
        EXPECT_EQ(image.Frames[0]->Extensions[2]->Label(), bsCommentExtension);
    }
}

TEST_F(AviFolderTest, TrueColorFramesAreReducedToTheWebSafeCube)
{
    TImported imported;
    Import(imported, MakeVideo("mjpeg.avi", "-c:v mjpeg"));
    TGIFColorMap& colors = imported.Image.GlobalColors();
    ASSERT_GT(colors.Count(), 8);
    for (int i = 0; i < colors.Count(); ++i) {
        const TColor color = colors.ColorAt(i);
        EXPECT_EQ(RedOf(color) % 51, 0);
        EXPECT_EQ(GreenOf(color) % 51, 0);
        EXPECT_EQ(BlueOf(color) % 51, 0);
    }
    // Error diffusion mixes cube colors where a plain mapping would not.
    EXPECT_GT(colors.Count(), 20);
}

TEST_F(AviFolderTest, PaletteFramesKeepTheirColorsExactly)
{
    const std::string path = MakeVideo("pal8.avi", "-c:v rawvideo -pix_fmt pal8");
    TImported imported;
    Import(imported, path);
    const std::string decoded = DecodeRgb(path);
    const size_t frameBytes = 64 * 48 * 3;
    ASSERT_EQ(decoded.size(), 10 * frameBytes);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(FrameRgb(imported.Image, i), decoded.substr(size_t(i) * frameBytes, frameBytes))
            << "frame " << i;
}

TEST_F(AviFolderTest, DelayFollowsTheStreamsScaleAndRate)
{
    TImported fifteen;
    Import(fifteen, MakeVideo("15.avi", "-c:v mjpeg", 15));
    ASSERT_EQ(fifteen.Image.Frames.Count(), 15);
    EXPECT_EQ(fifteen.Image.Frames[3]->ControlBlock->Delay, 7);

    // A stream header saying scale 250 and rate 0, which the decoder
    // library itself would replace.
    const std::string path = MakeVideo("zero-rate.avi", "-c:v mjpeg");
    const TAviHeaders stored = ReadAviHeaders(path);
    std::vector<uint8_t> bytes = ReadBytes(path);
    const uint8_t strh[] = {'s', 't', 'r', 'h'};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(strh), std::end(strh));
    ASSERT_NE(at, bytes.end());
    const size_t header = size_t(at - bytes.begin()) + 8;
    ASSERT_EQ(ReadLE32(&bytes[header + 20]), stored.Info.Scale);
    PutLE32(&bytes[header + 20], 250);
    PutLE32(&bytes[header + 24], 0);
    WriteBytes(path, bytes);
    TImported zero;
    Import(zero, path);
    ASSERT_EQ(zero.Image.Frames.Count(), 10);
    EXPECT_EQ(zero.Image.Frames[0]->ControlBlock->Delay, 2);
}

TEST_F(AviFolderTest, FilesWithoutAVideoStreamAreRefused)
{
    bool ok = false;
    const std::string audio = Path("audio.avi");
    test::RunCommand("ffmpeg -v error -y -f lavfi -i sine=duration=0.5 -c:a pcm_s16le '" + audio + "'", ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ErrorOf(audio), "Failed to open AVI stream");

    EXPECT_EQ(ErrorOf(Path("missing.avi")), "Failed to open AVI file");
    const std::string text = Path("text.avi");
    WriteBytes(text, {'n', 'o', 't', ' ', 'a', 'n', ' ', 'A', 'V', 'I'});
    EXPECT_EQ(ErrorOf(text), "Failed to open AVI file");
    // An MP4 is a video, but not an AVI file.
    const std::string mp4 = MakeVideo("clip.mp4", "-c:v mpeg4");
    EXPECT_EQ(ErrorOf(mp4), "Failed to open AVI file");
}

TEST_F(AviFolderTest, DamagedHeadersAreRefusedWithTheFailingStep)
{
    const std::string path = MakeVideo("raw.avi", "-c:v rawvideo -pix_fmt bgr24");
    const std::vector<uint8_t> original = ReadBytes(path);
    auto damaged = [&](const char* id, auto&& change) {
        std::vector<uint8_t> bytes = original;
        auto at = std::search(bytes.begin(), bytes.end(), id, id + 4);
        EXPECT_NE(at, bytes.end());
        change(bytes, size_t(at - bytes.begin()));
        WriteBytes(path, bytes);
        return ErrorOf(path);
    };
    // A stream header too short to hold the scale and rate.
    EXPECT_EQ(damaged("strh", [](auto& b, size_t at) { PutLE32(&b[at + 4], 12); }),
              "Failed to get AVI stream info");
    // A format shorter than its info header.
    EXPECT_EQ(damaged("strf", [](auto& b, size_t at) { PutLE32(&b[at + 4], 16); }),
              "Failed to get AVI stream format");
    // A format claiming more than any header holds.
    EXPECT_EQ(damaged("strf", [](auto& b, size_t at) { PutLE32(&b[at + 4], 0x7FFFFFF0); }),
              "Failed to get AVI stream format size");
    // The stream is no video stream any more.
    EXPECT_EQ(damaged("vids", [](auto& b, size_t at) { std::memcpy(&b[at], "txts", 4); }),
              "Failed to open AVI stream");
}

TEST_F(AviFolderTest, TruncatedFilesGiveTheFramesThereAreAndAWarning)
{
    const std::string path = MakeVideo("cut.avi", "-c:v rawvideo -pix_fmt bgr24");
    std::vector<uint8_t> bytes = ReadBytes(path);
    bytes.resize(bytes.size() / 2);
    WriteBytes(path, bytes);
    TImported imported;
    Import(imported, path);
    EXPECT_GT(imported.Image.Frames.Count(), 0);
    EXPECT_LT(imported.Image.Frames.Count(), 10);
    ASSERT_FALSE(imported.Warnings.empty());
    EXPECT_NE(imported.Warnings.back().find("AVI stream ends early"), std::string::npos);

    // Cut inside the header list: nothing to import.
    bytes.resize(100);
    WriteBytes(path, bytes);
    EXPECT_FALSE(ErrorOf(path).empty());
}

TEST_F(AviFolderTest, CorruptPacketsAreWarnedAbout)
{
    const std::string path = MakeVideo("bad.avi", "-c:v mpeg4");
    std::vector<uint8_t> bytes = ReadBytes(path);
    // Scramble the middle of the movie data, leaving the index alone.
    const uint8_t movi[] = {'m', 'o', 'v', 'i'};
    const auto start =
        size_t(std::search(bytes.begin(), bytes.end(), std::begin(movi), std::end(movi)) - bytes.begin());
    const uint8_t idx1[] = {'i', 'd', 'x', '1'};
    const auto end =
        size_t(std::search(bytes.begin(), bytes.end(), std::begin(idx1), std::end(idx1)) - bytes.begin());
    ASSERT_LT(start + 200, end);
    uint32_t noise = 12345;
    for (size_t i = (start + end) / 2 - 64; i < (start + end) / 2 + 512 && i < end; ++i) {
        noise = noise * 1103515245 + 12345;
        bytes[i] = uint8_t(noise >> 16);
    }
    WriteBytes(path, bytes);
    TImported imported;
    try {
        Import(imported, path);
        EXPECT_GT(imported.Image.Frames.Count(), 0);
        EXPECT_LE(imported.Image.Frames.Count(), 10);
        EXPECT_FALSE(imported.Warnings.empty());
    } catch (const EAviError& error) {
        EXPECT_STREQ(error.what(), "Failed to decompress AVI frame");
    }
}

TEST_F(AviFolderTest, ImportsStayWithinTheFrameAndPixelLimits)
{
    const std::string path = MakeVideo("raw.avi", "-c:v rawvideo -pix_fmt bgr24");
    {
        const TAviImportLimits saved = AviImportLimits;
        AviImportLimits.MaxFrames = 3;
        TImported imported;
        EXPECT_THROW(Import(imported, path), EAviError);
        AviImportLimits = saved;
        EXPECT_EQ(imported.Image.Frames.Count(), 3) << "what was imported stays";
    }
    const TGIFMemoryLimits saved = GIFMemoryLimits;
    GIFMemoryLimits.MaxFramePixels = 64 * 47;
    EXPECT_EQ(ErrorOf(path), "Image is too large");
    GIFMemoryLimits = saved;
    GIFMemoryLimits.MaxDocumentPixels = 64 * 48 * 4;
    EXPECT_EQ(ErrorOf(path), "Image is too large");
    GIFMemoryLimits = saved;
}

} // namespace
} // namespace fl
