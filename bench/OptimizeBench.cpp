// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file optimization against the peers users would otherwise run:
// `frameloom-cli optimize --all`, `gifsicle -O3` and ImageMagick's
// `convert -layers optimize`, and the lossy modes of ours and gifsicle at
// 80, each started as a process on the same file in the same run. Wall time
// covers start-up, reading and writing, as a user waits for it; the output
// size is the file each tool wrote; a lossy file's quality is the PSNR of
// its screens against the original's.
#include "OptimizeBench.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "CompositePsnr.h"

extern char** environ;

namespace fs = std::filesystem;

namespace fl::bench {

namespace {

// Targets of the summary, against gifsicle -O3: lossless sizes on every
// file and in total, lossy sizes at a PSNR at most kPsnrSlack below
// gifsicle's, and times.
constexpr double kSizeGoal = 1.0;
constexpr double kTotalSizeGoal = 0.97;
constexpr double kPsnrSlack = 0.3;
constexpr double kTimeGoal = 1.5;
constexpr double kLossyTimeGoal = 1.0;
constexpr const char* kLossy = "80";

// Runs per figure; the median is reported. A run longer than kLongRun is
// not repeated: its time is steady enough, and a slow peer would otherwise
// hold the whole program for minutes.
constexpr int kRuns = 3;
constexpr double kLongRunSeconds = 5;
// A run is stopped after this long ($FL_BENCH_PEER_TIMEOUT seconds overrides).
constexpr double kDefaultTimeoutSeconds = 60;

enum TTool { kOurs, kGifsicle, kMagick, kOursLossy, kGifsicleLossy, kToolCount };
const char* const kToolNames[kToolCount] = {"ours", "gifsicle", "magick", "ours-lossy", "gifsicle-lossy"};

struct TProgram {
    std::string Path;    // empty when not found
    std::string Version; // first line of its version output
    std::string Missing; // why it is not measured
};

struct TMeasurement {
    std::optional<double> Seconds;    // median wall time
    std::optional<double> CpuSeconds; // median processor time (user and system) of the process
    std::optional<double> Bytes;      // output size
    std::optional<double> Psnr;       // lossy outputs: dB against the input's screens
    int Runs = 0;
    std::string Error;
};

using TKey = std::pair<int, std::string>; // tool, corpus name
std::map<TKey, TMeasurement>& Measurements()
{
    static std::map<TKey, TMeasurement> measurements;
    return measurements;
}

double TimeoutSeconds()
{
    if (const char* value = std::getenv("FL_BENCH_PEER_TIMEOUT")) {
        const double seconds = std::atof(value);
        if (seconds > 0)
            return seconds;
    }
    return kDefaultTimeoutSeconds;
}

struct TRunResult {
    double Seconds = 0;
    double CpuSeconds = 0;
    std::string Error; // empty on success
};

std::string Tail(const fs::path& log, size_t limit = 300)
{
    std::ifstream in(log, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.size() > limit)
        text = "..." + text.substr(text.size() - limit);
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// Waits for the child, at most `timeout` seconds from `start`. A pidfd wakes
// the wait the moment the child ends, so short runs are timed exactly; where
// there is none, the child is polled.
bool WaitForChild(pid_t pid, int& status, rusage& usage, std::chrono::steady_clock::time_point start,
                  double timeout)
{
    using namespace std::chrono;
    const auto deadline = start + duration_cast<steady_clock::duration>(duration<double>(timeout));
    const int pidfd = int(syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid || (done < 0 && errno != EINTR)) {
            if (pidfd >= 0)
                close(pidfd);
            return done == pid;
        }
        const auto now = steady_clock::now();
        if (now >= deadline)
            break;
        if (pidfd >= 0) {
            pollfd event{pidfd, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(deadline - now).count();
            poll(&event, 1, int(std::clamp<int64_t>(left, 1, 1000)));
        } else {
            std::this_thread::sleep_for(microseconds(100));
        }
    }
    if (pidfd >= 0)
        close(pidfd);
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, &usage);
    return false;
}

// Runs the program with its output and error text going to `log`.
TRunResult RunProcess(const std::vector<std::string>& args, const fs::path& log, double timeout)
{
    TRunResult result;
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.Error =
            "cannot start " + args[0] + ": " + std::error_code(spawned, std::generic_category()).message();
        return result;
    }
    int status = 0;
    rusage usage{};
    const bool ended = WaitForChild(pid, status, usage, start, timeout);
    result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    result.CpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (!ended) {
        char text[64];
        std::snprintf(text, sizeof text, "stopped after %.0f s", timeout);
        result.Error = text;
    } else if (WIFSIGNALED(status)) {
        result.Error = "killed by signal " + std::to_string(WTERMSIG(status)) + ": " + Tail(log);
    } else if (WEXITSTATUS(status) != 0) {
        result.Error = "exit code " + std::to_string(WEXITSTATUS(status)) + ": " + Tail(log);
    }
    return result;
}

// The program of each tool, looked up once. ImageMagick is recognised by
// its version text, since other packages install a `convert` too.
const TProgram& Program(TTool tool)
{
    static const std::vector<TProgram> programs = [] {
        std::vector<TProgram> found(kToolCount);
        auto identify = [](TProgram& program, const std::string& path, const char* versionFlag,
                           const char* mustContain, const std::string& missing) {
            if (path.empty()) {
                program.Missing = missing;
                return;
            }
            const fs::path log = ScratchFolder("optimize") / "version.txt";
            const TRunResult run = RunProcess({path, versionFlag}, log, 10);
            std::ifstream in(log);
            std::getline(in, program.Version);
            if (!run.Error.empty() || program.Version.find(mustContain) == std::string::npos) {
                program.Missing = path + " is not " + mustContain + " (" +
                                  (run.Error.empty() ? program.Version : run.Error) + ")";
                return;
            }
            program.Path = path;
        };
        found[kOurs].Path = FL_CLI_PATH;
        found[kOurs].Version = "frameloom-cli (this build)";
        if (!fs::exists(found[kOurs].Path)) {
            found[kOurs].Path.clear();
            found[kOurs].Missing = std::string(FL_CLI_PATH) + " is not built";
        }
        identify(found[kGifsicle], FindInPath("gifsicle"), "--version", "Gifsicle",
                 "gifsicle not found in PATH");
        identify(found[kMagick], FindInPath("convert"), "-version", "ImageMagick",
                 "ImageMagick's convert not found in PATH");
        found[kOursLossy] = found[kOurs];
        found[kGifsicleLossy] = found[kGifsicle];
        return found;
    }();
    return programs[tool];
}

std::vector<std::string> CommandLine(TTool tool, const std::string& in, const std::string& out)
{
    const std::string& program = Program(tool).Path;
    switch (tool) {
    case kOurs:
        return {program, "optimize", "--all", in, out};
    case kGifsicle:
        return {program, "-O3", in, "-o", out};
    case kOursLossy:
        return {program, "optimize", "--all", "--lossy", kLossy, in, out};
    case kGifsicleLossy:
        return {program, "-O3", std::string("--lossy=") + kLossy, in, "-o", out};
    default:
        return {program, in, "-layers", "optimize", out};
    }
}

// The two animations made for the benchmark with FFmpeg: a 60-frame pan
// over a photograph and a flat-color screencast (a window, a growing
// progress bar and a moving pointer).
const std::vector<TCorpusFile>& GeneratedFiles()
{
    static const std::vector<TCorpusFile> files = {
        {"generated/photo-pan.gif", (ScratchFolder("optimize") / "photo-pan.gif").string()},
        {"generated/screencast.gif", (ScratchFolder("optimize") / "screencast.gif").string()}};
    return files;
}

// Makes a generated file the first time it is needed; the error, if any.
std::string EnsureGenerated(const TCorpusFile& file)
{
    if (file.Name.rfind("generated/", 0) != 0 || fs::exists(file.Path))
        return {};
    const std::string ffmpeg = FindInPath("ffmpeg");
    if (ffmpeg.empty())
        return "ffmpeg not found in PATH";
    std::vector<std::string> command;
    if (file.Name == GeneratedFiles()[0].Name) {
        const std::string photo = (fs::path(CorpusDir()) / "still" / "harvesters.bmp").string();
        // The input ends after 4 s, so that the palette is made.
        command = {ffmpeg, "-y", "-loop", "1", "-t", "4", "-r", "15", "-i", photo, "-vf",
                   "crop=480:360:x='n*10':y=200,split[a][b];[a]palettegen[p];[b][p]paletteuse",
                   "-frames:v", "60", file.Path};
    } else {
        command = {ffmpeg, "-y", "-f", "lavfi", "-i", "color=c=0xf0f0f0:s=640x400:r=15:d=4", "-vf",
                   "drawbox=x=60:y=50:w=400:h=260:color=0x2a5caa:t=fill,"
                   "drawbox=x=70:y=80:w=380:h=220:color=white:t=fill,"
                   "drawbox=x=90:y=250:w='min(340,t*90)':h=20:color=0x30a050:t=fill,"
                   "drawbox=x='100+t*105':y='120+t*30':w=12:h=18:color=black:t=fill,"
                   "split[a][b];[a]palettegen[p];[b][p]paletteuse",
                   "-frames:v", "60", file.Path};
    }
    const TRunResult run = RunProcess(command, file.Path + ".log", 120);
    return run.Error.empty() && fs::exists(file.Path) ? std::string() : "ffmpeg failed: " + run.Error;
}

void Optimize(benchmark::State& state, TTool tool, const TCorpusFile& file)
{
    TMeasurement& measurement = Measurements()[{tool, file.Name}];
    measurement = {};
    const TProgram& program = Program(tool);
    if (program.Path.empty()) {
        measurement.Error = program.Missing;
        state.SkipWithError(measurement.Error.c_str());
        return;
    }
    if (std::string error = EnsureGenerated(file); !error.empty()) {
        measurement.Error = error;
        state.SkipWithError(measurement.Error.c_str());
        return;
    }
    const std::string base = fs::path(file.Name).parent_path().filename().string() + "-" +
                             fs::path(file.Name).filename().string();
    const fs::path out = ScratchFolder("optimize") / (std::string(kToolNames[tool]) + "-" + base);
    const fs::path log = ScratchFolder("optimize") / (std::string(kToolNames[tool]) + "-" + base + ".log");
    const std::vector<std::string> command = CommandLine(tool, file.Path, out.string());
    const double timeout = TimeoutSeconds();

    for (auto _ : state) {
        std::vector<double> times, cpuTimes;
        for (int run = 0; run < kRuns; ++run) {
            std::error_code ignored;
            fs::remove(out, ignored);
            const TRunResult result = RunProcess(command, log, timeout);
            if (!result.Error.empty()) {
                measurement.Error = result.Error;
                break;
            }
            times.push_back(result.Seconds);
            cpuTimes.push_back(result.CpuSeconds);
            if (result.Seconds > kLongRunSeconds)
                break;
        }
        std::error_code error;
        const auto size = fs::file_size(out, error);
        if (measurement.Error.empty() && (error || size == 0))
            measurement.Error = "no output written";
        if (!measurement.Error.empty()) {
            state.SkipWithError(measurement.Error.c_str());
            break;
        }
        measurement.Seconds = Median(times);
        measurement.CpuSeconds = Median(cpuTimes);
        measurement.Bytes = double(size);
        measurement.Runs = int(times.size());
        state.SetIterationTime(*measurement.Seconds);
        if (tool == kOursLossy || tool == kGifsicleLossy)
            measurement.Psnr = CompositePsnr(file.Path, out.string());
    }
    if (measurement.Error.empty()) {
        state.counters["bytes"] = measurement.Bytes.value_or(0);
        state.counters["runs"] = measurement.Runs;
        state.counters["cpu_ms"] = measurement.CpuSeconds.value_or(0) * 1e3;
    }
}

const bool kRegistered = [] {
    std::vector<TCorpusFile> files;
    for (const TCorpusFile& file : CorpusFiles())
        if (file.Name.rfind("animated/", 0) == 0)
            files.push_back(file);
    files.insert(files.end(), GeneratedFiles().begin(), GeneratedFiles().end());
    for (const TCorpusFile& file : files) {
        // ImageMagick takes minutes on the long animations: the unoptimized
        // ones only, as before.
        const bool unoptimized = file.Name.rfind("animated/unoptimized/", 0) == 0;
        for (int tool = 0; tool < kToolCount; ++tool)
            if (tool != kMagick || unoptimized)
                benchmark::RegisterBenchmark(
                    ("Optimize/" + std::string(kToolNames[tool]) + "/" + file.Name).c_str(),
                    [tool, file](benchmark::State& state) { Optimize(state, TTool(tool), file); })
                    // The runs are repeated inside, as processes; one
                    // iteration holds their median.
                    ->Iterations(1)
                    ->Repetitions(1)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

std::string Ms(std::optional<double> seconds)
{
    return seconds ? Fixed(*seconds * 1e3, *seconds < 1 ? 1 : 0) : "-";
}

// The verdict of one target over all files: MET, MISSED, or NOT MEASURED
// when no file has both figures, followed by the figures of the files that
// miss it or were not measured (the table above has the others).
struct TVerdict {
    int Missed = 0;
    int Measured = 0;
    std::string Figures;

    void Add(const std::string& file, std::optional<double> ratio, bool missed, const std::string& detail)
    {
        if (ratio && !missed) {
            ++Measured;
            return;
        }
        if (!Figures.empty())
            Figures += "; ";
        Figures += file + " ";
        if (!ratio) {
            Figures += "not measured";
            return;
        }
        ++Measured;
        ++Missed;
        Figures += Fixed(ratio, 3) + "x (" + detail + ")";
    }
    std::string Text() const
    {
        const std::string verdict = Missed > 0      ? "MISSED on " + std::to_string(Missed) + " of " +
                                                     std::to_string(Measured) + " files"
                                    : Measured > 0 ? "MET on " + std::to_string(Measured) + " files"
                                                   : "NOT MEASURED";
        return verdict + (Figures.empty() ? "" : ": " + Figures);
    }
};

} // namespace

void PrintOptimizeSummary()
{
    std::vector<std::string> files;
    for (const auto& [key, measurement] : Measurements())
        if (std::find(files.begin(), files.end(), key.second) == files.end())
            files.push_back(key.second);
    if (files.empty())
        return;
    std::sort(files.begin(), files.end());

    std::printf("\nOptimizing: frameloom-cli optimize --all [--lossy %s], gifsicle -O3 [--lossy=%s], "
                "convert -layers optimize, each as a process\n",
                kLossy, kLossy);
    for (int tool = 0; tool <= kMagick; ++tool) {
        const TProgram& program = Program(TTool(tool));
        std::printf("  %-8s %s\n", kToolNames[tool],
                    program.Path.empty() ? ("not measured: " + program.Missing).c_str()
                                         : (program.Path + " (" + program.Version + ")").c_str());
    }
    std::printf("bytes = output size; ms = wall time, medians of up to %d runs; x = ours / gifsicle; dB = "
                "PSNR of the lossy file's screens against the input's\n\n",
                kRuns);
    std::printf("%-36s %9s | %9s %9s %6s | %9s %9s %6s %6s %6s | %8s %8s %5s | %8s %8s %5s | %9s %8s\n", "file",
                "input", "ours", "gifsicle", "x", "lossy", "gifs los", "x", "dB", "gif dB", "ours ms", "gifs ms",
                "x", "los ms", "gif l ms", "x", "magick", "mag ms");

    TVerdict size, lossy, time, lossyTime, grows;
    double oursTotal = 0, gifsicleTotal = 0;
    std::vector<std::string> failures;
    for (const std::string& file : files) {
        const TMeasurement* m[kToolCount] = {};
        for (int tool = 0; tool < kToolCount; ++tool) {
            const auto found = Measurements().find({tool, file});
            m[tool] = found == Measurements().end() ? nullptr : &found->second;
            if (m[tool] && !m[tool]->Error.empty())
                failures.push_back(file + " " + kToolNames[tool] + ": " + m[tool]->Error);
        }
        auto bytes = [&](int tool) { return m[tool] ? m[tool]->Bytes : std::nullopt; };
        auto seconds = [&](int tool) { return m[tool] ? m[tool]->Seconds : std::nullopt; };
        auto psnr = [&](int tool) { return m[tool] ? m[tool]->Psnr : std::nullopt; };
        std::optional<double> input;
        const TCorpusFile* generated = nullptr;
        for (const TCorpusFile& candidate : GeneratedFiles())
            if (candidate.Name == file)
                generated = &candidate;
        std::error_code error;
        const auto inputSize = fs::file_size(generated ? fs::path(generated->Path) : fs::path(CorpusDir()) / file, error);
        if (!error)
            input = double(inputSize);
        const auto sizeRatio = Ratio(bytes(kOurs), bytes(kGifsicle));
        const auto lossyRatio = Ratio(bytes(kOursLossy), bytes(kGifsicleLossy));
        const auto timeRatio = Ratio(seconds(kOurs), seconds(kGifsicle));
        const auto lossyTimeRatio = Ratio(seconds(kOursLossy), seconds(kGifsicleLossy));
        std::printf("%-36s %9s | %9s %9s %6s | %9s %9s %6s %6s %6s | %8s %8s %5s | %8s %8s %5s | %9s %8s\n",
                    file.c_str(), Fixed(input, 0).c_str(), Fixed(bytes(kOurs), 0).c_str(),
                    Fixed(bytes(kGifsicle), 0).c_str(), Fixed(sizeRatio, 3).c_str(),
                    Fixed(bytes(kOursLossy), 0).c_str(), Fixed(bytes(kGifsicleLossy), 0).c_str(),
                    Fixed(lossyRatio, 3).c_str(), Fixed(psnr(kOursLossy), 2).c_str(),
                    Fixed(psnr(kGifsicleLossy), 2).c_str(), Ms(seconds(kOurs)).c_str(),
                    Ms(seconds(kGifsicle)).c_str(), Fixed(timeRatio, 2).c_str(), Ms(seconds(kOursLossy)).c_str(),
                    Ms(seconds(kGifsicleLossy)).c_str(), Fixed(lossyTimeRatio, 2).c_str(),
                    Fixed(bytes(kMagick), 0).c_str(), Ms(seconds(kMagick)).c_str());
        if (bytes(kOurs) && bytes(kGifsicle)) {
            oursTotal += *bytes(kOurs);
            gifsicleTotal += *bytes(kGifsicle);
        }
        size.Add(file, sizeRatio, sizeRatio && *sizeRatio > kSizeGoal,
                 Fixed(bytes(kOurs), 0) + " against " + Fixed(bytes(kGifsicle), 0) + " bytes");
        const bool lossyMissed = lossyRatio && (*lossyRatio > 1.0 || !psnr(kOursLossy) || !psnr(kGifsicleLossy) ||
                                                *psnr(kOursLossy) < *psnr(kGifsicleLossy) - kPsnrSlack);
        lossy.Add(file, lossyRatio, lossyMissed,
                  Fixed(bytes(kOursLossy), 0) + " bytes at " + Fixed(psnr(kOursLossy), 2) + " dB against " +
                      Fixed(bytes(kGifsicleLossy), 0) + " at " + Fixed(psnr(kGifsicleLossy), 2));
        time.Add(file, timeRatio, timeRatio && *timeRatio > kTimeGoal,
                 Ms(seconds(kOurs)) + " ms against " + Ms(seconds(kGifsicle)) + " ms");
        lossyTime.Add(file, lossyTimeRatio, lossyTimeRatio && *lossyTimeRatio > kLossyTimeGoal,
                      Ms(seconds(kOursLossy)) + " ms against " + Ms(seconds(kGifsicleLossy)) + " ms");
        const auto growth = Ratio(bytes(kOurs), input);
        grows.Add(file, growth, growth && *growth > 1.0, Fixed(bytes(kOurs), 0) + " from " + Fixed(input, 0));
    }
    for (const std::string& failure : failures)
        std::printf("  failed: %s\n", failure.c_str());

    const auto total = gifsicleTotal > 0 ? std::optional<double>(oursTotal / gifsicleTotal) : std::nullopt;
    std::printf("\ntarget: lossless output at most %.2fx gifsicle -O3's size on every file: %s\n", kSizeGoal,
                size.Text().c_str());
    std::printf("target: lossless output at most %.2fx gifsicle -O3's in total: %s (%s x, %s against %s bytes)\n",
                kTotalSizeGoal, !total ? "NOT MEASURED" : *total <= kTotalSizeGoal ? "MET" : "MISSED",
                Fixed(total, 3).c_str(), Fixed(oursTotal, 0).c_str(), Fixed(gifsicleTotal, 0).c_str());
    std::printf("target: no file grows: %s\n", grows.Text().c_str());
    std::printf("target: lossy %s at most gifsicle's size at a PSNR at most %.1f dB below its: %s\n", kLossy,
                kPsnrSlack, lossy.Text().c_str());
    std::printf("target: lossless at most %.1fx gifsicle -O3's time: %s\n", kTimeGoal, time.Text().c_str());
    std::printf("target: lossy at most gifsicle's time: %s\n", lossyTime.Text().c_str());
}

} // namespace fl::bench
