// SPDX-License-Identifier: GPL-3.0-or-later
// import-avi, export-avi and import-video run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/CliSupport.h"
#include "gif/GIFImage.h"

namespace fl {
namespace {

bool HaveFFmpeg()
{
    return std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") == 0;
}

class AviCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveFFmpeg())
            GTEST_SKIP() << "the ffmpeg and ffprobe tools are not installed";
        folder_ = TempPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(AviCommandsTest, AVideoRoundTripsThroughAnAnimation)
{
    const std::string video = Path("in.avi");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=20 -t 0.5 -c:v mjpeg '" +
                           video + "'")
                              .c_str()),
              0);
    TRun run = RunCli("import-avi '" + video + "' '" + Path("mid.gif") + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    TGIFImage image;
    image.LoadFromFile(Path("mid.gif"));
    ASSERT_EQ(image.Frames.Count(), 10);
    EXPECT_EQ(image.Frames[4]->ControlBlock->Delay, 5);

    run = RunCli("export-avi '" + Path("mid.gif") + "' '" + Path("out.avi") + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    std::FILE* pipe = popen(("ffprobe -v error -count_frames -show_entries "
                             "stream=codec_name,pix_fmt,nb_read_frames,r_frame_rate -of default=nw=1 '" +
                             Path("out.avi") + "'")
                                .c_str(),
                            "r");
    ASSERT_NE(pipe, nullptr);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), pipe));
    pclose(pipe);
    // Delay 5 as the scale over a rate of 65.
    EXPECT_EQ(text, "codec_name=rawvideo\npix_fmt=pal8\nr_frame_rate=13/1\nnb_read_frames=10\n");
}

TEST_F(AviCommandsTest, AnyVideoImportsWithItsRangeAndRate)
{
    const std::string video = Path("in.webm");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25 -t 2 -c:v libvpx-vp9 "
                           "-b:v 200k '" + video + "'")
                              .c_str()),
              0);
    TRun run = RunCli("import-video --from 0.5 --to 1.5 --fps 4 --no-optimize '" + video + "' '" + Path("out.gif") +
                      "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "4 frames\n");
    TGIFImage image;
    image.LoadFromFile(Path("out.gif"));
    ASSERT_EQ(image.Frames.Count(), 4);
    EXPECT_EQ(image.Frames[3]->ControlBlock->Delay, 25);

    for (const char* arguments :
         {"import-video", "import-video --fps 0 a.mp4 b.gif", "import-video --fps 101 a.mp4 b.gif",
          "import-video --from -1 a.mp4 b.gif", "import-video --to a.mp4 b.gif", "import-video --slow a.mp4 b.gif"}) {
        run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find("Usage: frameloom-cli import-video"), std::string::npos) << run.output;
    }
    run = RunCli("import-video '" + Path("missing.mp4") + "' '" + Path("x.gif") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Failed to open video file"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(Path("x.gif")));
}

TEST_F(AviCommandsTest, FailuresExitWithTheMessageAndUsageWithTwo)
{
    EXPECT_EQ(RunCli("import-avi only-one.avi").status, 2);
    EXPECT_EQ(RunCli("export-avi a.gif b.avi c").status, 2);

    const std::string audio = Path("audio.avi");
    ASSERT_EQ(
        std::system(
            ("ffmpeg -v error -y -f lavfi -i sine=duration=0.2 -c:a pcm_s16le '" + audio + "'").c_str()),
        0);
    TRun run = RunCli("import-avi '" + audio + "' '" + Path("out.gif") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Failed to open AVI stream"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(Path("out.gif")));

    // A video stream without any frame.
    const std::string empty = Path("empty.avi");
    ASSERT_EQ(
        std::system(("ffmpeg -v error -y -f lavfi -i testsrc=size=16x16:rate=10 -frames:v 0 -c:v mjpeg '" +
                     empty + "'")
                        .c_str()),
        0);
    run = RunCli("import-avi '" + empty + "' '" + Path("out.gif") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Error importing " + empty + " to GIF."), std::string::npos) << run.output;

    run = RunCli("export-avi '" + kSample + "' '" + Path("missing/out.avi") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Failed to create AVI file"), std::string::npos) << run.output;

    run = RunCli("export-avi '" + Path("none.gif") + "' '" + Path("out.avi") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("out.avi")));
}

} // namespace
} // namespace fl
