// SPDX-License-Identifier: GPL-3.0-or-later
#include "AviBench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "gif/GIFImage.h"
#include "io/AviImport.h"
#include "platform/Stream.h"

namespace fs = std::filesystem;

namespace fl::bench {

namespace {

constexpr int kSeconds = 10;
constexpr int kRate = 25;
constexpr int kFrames = kSeconds * kRate;

enum TWay { kOurs, kOursWithGif, kFFmpegGif, kFFmpegDecode, kWayCount };
constexpr const char* kWayNames[kWayCount] = {"ours", "ours+gif", "ffmpeg-gif", "ffmpeg-decode"};

// Seconds of each run, per way.
std::map<int, std::vector<double>>& Runs()
{
    static std::map<int, std::vector<double>> runs;
    return runs;
}

struct TVideo {
    fs::path Folder;
    std::string Path;
    std::string Error;
    ~TVideo()
    {
        std::error_code ignored;
        if (!Folder.empty())
            fs::remove_all(Folder, ignored);
    }
};

// The video, made once on first use.
const TVideo& Video()
{
    static TVideo video = [] {
        TVideo made;
        made.Folder = fs::temp_directory_path() / ("fl-avi-bench-" + std::to_string(getpid()));
        std::error_code error;
        fs::create_directories(made.Folder, error);
        made.Path = (made.Folder / "640x480.avi").string();
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i testsrc2=size=640x480:rate=" + std::to_string(kRate) + " -t " +
            std::to_string(kSeconds) + " -c:v mjpeg -q:v 3 '" + made.Path + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            made.Error = "the ffmpeg tool could not make the video";
        return made;
    }();
    return video;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Import(benchmark::State& state, TWay way)
{
    const TVideo& video = Video();
    if (!video.Error.empty()) {
        state.SkipWithError(video.Error.c_str());
        return;
    }
    const std::string gif = (video.Folder / "out.gif").string();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        int frames = kFrames;
        if (way == kOurs || way == kOursWithGif) {
            TGIFImage image;
            try {
                ImportAvi(image, video.Path);
                if (way == kOursWithGif) {
                    TMemoryStream bytes;
                    image.SaveToStream(bytes);
                    benchmark::DoNotOptimize(bytes.Size());
                }
            } catch (const std::exception& error) {
                state.SkipWithError(error.what());
                return;
            }
            frames = image.Frames.Count();
        } else {
            const std::string command =
                way == kFFmpegGif ? "ffmpeg -v error -y -i '" + video.Path + "' '" + gif + "' 2>/dev/null"
                                  : "ffmpeg -v error -i '" + video.Path + "' -f null - 2>/dev/null";
            if (std::system(command.c_str()) != 0) {
                state.SkipWithError("the ffmpeg tool failed");
                return;
            }
        }
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        Runs()[way].push_back(seconds);
        state.counters["fps"] = frames / seconds;
    }
}

const bool kRegistered = [] {
    for (int way = 0; way < kWayCount; ++way)
        benchmark::RegisterBenchmark(
            ("AviImport/" + std::string(kWayNames[way]) + "/mjpeg-640x480-10s").c_str(),
            [way](benchmark::State& state) { Import(state, TWay(way)); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

void PrintAviSummary()
{
    if (Runs().empty())
        return;
    std::printf(
        "\nAVI import: %d frames of 640x480 MJPEG (ffmpeg testsrc2, %d s at %d fps), frames per second, "
        "medians of the runs\n",
        kFrames, kSeconds, kRate);
    std::printf("  ours = import into an animation (web-safe cube, error diffusion, one global palette);\n"
                "  ours+gif = the same and the GIF written to memory; ffmpeg-gif = ffmpeg IN.avi OUT.gif;\n"
                "  ffmpeg-decode = ffmpeg -f null, the decoding alone\n\n");
    double fps[kWayCount] = {};
    for (int way = 0; way < kWayCount; ++way) {
        const auto found = Runs().find(way);
        if (found == Runs().end() || found->second.empty()) {
            std::printf("  %-14s not measured\n", kWayNames[way]);
            continue;
        }
        fps[way] = kFrames / Median(found->second);
        std::printf("  %-14s %8.1f fps\n", kWayNames[way], fps[way]);
    }
    if (fps[kOursWithGif] > 0 && fps[kFFmpegGif] > 0)
        std::printf("  x ours+gif / ffmpeg-gif = %.2f (above 1: we are faster)\n",
                    fps[kOursWithGif] / fps[kFFmpegGif]);
    if (fps[kOurs] > 0 && fps[kFFmpegDecode] > 0)
        std::printf("  x ours / ffmpeg-decode = %.2f (the share of the time the decoding takes)\n",
                    fps[kOurs] / fps[kFFmpegDecode]);
}

} // namespace fl::bench
