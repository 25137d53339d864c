// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoBench.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CompositePsnr.h"

namespace fs = std::filesystem;

namespace fl::bench {

namespace {

// Made by ffmpeg's sources: a moving test pattern in H.264 and a zooming
// fractal (smooth gradients) in VP9.
struct TInput {
    const char* Name;
    const char* Source;
    const char* Codec;
    int Width, Height;
    double Rate;
};
const TInput kInputs[] = {
    {"testsrc2-640x480-10s.mp4", "testsrc2=size=640x480:rate=25 -t 10", "-c:v libx264 -pix_fmt yuv420p", 640, 480,
     25},
    {"mandelbrot-480x360-6s.webm", "mandelbrot=size=480x360:rate=25 -t 6", "-c:v libvpx-vp9 -b:v 2M", 480, 360, 25},
};

enum TWay { kOurs, kFFmpeg, kWayCount };
constexpr const char* kWayNames[kWayCount] = {"ours", "ffmpeg"};
constexpr double kSpeedTarget = 1.5;

struct TResult {
    std::vector<double> Seconds;
    uintmax_t Bytes = 0;
    std::optional<double> Psnr;
};
std::map<std::string, TResult>& Results()
{
    static std::map<std::string, TResult> results;
    return results;
}
std::string Key(const TInput& input, TWay way) { return std::string(input.Name) + "/" + kWayNames[way]; }

std::string Quoted(const fs::path& path)
{
    std::string quoted = path.string();
    quoted.insert(quoted.begin(), '\'');
    quoted.push_back('\'');
    return quoted;
}

// The video and its pictures as rgb24, made once.
std::optional<std::string> Prepare(const TInput& input)
{
    static std::map<std::string, std::optional<std::string>> made;
    if (const auto found = made.find(input.Name); found != made.end())
        return found->second;
    const fs::path video = ScratchFolder("video") / input.Name;
    const fs::path raw = ScratchFolder("video") / (std::string(input.Name) + ".rgb");
    const std::string make = "ffmpeg -v error -y -f lavfi -i " + std::string(input.Source) + " " + input.Codec + " " +
                             Quoted(video) + " 2>/dev/null && ffmpeg -v error -y -i " + Quoted(video) +
                             " -vsync passthrough -f rawvideo -pix_fmt rgb24 " + Quoted(raw) + " 2>/dev/null";
    made[input.Name] = std::system(make.c_str()) == 0 ? std::optional<std::string>(video.string()) : std::nullopt;
    return made[input.Name];
}

void Convert(benchmark::State& state, const TInput& input, TWay way)
{
    const std::optional<std::string> video = Prepare(input);
    if (!video) {
        state.SkipWithError("the ffmpeg tool could not make the video");
        return;
    }
    const fs::path gif = ScratchFolder("video") / (std::string(input.Name) + "." + kWayNames[way] + ".gif");
    const std::string command =
        way == kOurs ? std::string(FL_CLI_PATH) + " import-video '" + *video + "' " + Quoted(gif) + " >/dev/null"
                     : "ffmpeg -v error -y -i '" + *video +
                           "' -filter_complex '[0:v]split[a][b];[a]palettegen[p];[b][p]paletteuse' " + Quoted(gif);
    TResult& result = Results()[Key(input, way)];
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the conversion failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        result.Seconds.push_back(seconds);
    }
    std::error_code error;
    result.Bytes = fs::file_size(gif, error);
    result.Psnr = VideoPsnr(ScratchFolder("video").string() + "/" + input.Name + ".rgb", input.Width, input.Height,
                            input.Rate, gif.string());
}

const bool kRegistered = [] {
    for (const TInput& input : kInputs)
        for (int way = 0; way < kWayCount; ++way)
            benchmark::RegisterBenchmark(("VideoImport/" + Key(input, TWay(way))).c_str(),
                                         [&input, way](benchmark::State& state) { Convert(state, input, TWay(way)); })
                ->Iterations(3)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

void PrintVideoSummary()
{
    if (Results().empty())
        return;
    std::printf("\nVideo to GIF, end to end: frameloom-cli import-video IN OUT.gif against\n"
                "ffmpeg -i IN -filter_complex '[0:v]split[a][b];[a]palettegen[p];[b][p]paletteuse' OUT.gif;\n"
                "ms = median wall time, x = ffmpeg's time / ours; dB = PSNR of the GIF's screens against the "
                "video's pictures\n\n");
    std::printf("%-28s | %9s %9s %6s | %10s %10s | %6s %6s\n", "video", "ours ms", "ffmpeg ms", "x", "ours bytes",
                "ffmpeg", "dB", "ffm dB");
    std::vector<std::string> missed;
    for (const TInput& input : kInputs) {
        const TResult& ours = Results()[Key(input, kOurs)];
        const TResult& theirs = Results()[Key(input, kFFmpeg)];
        if (ours.Seconds.empty() || theirs.Seconds.empty())
            continue;
        const double oursMs = 1000 * Median(ours.Seconds), theirsMs = 1000 * Median(theirs.Seconds);
        const double speed = theirsMs / oursMs;
        std::printf("%-28s | %9.0f %9.0f %6.2f | %10ju %10ju | %6s %6s\n", input.Name, oursMs, theirsMs, speed,
                    ours.Bytes, theirs.Bytes, Fixed(ours.Psnr, 2).c_str(), Fixed(theirs.Psnr, 2).c_str());
        if (speed < kSpeedTarget || !ours.Psnr || !theirs.Psnr || *ours.Psnr < *theirs.Psnr)
            missed.push_back(input.Name);
    }
    std::printf("target: at least %.1fx ffmpeg's speed at a PSNR at least ffmpeg's: %s\n", kSpeedTarget,
                missed.empty() ? "MET" : ("MISSED on " + std::to_string(missed.size()) + " video(s)").c_str());
}

} // namespace fl::bench
