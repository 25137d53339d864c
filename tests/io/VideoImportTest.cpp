// SPDX-License-Identifier: GPL-3.0-or-later
// Videos of other kinds than AVI, made by the ffmpeg tool, as animations:
// frame counts and delays at the video's own rate and at a chosen one, a
// part of the video, the differences-only frames playing as whole ones,
// cancelling, and files that are no video.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "gif/GIFImage.h"
#include "gif/PlaybackSupport.h"
#include "io/AviTestSupport.h"
#include "io/VideoImport.h"
#include "platform/Stream.h"

namespace fl {
namespace {

class VideoImportTest : public test::AviFolderTest {
protected:
    // ffmpeg's moving test pattern, so that every picture differs.
    std::string Make(const std::string& name, const std::string& arguments, int rate, double seconds)
    {
        const std::string path = Path(name);
        bool ok = false;
        test::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=" + std::to_string(rate) +
                             " -t " + std::to_string(seconds) + " " + arguments + " '" + path + "' 2>&1",
                         ok);
        EXPECT_TRUE(ok) << "ffmpeg could not make " << name;
        return path;
    }

    // Whole frames by default, so that every picture is a frame of its own.
    static std::unique_ptr<TGIFImage> Import(const std::string& path, TVideoImportOptions options = Whole())
    {
        auto image = std::make_unique<TGIFImage>();
        const auto source = OpenVideo(path);
        EXPECT_TRUE(ImportVideo(*image, *source, options));
        return image;
    }

    static TVideoImportOptions Whole()
    {
        TVideoImportOptions options;
        options.Optimize = false;
        return options;
    }

    static std::vector<int> Delays(const TGIFImage& image)
    {
        std::vector<int> delays;
        for (int i = 0; i < image.Frames.Count(); ++i)
            delays.push_back(image.Frames[i]->ControlBlock ? image.Frames[i]->ControlBlock->Delay : -1);
        return delays;
    }
};

TEST(VideoFrameDelays, RoundedStartsKeepTheTotalTrue)
{
    // 30 a second: 3.33 hundredths each, spread as 3, 4, 3, 3.
    EXPECT_EQ(VideoFrameDelays({0, 1 / 30.0, 2 / 30.0, 3 / 30.0}, 4 / 30.0), (std::vector<int>{3, 4, 3, 3}));
    // Pictures closer than a hundredth still last one.
    EXPECT_EQ(VideoFrameDelays({0, 0.001, 0.5}, 1), (std::vector<int>{1, 50, 50}));
    EXPECT_EQ(VideoFrameDelays({}, 1), std::vector<int>{});
}

TEST_F(VideoImportTest, Mp4AndWebmAtTheirOwnRateAndAtAChosenOne)
{
    const std::string mp4 = Make("clip.mp4", "-c:v libx264 -pix_fmt yuv420p", 10, 2);
    auto image = Import(mp4);
    EXPECT_EQ(image->Width(), 64);
    EXPECT_EQ(image->Height(), 48);
    EXPECT_EQ(Delays(*image), std::vector<int>(20, 10));
    // One palette for all, with the last slot left for transparency.
    EXPECT_LE(image->GlobalColors().Count(), 255);
    EXPECT_EQ(image->Frames[7]->LocalColors.Count(), 0);
    ASSERT_NE(image->Frames[0]->Extensions.Find<TGIFAppExtNSLoop>(), nullptr);

    const std::string webm = Make("clip.webm", "-c:v libvpx-vp9 -b:v 200k", 25, 1);
    TVideoImportOptions options = Whole();
    options.FramesPerSecond = 10;
    image = Import(webm, options);
    EXPECT_EQ(Delays(*image), std::vector<int>(10, 10));

    // A part of the video: one second from the middle.
    options = Whole();
    options.From = 0.5;
    options.To = 1.5;
    image = Import(mp4, options);
    EXPECT_EQ(Delays(*image), std::vector<int>(10, 10));
}

TEST_F(VideoImportTest, AnimatedWebpAndApng)
{
    const std::string webp = Make("clip.webp", "-c:v libwebp_anim -loop 0", 10, 1);
    auto image = Import(webp);
    const std::vector<int> delays = Delays(*image);
    EXPECT_EQ(delays.size(), 10u);
    EXPECT_EQ(std::accumulate(delays.begin(), delays.end(), 0), 100);

    const std::string apng = Make("clip.apng", "-f apng -plays 0", 5, 1);
    image = Import(apng);
    EXPECT_EQ(Delays(*image), std::vector<int>(5, 20));
}

TEST_F(VideoImportTest, DifferencesOnlyPlayAsTheWholeFramesDo)
{
    const std::string mp4 = Make("clip.mp4", "-c:v libx264 -pix_fmt yuv420p", 10, 1);
    const auto wholeFrames = Import(mp4);
    const auto differences = Import(mp4, TVideoImportOptions());
    EXPECT_TRUE(differences->Frames[1]->ControlBlock->Transparent());
    EXPECT_TRUE(test::PlaysAlike(test::PlayTimeline(*wholeFrames), test::PlayTimeline(*differences)));
    TMemoryStream small, large;
    differences->SaveToStream(small);
    wholeFrames->SaveToStream(large);
    EXPECT_LT(small.Size(), large.Size());
}

TEST_F(VideoImportTest, CancellingLeavesNothing)
{
    const std::string mp4 = Make("clip.mp4", "-c:v libx264 -pix_fmt yuv420p", 10, 2);
    TVideoImportOptions options;
    int calls = 0;
    options.Progress = [&calls](int percent) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        return ++calls < 5;
    };
    TGIFImage image;
    const auto source = OpenVideo(mp4);
    EXPECT_FALSE(ImportVideo(image, *source, options));
    EXPECT_TRUE(image.IsEmpty());
}

TEST_F(VideoImportTest, FilesThatAreNoVideoAreRefused)
{
    const std::string text = Path("notes.mp4");
    std::ofstream(text) << "not a video";
    EXPECT_THROW(OpenVideo(text), EVideoError);
    EXPECT_THROW(OpenVideo(Path("missing.webm")), EVideoError);
    std::ofstream(Path("bad.webp")) << "RIFF";
    EXPECT_THROW(OpenVideo(Path("bad.webp")), EVideoError);

    // A range past the video's end holds nothing.
    const std::string mp4 = Make("clip.mp4", "-c:v libx264 -pix_fmt yuv420p", 10, 1);
    TVideoImportOptions options;
    options.From = 5;
    TGIFImage image;
    const auto source = OpenVideo(mp4);
    EXPECT_THROW(ImportVideo(image, *source, options), EVideoError);
}

} // namespace
} // namespace fl
