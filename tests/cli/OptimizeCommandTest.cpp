// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli optimize: the options reach the document, the sizes are
// reported, and the written file plays like the input.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliSupport.h"
#include "gif/PlaybackSupport.h"

namespace fl {
namespace {

using test::MakeAnimation;

struct TOptimizeCase {
    std::filesystem::path Input = TempPath("optimize-in.gif");
    std::filesystem::path Output = TempPath("optimize-out.gif");

    TOptimizeCase()
    {
        // A busy screen, a frame repeating most of it with a comment, an
        // invisible frame, and a dot; frame 3 has colors of its own.
        test::TFrameLayout busy{0, 0, 32, 32, 1, 1, 20};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                busy.Spots.push_back({x, y, (x * 7 + y * 13 + x * y) % 6});
        test::TFrameLayout repeat = busy;
        repeat.Spots.push_back({2, 2, 7});
        repeat.Spots.push_back({3, 3, 7});
        auto image = MakeAnimation(32, 32, {busy, repeat, {0, 0, 32, 32, 0, 1, 30, 0}, {4, 4, 1, 1, 4}});
        auto comment = std::make_unique<TGIFCommentExtension>(*image->Frames[1]);
        comment->Lines.push_back("a comment");
        image->Frames[1]->Extensions.Append(std::move(comment));
        for (int i = 0; i < 8; ++i)
            image->Frames[3]->LocalColors.Add(test::TestColors[7 - i]);
        image->Frames[3]->Pixels()[0] = 3;
        image->SaveToFile(Input.string());
    }
    ~TOptimizeCase()
    {
        std::filesystem::remove(Input);
        std::filesystem::remove(Output);
    }
    std::string Run(const std::string& options) const
    {
        const TRun run = RunCli("optimize " + options + " " + Input.string() + " " + Output.string());
        EXPECT_EQ(run.status, 0) << run.output;
        return run.output;
    }
    std::unique_ptr<TGIFImage> Load(const std::filesystem::path& path) const
    {
        auto image = std::make_unique<TGIFImage>();
        image->LoadFromFile(path.string());
        return image;
    }
};

TEST(CliOptimize, ReportsTheSizesAndWritesAFileThatPlaysAlike)
{
    TOptimizeCase c;
    const std::string expected = "before=" + std::to_string(std::filesystem::file_size(c.Input)) + " after=";
    for (const char* options : {"", "--trim", "--merge-pixels", "--cleanup", "--color-tables",
                                "--merge-palettes", "--trim --cleanup", "--all"}) {
        SCOPED_TRACE(options);
        const std::string output = c.Run(options);
        EXPECT_EQ(output, expected + std::to_string(std::filesystem::file_size(c.Output)) + "\n");
        const auto original = c.Load(c.Input);
        const auto optimized = c.Load(c.Output);
        EXPECT_TRUE(test::PlaysAlike(test::PlayTimeline(*original), test::PlayTimeline(*optimized)));
    }
}

TEST(CliOptimize, OptionsChooseTheSteps)
{
    TOptimizeCase c;
    c.Run("--trim");
    EXPECT_EQ(c.Load(c.Output)->Frames.Count(), 3) << "the invisible frame is gone";
    c.Run("--cleanup");
    const auto cleaned = c.Load(c.Output);
    EXPECT_EQ(cleaned->Frames.Count(), 4);
    EXPECT_EQ(cleaned->Frames[1]->Extensions.Find<TGIFCommentExtension>(), nullptr);
    c.Run("--merge-pixels");
    EXPECT_TRUE(c.Load(c.Output)->Frames[1]->Transparent);
    c.Run("--merge-palettes");
    const auto merged = c.Load(c.Output);
    EXPECT_EQ(merged->Frames[3]->LocalColors.Count(), 0);
    EXPECT_EQ(merged->Frames[1]->Extensions.Find<TGIFCommentExtension>()->Lines.front(), "a comment");

    c.Run("--all --lossy 80");
    EXPECT_LE(std::filesystem::file_size(c.Output), std::filesystem::file_size(c.Input));
    c.Run("--all");
    const auto all = c.Load(c.Output);
    EXPECT_EQ(all->Frames.Count(), 3);
    EXPECT_EQ(all->Frames[2]->LocalColors.Count(), 0);
    EXPECT_LT(std::filesystem::file_size(c.Output), std::filesystem::file_size(c.Input));
}

TEST(CliOptimize, AResultLargerThanTheInputKeepsTheInput)
{
    // One frame that nothing shrinks, written without its trailer: the
    // optimized file, trailer included, would be a byte longer.
    TOptimizeCase c;
    TGIFImage image;
    image.GlobalColors().Add(MakeColor(0, 0, 0));
    image.GlobalColors().Add(MakeColor(255, 255, 255));
    image.SetWidth(2);
    image.SetHeight(2);
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, 2, 2);
    std::fill(frame->Pixels(), frame->Pixels() + 4, uint8_t(0));
    frame->Pixels()[3] = 1;
    image.AddFrame(std::move(frame));
    TMemoryStream bytes;
    image.SaveToStream(bytes);
    const std::string input(reinterpret_cast<const char*>(bytes.Data()), size_t(bytes.Size()) - 1);
    std::ofstream(c.Input, std::ios::binary | std::ios::trunc) << input;

