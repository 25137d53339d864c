// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli export-frames: the files it names and writes, its options,
// and the frame lists and values it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "cli/CliSupport.h"
#include "gif/GIFImage.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

struct TExportFolder {
    fs::path Folder = TempPath("export");
    TExportFolder() { fs::create_directories(Folder); }
    ~TExportFolder() { fs::remove_all(Folder); }

    std::string Name(const std::string& file) const { return (Folder / file).string(); }
    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder))
            names.insert(entry.path().filename().string());
        return names;
    }
    std::vector<uint8_t> Bytes(const std::string& file) const
    {
        std::ifstream in(Folder / file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST(CliExportFrames, AllFramesByDefaultAsGif)
{
    TExportFolder out;
    TGIFImage sample;
    sample.LoadFromFile(kSample);
    ASSERT_GT(sample.Frames.Count(), 1);
    const TRun run = RunCli("export-frames " + kSample + " " + out.Name("anim.gif"));
    ASSERT_EQ(run.status, 0) << run.output;
    std::string listed;
    std::set<std::string> expected;
    for (int i = 0; i < sample.Frames.Count(); ++i) {
        const std::string file = "animFL1" + std::to_string(i) + ".gif";
        listed += out.Name(file) + "\n";
        expected.insert(file);
    }
    EXPECT_EQ(run.output, listed);
    EXPECT_EQ(out.Files(), expected);
    TGIFImage frame;
    frame.LoadFromFile(out.Name("animFL11.gif"));
    EXPECT_EQ(frame.Frames.Count(), 1);
}

TEST(CliExportFrames, FormatsAndOptionsReachTheFiles)
{
    TExportFolder out;
    TRun run =
        RunCli("export-frames --format jpg --frames 2,0 --quality 0 --progressive --grayscale --fast " +
               kSample + " " + out.Name("pic.jpeg"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, out.Name("picFL12.jpeg") + "\n" + out.Name("picFL10.jpeg") + "\n");
    const std::vector<uint8_t> jpeg = out.Bytes("picFL10.jpeg");
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    const std::string text(jpeg.begin(), jpeg.end());
    EXPECT_NE(text.find("\xFF\xC2"), std::string::npos) << "progressive";

    run = RunCli("export-frames --format bmp --mono --frames 1 " + kSample + " " + out.Name("b"));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<uint8_t> bmp = out.Bytes("bFL11");
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[28], 1) << "one bit per pixel";

    run = RunCli("export-frames --palette windows:8 --no-optimize --frames 0 " + kSample + " " +
                 out.Name("w.x"));
    ASSERT_EQ(run.status, 0) << run.output;
    TGIFImage reduced;
    reduced.LoadFromFile(out.Name("wFL10.gif"));
    ASSERT_EQ(reduced.Frames.Count(), 1);
    EXPECT_GT(reduced.Frames[0]->LocalColors.Count(), 0) << "not folded into a global palette";
    EXPECT_LE(reduced.Frames[0]->LocalColors.Count(), 8);
}

TEST(CliExportFrames, AMissingFrameGivesThePlaceholderAndTheMessage)
{
    TExportFolder out;
    const TRun run = RunCli("export-frames --format bmp --frames 0,99 " + kSample + " " + out.Name("m.bmp"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("An error occurred exporting one or more images."), std::string::npos)
        << run.output;
    EXPECT_EQ(out.Files(), (std::set<std::string>{"mFL10.bmp", "mFL199.bmp"}));
}

TEST(CliExportFrames, RefusesBadFrameListsAndValues)
{
    TExportFolder out;
    const std::string tail = " " + kSample + " " + out.Name("x.gif");
    for (const char* list : {"\"\"", "1,,2", "1,", ",1", "a", "-1", "1.5", "0x2", "99999999999", "\"1;2\""}) {
        SCOPED_TRACE(list);
        const TRun run = RunCli(std::string("export-frames --frames ") + list + tail);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find("invalid frame list"), std::string::npos) << run.output;
    }
    for (const char* options :
         {"--format png", "--palette windows:100", "--palette windows:", "--palette web", "--quality 5",
          "--quality -1", "--quality", "--frames", "--bogus"}) {
        SCOPED_TRACE(options);
        const TRun run = RunCli(std::string("export-frames ") + options + tail);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find("Usage: frameloom-cli export-frames"), std::string::npos) << run.output;
    }
    EXPECT_EQ(RunCli("export-frames " + kSample).status, 2);
    EXPECT_TRUE(out.Files().empty());

    const TRun missing = RunCli("export-frames " + out.Name("none.gif") + " " + out.Name("x.gif"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(out.Files().empty());
}

} // namespace
} // namespace fl
