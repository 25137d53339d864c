// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli import: still pictures of every route (the imaging control,
// the engine's BMP reader, the GIF loader) become a one-frame animation set
// up as the editor sets up a new one; failures exit 1 with the message, bad
// arguments 2.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliSupport.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"

namespace fl {
namespace {

constexpr int W = 13;
constexpr int H = 7;

// Six colors, so that the reduction keeps every one exactly.
uint32_t ColorAt(int x, int y)
{
    static const uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x102030, 0xFFFFFF};
    return colors[(x + 2 * y) % 6];
}

struct TImportCase {
    std::filesystem::path Output = TempPath("import-out.gif");
    std::vector<std::filesystem::path> Made;

    ~TImportCase()
    {
        std::error_code ignored;
        std::filesystem::remove(Output, ignored);
        for (const auto& path : Made)
            std::filesystem::remove(path, ignored);
    }

    std::string Make(const std::string& name, const std::string& bytes)
    {
        Made.push_back(TempPath(name));
        std::ofstream(Made.back(), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return Made.back().string();
    }

    // Binary portable pixmap: the simplest format the imaging control reads.
    std::string MakePPM(const std::string& name)
    {
        std::string bytes = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                bytes += {char(ColorAt(x, y) >> 16), char(ColorAt(x, y) >> 8), char(ColorAt(x, y))};
        return Make(name, bytes);
    }

    // Uncompressed true-color Targa, rows top-down.
    std::string MakeTGA(const std::string& name)
    {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = char(W), bytes[14] = char(H);
        bytes[16] = 24, bytes[17] = 0x20;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                bytes += {char(ColorAt(x, y)), char(ColorAt(x, y) >> 8), char(ColorAt(x, y) >> 16)};
        return Make(name, bytes);
    }

    std::string MakeBMP(const std::string& name)
    {
        TBitmap bitmap(W, H, TPixelFormat::pf24bit);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                uint8_t* p = bitmap.ScanLine(y) + x * 3;
                p[0] = uint8_t(ColorAt(x, y)), p[1] = uint8_t(ColorAt(x, y) >> 8),
                p[2] = uint8_t(ColorAt(x, y) >> 16);
            }
        Made.push_back(TempPath(name));
        bitmap.SaveToFile(Made.back().string());
        return Made.back().string();
    }

    TRun Import(const std::string& input)
    {
        return RunCli("import '" + input + "' '" + Output.string() + "'");
    }
};

// The written animation holds one frame with the picture's exact colors and
// the new-animation defaults: play forever, 100 hundredths, disposal 1, the
// creator comment.
void ExpectNewAnimation(const std::string& path, bool exactColors)
{
    TGIFImage image;
    image.LoadFromFile(path);
    ASSERT_EQ(image.Frames.Count(), 1);
    EXPECT_EQ(image.Width(), W);
    EXPECT_EQ(image.Height(), H);
    EXPECT_TRUE(HasLoopExtension(image));
    EXPECT_EQ(GetLoopCount(image), 0);
    TGIFSubImage& frame = *image.Frames[0];
    ASSERT_NE(frame.ControlBlock, nullptr);
    EXPECT_EQ(frame.ControlBlock->Delay, 100);
    EXPECT_EQ(frame.ControlBlock->Disposal(), 1);
    auto* comment = frame.Extensions.Find<TGIFCommentExtension>();
    ASSERT_NE(comment, nullptr);
    ASSERT_EQ(comment->Lines.size(), 1u);
    EXPECT_EQ(comment->Lines[0], "Created with Quillmark Frameloom 4.0");
    EXPECT_GT(image.GlobalColors().Count(), 0);
    if (!exactColors)
        return;
    TBitmap shown;
    image.CopyToGraphic(shown);
    int wrong = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            wrong += shown.PixelColor(x, y) != ColorAt(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST(ImportCommand, StillPicturesOfEveryRouteBecomeANewAnimation)
{
    TImportCase c;
    for (const std::string& input : {c.MakePPM("in.ppm"), c.MakeTGA("in.TGA"), c.MakeBMP("in.bmp")}) {
        const TRun run = c.Import(input);
        ASSERT_EQ(run.status, 0) << input << "\n" << run.output;
        EXPECT_NE(run.output.find("13x7"), std::string::npos) << run.output;
        ExpectNewAnimation(c.Output.string(), true);
    }
}

TEST(ImportCommand, AGifGivesItsFirstFrameAsShown)
{
    TImportCase c;
    TGIFImage sample;
    sample.LoadFromFile(kSample);
    const TRun run = c.Import(kSample);
    ASSERT_EQ(run.status, 0) << run.output;
    TGIFImage image;
    image.LoadFromFile(c.Output.string());
    ASSERT_EQ(image.Frames.Count(), 1);
    EXPECT_EQ(image.Width(), sample.Width());
    EXPECT_EQ(image.Height(), sample.Height());
}

TEST(ImportCommand, FailuresExitOneWithTheMessageAndWriteNothing)
{
    TImportCase c;
    const std::string missing = TempPath("missing.png").string();
    TRun run = c.Import(missing);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Error loading " + missing + "! The file does not exist."),
              std::string::npos)
        << run.output;

    const std::string ppm = c.MakePPM("pic.ppm");
    std::ifstream in(ppm, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    run = c.Import(c.Make("pic.jpeg", bytes));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("pic.jpeg is an unrecognized file type!"), std::string::npos) << run.output;

    // The extension names the coder; a pixmap called a PNG is no PNG.
    run = c.Import(c.Make("pic-lies.png", bytes));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("pic-lies.png"), std::string::npos) << run.output;

    run = c.Import(c.Make("cut.ppm", bytes.substr(0, bytes.size() / 2)));
    EXPECT_EQ(run.status, 1) << run.output;
    run = c.Import(c.Make("cut.bmp", "BM\x10"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_FALSE(std::filesystem::exists(c.Output));
}

TEST(ImportCommand, BadArgumentsExitTwo)
{
    EXPECT_EQ(RunCli("import").status, 2);
    EXPECT_EQ(RunCli("import only-one.png").status, 2);
    EXPECT_EQ(RunCli("import a.png b.gif c.gif").status, 2);
    const TRun usage = RunCli("--help");
    EXPECT_NE(usage.output.find("import IN OUT.gif"), std::string::npos);
}

} // namespace
} // namespace fl
