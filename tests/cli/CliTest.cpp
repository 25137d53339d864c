// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli from a shell: exit codes, the JSON report, copying.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "cli/CliSupport.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"

namespace fl {
namespace {

TEST(CliTest, InfoReportsTheSampleAsJson)
{
    const TRun run = RunCli("info --json " + kSample);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(R"("version":"89a","width":48,"height":48)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(R"("loop_count":0)"), std::string::npos);
    EXPECT_NE(run.output.find(R"("delay":25,"disposal":1,"comments":["Frameloom sample animation v1"])"),
              std::string::npos);
    EXPECT_NE(run.output.find(R"("warnings":[]})"), std::string::npos);
}

TEST(CliTest, LoadErrorsGoToStandardErrorWithStatusOne)
{
    const auto path = TempPath("bad.gif");
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("PNG? no, plain text here", file);
        std::fclose(file);
    }
    TRun run = RunCli("info " + path.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Invalid GIF signature"), std::string::npos) << run.output;
    run = RunCli("info --json " + path.string() + ".missing");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(RunCli("info").status, 2) << "usage error";
    EXPECT_EQ(RunCli("copy --encoding zip a b").status, 2);
    std::filesystem::remove(path);
}

TEST(CliTest, CommentsAreEscapedIntoValidJson)
{
    TGIFImage image;
    image.GlobalColors().Add(0);
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, 1, 1);
    auto comment = std::make_unique<TGIFCommentExtension>(*frame);
    comment->Lines = {std::string("a\"b\\c\x01") + "\xC3\xA9" + "\xFF"};
    frame->Extensions.Append(std::move(comment));
    image.AddFrame(std::move(frame));
    const auto path = TempPath("comment.gif");
    image.SaveToFile(path.string());

    const TRun run = RunCli("info --json " + path.string());
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.output.find(R"("comments":["a\"b\\c\u0001)" "\xC3\xA9" "\xEF\xBF\xBD" R"("])"), std::string::npos)
        << run.output;
    std::filesystem::remove(path);
}

TEST(CliTest, CopyWithEitherEncodingKeepsThePixels)
{
    TGIFImage original;
    original.LoadFromFile(kSample);
    for (const char* encoding : {"lzw", "rle"}) {
        const auto path = TempPath(std::string("copy-") + encoding + ".gif");
        const TRun run = RunCli(std::string("copy --encoding ") + encoding + " " + kSample + " " + path.string());
        ASSERT_EQ(run.status, 0) << run.output;
        TGIFImage copy;
        copy.LoadFromFile(path.string());
        ASSERT_EQ(copy.Frames.Count(), original.Frames.Count());
        for (int i = 0; i < copy.Frames.Count(); ++i)
            EXPECT_TRUE(std::equal(copy.Frames[i]->Pixels(), copy.Frames[i]->Pixels() + copy.Frames[i]->PixelBytes(),
                                   original.Frames[i]->Pixels()))
                << encoding << " frame " << i;
        std::filesystem::remove(path);
    }
}

TEST(CliTest, QuantizeWritesAOneFrameGifAndReportsItsQuality)
{
    // Twelve colors: the octree keeps them exactly.
    TBitmap picture(6, 4, TPixelFormat::pf24bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            uint8_t* pixel = picture.ScanLine(y) + x * 3;
            pixel[0] = static_cast<uint8_t>(x < 2 ? 255 : 0);
            pixel[1] = static_cast<uint8_t>(x >= 4 ? 128 : 0);
            pixel[2] = static_cast<uint8_t>(y * 60);
        }
    const auto bmp = TempPath("picture.bmp");
    const auto gif = TempPath("picture.gif");
    picture.SaveToFile(bmp.string());

    TRun run = RunCli("quantize " + bmp.string() + " " + gif.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "colors=12 psnr=inf\n");
    TGIFImage image;
    image.LoadFromFile(gif.string());
    ASSERT_EQ(image.Frames.Count(), 1);
    EXPECT_EQ(image.Width(), 6);

    run = RunCli("quantize --method 4 --dither 1 " + bmp.string() + " " + gif.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("colors=2 psnr=", 0), 0u) << run.output;
    EXPECT_EQ(RunCli("quantize --bits 9 " + bmp.string() + " " + gif.string()).status, 2);
    EXPECT_EQ(RunCli("quantize --method 0 " + bmp.string() + " " + gif.string()).status, 2);
    EXPECT_EQ(RunCli("quantize " + gif.string() + " " + bmp.string() + ".gif").status, 1) << "not a BMP";
    std::filesystem::remove(bmp);
    std::filesystem::remove(gif);
}

} // namespace
} // namespace fl
