// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli render: the frames a player draws, written as bitmaps, with
// the waits it used.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/CliSupport.h"
#include "gif/PlayerSupport.h"

namespace fl {
namespace {

using test::MakeAnimation;
using test::Rgb;

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TRenderCase {
    std::filesystem::path Input = TempPath("render-in.gif");
    std::filesystem::path Output = TempPath("render-out");

    TRenderCase()
    {
        // Red screen; a blue square disposed to the background; a yellow dot.
        auto image = MakeAnimation(4, 2, {{0, 0, 4, 2, 1, 1, 25}, {2, 0, 2, 2, 3, 2, 50}, {0, 1, 1, 1, 4, 1}});
        image->SaveToFile(Input.string());
    }
    ~TRenderCase()
    {
        std::filesystem::remove(Input);
        std::filesystem::remove_all(Output);
    }
    TBitmap Frame(int index) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03d.bmp", index);
        TBitmap bitmap;
        bitmap.LoadFromFile((Output / name).string());
        return bitmap;
    }
};

TEST(CliRender, WritesEveryDrawnFrameAndTheWaitBeforeIt)
{
    TRenderCase c;
    const TRun run = RunCli("render " + c.Input.string() + " " + c.Output.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "frames=3\n");
    EXPECT_EQ(FileText(c.Output / "timing.txt"), "0 12\n1 300\n2 600\n");
    EXPECT_FALSE(std::filesystem::exists(c.Output / "frame-003.bmp"));

    const TBitmap first = c.Frame(0);
    EXPECT_EQ(first.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(first.Width(), 4);
    EXPECT_EQ(first.Height(), 2);
    EXPECT_EQ(first.PixelColor(3, 1), Rgb(1));
    const TBitmap second = c.Frame(1);
    EXPECT_EQ(second.PixelColor(3, 0), Rgb(3));
    EXPECT_EQ(second.PixelColor(1, 0), Rgb(1));
    // The blue square went back to the background (white) before the dot.
    const TBitmap third = c.Frame(2);
    EXPECT_EQ(third.PixelColor(3, 0), Rgb(5));
    EXPECT_EQ(third.PixelColor(0, 1), Rgb(4));
    EXPECT_EQ(third.PixelColor(1, 0), Rgb(1));
}

TEST(CliRender, SpeedScalesTheWaits)
{
    TRenderCase c;
    ASSERT_EQ(RunCli("render --speed 200 " + c.Input.string() + " " + c.Output.string()).status, 0);
    EXPECT_EQ(FileText(c.Output / "timing.txt"), "0 6\n1 150\n2 300\n");
    // At speed 0 or below a synchronous player waits the longest delay.
    ASSERT_EQ(RunCli("render --speed -5 " + c.Input.string() + " " + c.Output.string()).status, 0);
    EXPECT_EQ(FileText(c.Output / "timing.txt"), "0 12000\n1 12000\n2 12000\n");
}

TEST(CliRender, RefusesWhatItCannotRender)
{
    TRenderCase c;
    EXPECT_EQ(RunCli("render --speed fast " + c.Input.string() + " " + c.Output.string()).status, 2);
    EXPECT_EQ(RunCli("render " + c.Input.string()).status, 2);
    const TRun missing = RunCli("render /nonexistent/in.gif " + c.Output.string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("/nonexistent/in.gif"), std::string::npos) << missing.output;
    EXPECT_FALSE(std::filesystem::exists(c.Output));
}

} // namespace
} // namespace fl
