// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG export of still/harvesters.gif (frame 0 as rendered, the picture the
// export writes) three ways, on the same pixels and settings:
//   ours       WriteJpeg into memory, in this process: the encoder alone;
//   ours-cli   `frameloom-cli export-frames --format jpg` as a process:
//              start-up, GIF decoding, rendering, encoding, file writing;
//   cjpeg      libjpeg-turbo's cjpeg as a process on the same pixels written
//              beforehand (untimed) as a PPM: start-up, reading, encoding,
//              file writing.
// The process figures are what a user waits for; ours against cjpeg also
// shows what the process start and file handling cost.
#include "JpegBench.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "gif/GIFImage.h"
#include "io/FrameExport.h"
#include "io/JpegWriter.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

extern char** environ;

namespace fs = std::filesystem;

namespace fl::bench {

namespace {

constexpr const char* kPicture = "still/harvesters.gif";
// Track-bar positions measured, with their qualities; the last is progressive.
struct TSetting {
    const char* Name;
    int Position;
    bool Progressive;
};
constexpr TSetting kSettings[] = {{"q50", 2, false}, {"q100", 0, false}, {"q75-progressive", 1, true}};
enum TSide { kOurs, kOursCli, kCjpeg, kSideCount };
const char* const kSideNames[kSideCount] = {"ours", "ours-cli", "cjpeg"};
// Process runs per figure; the median is reported.
constexpr int kProcessRuns = 7;
constexpr double kTimeoutSeconds = 60;

struct TResult {
    std::optional<double> Seconds; // per image
    std::optional<double> Bytes;
    std::string Error;
};

std::map<std::pair<int, int>, TResult>& Results() // (side, setting)
{
    static std::map<std::pair<int, int>, TResult> results;
    return results;
}

// The picture's frame 0 as 24-bit rows and the same pixels as a PPM file,
// made once; Error says why there are none.
struct TPictureInput {
    std::string GifPath;
    TBitmap Pixels;
    fs::path Ppm;
    std::string Error;
};

const TPictureInput& Input()
{
    static const TPictureInput input = [] {
        TPictureInput made;
        made.GifPath = (fs::path(CorpusDir()) / kPicture).string();
        try {
            TGIFImage image;
            image.LoadFromFile(made.GifPath);
            TBitmap* frame = image.Frames.Count() ? image.Frames[0]->RenderBitmap() : nullptr;
            if (!frame)
                throw std::runtime_error("no frame to render");
            made.Pixels = *frame;
            made.Pixels.SetPixelFormat(TPixelFormat::pf24bit);
            made.Ppm = ScratchFolder("jpeg") / "harvesters.ppm";
            std::ofstream ppm(made.Ppm, std::ios::binary);
            ppm << "P6\n" << made.Pixels.Width() << ' ' << made.Pixels.Height() << "\n255\n";
            std::vector<char> rgb(size_t(made.Pixels.Width()) * 3);
            for (int y = 0; y < made.Pixels.Height(); ++y) {
                const uint8_t* row = made.Pixels.ScanLine(y);
                for (size_t x = 0; x < size_t(made.Pixels.Width()); ++x) {
                    rgb[3 * x] = char(row[3 * x + 2]);
                    rgb[3 * x + 1] = char(row[3 * x + 1]);
                    rgb[3 * x + 2] = char(row[3 * x]);
                }
                ppm.write(rgb.data(), std::streamsize(rgb.size()));
            }
            if (!ppm)
                throw std::runtime_error("cannot write " + made.Ppm.string());
        } catch (const std::exception& error) {
            made.Error = made.GifPath + ": " + error.what();
        }
        return made;
    }();
    return input;
}

// Runs a program with its output thrown away; answers its wall time, or an
// error text.
std::optional<double> RunProcess(const std::vector<std::string>& args, std::string& error)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = "cannot start " + args[0];
        return std::nullopt;
    }
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (done == pid) {
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                error = args[0] + " failed";
                return std::nullopt;
            }
            return seconds;
        }
        if (done < 0 || seconds > kTimeoutSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            error = args[0] + " did not finish";
            return std::nullopt;
        }
        // Short sleeps: the runs take tens of milliseconds.
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void EncodeOursJpeg(benchmark::State& state, int setting)
{
    TResult& result = Results()[{kOurs, setting}];
    result = {};
    const TPictureInput& input = Input();
    if (!input.Error.empty()) {
        result.Error = input.Error;
        state.SkipWithError(result.Error.c_str());
        return;
    }
    TJpegOptions options;
    options.Quality = JpegQualityForPosition(kSettings[setting].Position);
    options.Progressive = kSettings[setting].Progressive;
    size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        TMemoryStream stream;
        WriteJpeg(input.Pixels, options, stream);
        bytes = stream.Bytes().size();
        benchmark::DoNotOptimize(stream.Bytes().data());
    }
    // The summary's figure: wall time per image of the last batch, as the
    // processes are timed.
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (state.iterations() > 0)
        result.Seconds = elapsed / double(state.iterations());
    result.Bytes = double(bytes);
    state.counters["bytes"] = double(bytes);
    state.counters["Mpx/s"] = benchmark::Counter(double(input.Pixels.Width()) * input.Pixels.Height() / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void EncodeProcess(benchmark::State& state, TSide side, int setting)
{
    TResult& result = Results()[{side, setting}];
    result = {};
    const TPictureInput& input = Input();
    std::string program = side == kCjpeg ? FindInPath("cjpeg") : FL_CLI_PATH;
    if (!input.Error.empty())
        result.Error = input.Error;
    else if (program.empty() || !fs::exists(program))
        result.Error = side == kCjpeg ? "cjpeg not found in PATH" : program + " is not built";
    if (!result.Error.empty()) {
        state.SkipWithError(result.Error.c_str());
        return;
    }
    const TSetting& s = kSettings[setting];
    const int quality = JpegQualityForPosition(s.Position);
    std::vector<std::string> command;
    fs::path out;
    if (side == kCjpeg) {
        out = ScratchFolder("jpeg") / "cjpeg.jpg";
        command = {program, "-quality", std::to_string(quality), "-dct", "int"};
        if (s.Progressive)
            command.push_back("-progressive");
        command.insert(command.end(), {"-outfile", out.string(), input.Ppm.string()});
    } else {
        out = ScratchFolder("jpeg") / "oursFL10.jpg";
        command = {program,     "export-frames",           "--format", "jpg", "--frames", "0",
                   "--quality", std::to_string(s.Position)};
        if (s.Progressive)
            command.push_back("--progressive");
        command.insert(command.end(), {input.GifPath, (ScratchFolder("jpeg") / "ours.jpg").string()});
    }
    for (auto _ : state) {
        std::vector<double> times;
        for (int run = 0; run < kProcessRuns && result.Error.empty(); ++run) {
            std::error_code ignored;
            fs::remove(out, ignored);
            if (const auto seconds = RunProcess(command, result.Error))
                times.push_back(*seconds);
        }
        std::error_code error;
        const auto size = fs::file_size(out, error);
        if (result.Error.empty() && (error || size == 0))
            result.Error = "no output written";
        if (!result.Error.empty()) {
            state.SkipWithError(result.Error.c_str());
            break;
        }
        result.Seconds = Median(times);
        result.Bytes = double(size);
        state.SetIterationTime(*result.Seconds);
    }
    if (result.Error.empty())
        state.counters["bytes"] = result.Bytes.value_or(0);
}

const bool kRegistered = [] {
    for (int setting = 0; setting < int(std::size(kSettings)); ++setting) {
        const std::string suffix = std::string("/") + kPicture + "/" + kSettings[setting].Name;
        benchmark::RegisterBenchmark(("Jpeg/ours" + suffix).c_str(), [setting](benchmark::State& state) {
            EncodeOursJpeg(state, setting);
        })->Unit(benchmark::kMillisecond);
        for (const TSide side : {kOursCli, kCjpeg})
            benchmark::RegisterBenchmark(
                ("Jpeg/" + std::string(kSideNames[side]) + suffix).c_str(),
                [side, setting](benchmark::State& state) { EncodeProcess(state, side, setting); })
                // Repeated inside as processes; one iteration holds their median.
                ->Iterations(1)
                ->Repetitions(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

std::string Text(std::optional<double> value, const char* format)
{
    if (!value)
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

} // namespace

void PrintJpegSummary()
{
    if (Results().empty())
        return;
    std::printf(
        "\nJPEG export of %s frame 0: ours = WriteJpeg in memory; ours-cli = frameloom-cli "
        "export-frames and cjpeg = libjpeg-turbo's cjpeg on the same pixels as PPM, each as a process "
        "(median of %d runs)\n",
        kPicture, kProcessRuns);
    std::printf("%-16s | %9s %9s %9s | %9s %9s | %8s %8s %8s\n", "setting", "ours ms", "cli ms", "cjpeg ms",
                "ours/cj", "cli/cj", "ours B", "cli B", "cjpeg B");
    for (int setting = 0; setting < int(std::size(kSettings)); ++setting) {
        auto find = [&](TSide side) -> const TResult* {
            const auto found = Results().find({side, setting});
            return found == Results().end() ? nullptr : &found->second;
        };
        const TResult *ours = find(kOurs), *cli = find(kOursCli), *cjpeg = find(kCjpeg);
        if (!ours && !cli && !cjpeg)
            continue;
        auto seconds = [](const TResult* r) { return r ? r->Seconds : std::nullopt; };
        auto bytes = [](const TResult* r) { return r ? r->Bytes : std::nullopt; };
        auto ms = [](std::optional<double> s) { return s ? std::optional<double>(*s * 1e3) : std::nullopt; };
        std::printf("%-16s | %9s %9s %9s | %9s %9s | %8s %8s %8s\n", kSettings[setting].Name,
                    Text(ms(seconds(ours)), "%.2f").c_str(), Text(ms(seconds(cli)), "%.2f").c_str(),
                    Text(ms(seconds(cjpeg)), "%.2f").c_str(),
                    Text(Ratio(seconds(ours), seconds(cjpeg)), "%.2fx").c_str(),
                    Text(Ratio(seconds(cli), seconds(cjpeg)), "%.2fx").c_str(),
                    Text(bytes(ours), "%.0f").c_str(), Text(bytes(cli), "%.0f").c_str(),
                    Text(bytes(cjpeg), "%.0f").c_str());
        for (const TResult* r : {ours, cli, cjpeg})
            if (r && !r->Error.empty())
                std::printf("  failed: %s\n", r->Error.c_str());
    }
}

} // namespace fl::bench