    const std::string output = c.Run("--all");
    EXPECT_NE(output.find("kept the original"), std::string::npos) << output;
    std::ifstream written(c.Output, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), input);
}

TEST(CliOptimize, TablesThatDoNotFitOneStayAndLossyIsNeverLargerThanLossless)
{
    // Two frames of 256 colors each, none shared: one global table cannot
    // hold them, and merging would repaint half of them.
    TOptimizeCase c;
    TGIFImage image;
    image.SetWidth(16);
    image.SetHeight(16);
    for (int i = 0; i < 256; ++i)
        image.GlobalColors().Add(MakeColor(uint8_t(i), 0, 0));
    for (int f = 0; f < 2; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetGeometry(0, 0, 16, 16);
        for (int i = 0; i < 256; ++i) {
            frame->Pixels()[i] = uint8_t(f == 0 ? i : 255 - i);
            if (f == 1)
                frame->LocalColors.Add(MakeColor(0, uint8_t(i), 0));
        }
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(c.Input.string());

    EXPECT_NE(c.Run("--all").find("kept the local color tables"), std::string::npos);
    const auto original = c.Load(c.Input);
    const auto optimized = c.Load(c.Output);
    EXPECT_TRUE(test::PlaysAlike(test::PlayTimeline(*original), test::PlayTimeline(*optimized)));
    EXPECT_EQ(optimized->Frames[1]->LocalColors.Count(), 256);

    const auto lossless = std::filesystem::file_size(c.Output);
    c.Run("--all --lossy 200");
    EXPECT_LE(std::filesystem::file_size(c.Output), lossless);
}

TEST(CliOptimize, BadInputAndUsage)
{
    TOptimizeCase c;
    const std::filesystem::path missing = TempPath("optimize-missing.gif");
    TRun run = RunCli("optimize --all " + missing.string() + " " + c.Output.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(missing.string() + ": "), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(c.Output));

    const std::filesystem::path garbage = TempPath("optimize-garbage.gif");
    std::ofstream(garbage, std::ios::binary) << "GIF89a\x01";
    run = RunCli("optimize " + garbage.string() + " " + c.Output.string());
    std::filesystem::remove(garbage);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(garbage.string() + ": "), std::string::npos) << run.output;

    for (const std::string& arguments :
         {std::string("optimize"), "optimize " + c.Input.string(),
          "optimize --fast " + c.Input.string() + " " + c.Output.string(), std::string("optimize a b c"),
          "optimize --lossy 201 " + c.Input.string() + " " + c.Output.string(),
          "optimize --lossy -5 " + c.Input.string() + " " + c.Output.string(),
          "optimize " + c.Input.string() + " " + c.Output.string() + " --lossy"}) {
        run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find("Usage: frameloom-cli optimize"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(c.Output));
}

} // namespace
} // namespace fl
