// SPDX-License-Identifier: GPL-3.0-or-later
// Decode and encode throughput on the shared corpus, ours against giflib in
// the same run, followed by a summary of the ratios against the targets; the
// summary also sets our loading and playing of each animation against
// giflib's decoding alone. This file also holds the program's main.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AviBench.h"
#include "VideoBench.h"
#include "BenchSupport.h"
#include "CompositeBench.h"
#include "JpegBench.h"
#include "OptimizeBench.h"
#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"
#include "platform/Stream.h"

namespace fl::bench {

namespace {

// Targets of the summary.
constexpr double kDecodeGoal = 2.0;
constexpr double kDecodeFloor = 1.5;
constexpr double kEncodeGoal = 1.5;
constexpr double kSizeTolerance = 1.005;
// Loading and playing every frame once, against giflib's decoding alone, for
// the files named here (in any corpus folder).
constexpr double kCompositeGoal = 1.5;
const char* const kCompositeTargetFiles[] = {"mandelbrot.gif", "testsrc2.gif"};

// Everything the four benchmarks of one file need, prepared once outside the
// timed loops. Only the file being measured is kept in memory.
struct TCorpusCase {
    std::string Path;
    std::vector<uint8_t> Bytes;
    TGifFile Gif;
    std::unique_ptr<TGIFImage> Document;
    std::string GifError;  // giflib cannot decode the file
    std::string OursError; // we cannot decode it, or decode it differently
    std::string OursSaveError;
    std::string GiflibSaveError;
    uint64_t Pixels = 0;
};

// Decodes, encodes and cross-checks the file once: our decoder must give
// giflib's frames, and both encoders' output must decode (with giflib) to them.
void Prepare(TCorpusCase& c)
{
    try {
        c.Bytes = ReadFileBytes(c.Path);
    } catch (...) {
        c.GifError = c.OursError = Describe(std::current_exception());
        return;
    }
    try {
        c.Gif = GiflibDecode(c.Bytes.data(), c.Bytes.size());
        c.Pixels = FramePixels(*c.Gif);
    } catch (...) {
        c.GifError = Describe(std::current_exception());
    }
    try {
        c.Document = std::make_unique<TGIFImage>();
        TMemoryStream stream(c.Bytes.data(), c.Bytes.size());
        c.Document->LoadFromStream(stream);
        c.Document->Encoding = encodeLZW;
        if (c.Gif)
            c.OursError = CompareFrames(*c.Gif, *c.Document);
        else
            c.Pixels = FramePixels(*c.Document);
    } catch (...) {
        c.OursError = Describe(std::current_exception());
    }
    if (!c.Gif) {
        c.OursSaveError = c.GiflibSaveError = "nothing to encode: " + c.GifError;
        return;
    }
    if (c.OursError.empty()) {
        try {
            TMemoryStream out;
            c.Document->SaveToStream(out);
            TGifFile again = GiflibDecode(out.Bytes().data(), out.Bytes().size());
            if (std::string why = CompareFrames(*c.Gif, *again); !why.empty())
                c.OursSaveError = "output decodes differently: " + why;
        } catch (...) {
            c.OursSaveError = Describe(std::current_exception());
        }
    } else {
        c.OursSaveError = c.OursError;
    }
    try {
        std::vector<uint8_t> out;
        GiflibEncode(*c.Gif, out);
        TGifFile again = GiflibDecode(out.data(), out.size());
        if (std::string why = CompareFrames(*c.Gif, *again); !why.empty())
            c.GiflibSaveError = "output decodes differently: " + why;
    } catch (...) {
        c.GiflibSaveError = Describe(std::current_exception());
    }
}

// Pixels per file, kept for the summary after the file's case is gone.
std::map<std::string, uint64_t>& PixelsByPath()
{
    static std::map<std::string, uint64_t> pixels;
    return pixels;
}

TCorpusCase& CaseFor(const std::string& path)
{
    static std::unique_ptr<TCorpusCase> current;
    if (!current || current->Path != path) {
        current.reset(); // free the previous file before loading the next
        current = std::make_unique<TCorpusCase>();
        current->Path = path;
        Prepare(*current);
        if (current->Pixels > 0)
            PixelsByPath()[path] = current->Pixels;
    }
    return *current;
}

void SetRate(benchmark::State& state, uint64_t pixels)
{
    state.counters["Mpx/s"] =
        benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void DecodeOurs(benchmark::State& state, const std::string& path)
{
    TCorpusCase& c = CaseFor(path);
    if (!c.OursError.empty()) {
        state.SkipWithError(c.OursError.c_str());
        return;
    }
    for (auto _ : state) {
        TGIFImage image;
        TMemoryStream stream(c.Bytes.data(), c.Bytes.size());
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Frames.Count());
    }
    SetRate(state, c.Pixels);
    state.counters["bytes"] = static_cast<double>(c.Bytes.size());
}

void DecodeGiflib(benchmark::State& state, const std::string& path)
{
    TCorpusCase& c = CaseFor(path);
    if (!c.GifError.empty()) {
        state.SkipWithError(c.GifError.c_str());
        return;
    }
    for (auto _ : state) {
        TGifFile gif = GiflibDecode(c.Bytes.data(), c.Bytes.size());
        benchmark::DoNotOptimize(gif->ImageCount);
    }
    SetRate(state, c.Pixels);
    state.counters["bytes"] = static_cast<double>(c.Bytes.size());
}

void EncodeOurs(benchmark::State& state, const std::string& path)
{
    TCorpusCase& c = CaseFor(path);
    if (!c.OursSaveError.empty()) {
        state.SkipWithError(c.OursSaveError.c_str());
        return;
    }
    size_t size = 0;
    for (auto _ : state) {
        TMemoryStream out;
        c.Document->SaveToStream(out);
        size = out.Bytes().size();
        benchmark::DoNotOptimize(size);
    }
    SetRate(state, c.Pixels);
    state.counters["bytes"] = static_cast<double>(size);
}

void EncodeGiflib(benchmark::State& state, const std::string& path)
{
    TCorpusCase& c = CaseFor(path);
    if (!c.GiflibSaveError.empty()) {
        state.SkipWithError(c.GiflibSaveError.c_str());
        return;
    }
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> out;
        GiflibEncode(*c.Gif, out);
        size = out.size();
        benchmark::DoNotOptimize(size);
    }
    SetRate(state, c.Pixels);
    state.counters["bytes"] = static_cast<double>(size);
}

// ---------------------------------------------------------------------------
// Summary

enum TSide { kOurs, kGiflib };
enum TTask { kDecode, kEncode };

std::string BenchName(TTask task, TSide side, const std::string& file)
{
    return std::string(task == kDecode ? "Decode/" : "Encode/") + (side == kOurs ? "ours/" : "giflib/") +
           file;
}

std::string CompositeName(const std::string& file)
{
    return "Composite/ours/" + file;
}

std::string Label(TTask task, TSide side)
{
    return std::string(task == kDecode ? "decode" : "encode") + (side == kOurs ? " ours" : " giflib");
}

std::optional<double> Median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TResult {
    std::vector<double> Rates; // Mpx/s of each repetition
    std::optional<double> MedianRate;
    std::vector<double> Seconds; // CPU seconds per run of each repetition
    double Bytes = 0;
    double Frames = 0;
    std::string Error;

    std::optional<double> Rate() const
    {
        if (MedianRate)
            return MedianRate;
        return Median(Rates);
    }
    std::optional<double> Time() const { return Median(Seconds); }
};

// Forwards the runs to the display reporter and keeps the figures. When the
// repetitions are ours (not asked for), only their median is displayed.
class TCollectingReporter final : public benchmark::BenchmarkReporter {
public:
    TCollectingReporter(benchmark::BenchmarkReporter* display, bool medianOnly)
        : display_(display), medianOnly_(medianOnly)
    {
    }

    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            TResult& result = results_[run.run_name.function_name];
            if (run.error_occurred) {
                result.Error = run.error_message;
            } else if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
                // (the other aggregates, such as the deviation, are no figures of a run)
                if (auto rate = run.counters.find("Mpx/s"); rate != run.counters.end()) {
                    if (run.run_type == Run::RT_Iteration)
                        result.Rates.push_back(rate->second.value);
                    else
                        result.MedianRate = rate->second.value;
                }
                if (auto bytes = run.counters.find("bytes"); bytes != run.counters.end())
                    result.Bytes = bytes->second.value;
                if (auto frames = run.counters.find("frames"); frames != run.counters.end())
                    result.Frames = frames->second.value;
                if (run.run_type == Run::RT_Iteration)
                    result.Seconds.push_back(run.GetAdjustedCPUTime() /
                                             benchmark::GetTimeUnitMultiplier(run.time_unit));
            }
            // (a benchmark that fixes a single repetition has no median)
            if (!medianOnly_ || run.error_occurred || run.aggregate_name == "median" || run.repetitions == 1)
                shown.push_back(run);
        }
        if (!shown.empty())
            display_->ReportRuns(shown);
    }

    void Finalize() override { display_->Finalize(); }

    bool Empty() const { return results_.empty(); }

    const TResult* Find(const std::string& name) const
    {
        auto it = results_.find(name);
        return it == results_.end() ? nullptr : &it->second;
    }

private:
    benchmark::BenchmarkReporter* display_;
    bool medianOnly_;
    std::map<std::string, TResult> results_;
};

std::optional<double> Ratio(std::optional<double> ours, std::optional<double> theirs)
{
    if (!ours || !theirs || *theirs <= 0)
        return std::nullopt;
    return *ours / *theirs;
}

std::optional<double> RateOf(const TCollectingReporter& results, TTask task, TSide side,
                             const std::string& file)
{
    const TResult* result = results.Find(BenchName(task, side, file));
    return result && result->Error.empty() ? result->Rate() : std::nullopt;
}

std::optional<double> BytesOf(const TCollectingReporter& results, TSide side, const std::string& file)
{
    const TResult* result = results.Find(BenchName(kEncode, side, file));
    if (!result || !result->Error.empty() || result->Bytes <= 0)
        return std::nullopt;
    return result->Bytes;
}

// Pixel-weighted totals: the time of one run follows from its rate and its
// pixel count.
struct TTotals {
    double Pixels[2][2] = {};
    double Seconds[2][2] = {};
    double Bytes[2] = {};
};

void PrintSummary(const TCollectingReporter& results, const std::vector<TCorpusFile>& files)
{
    std::printf("\nSummary: Mpx/s are medians; x = ours / giflib\n");
    std::printf(
        "targets: decode >= %.1fx (never below %.1fx), encode >= %.1fx, LZW size <= giflib + %.1f%%\n",
        kDecodeGoal, kDecodeFloor, kEncodeGoal, (kSizeTolerance - 1) * 100);
    std::printf("missed: decode = below the decode goal, DECODE = below the floor, encode, size, failed = a "
                "benchmark could not run\n\n");
    std::printf("%-44s %8s | %9s %9s %6s | %9s %9s %6s | %10s %10s %7s | %s\n", "file", "Mpx", "dec ours",
                "dec gif", "x", "enc ours", "enc gif", "x", "size ours", "size gif", "x", "missed");
    std::vector<std::string> misses;
    TTotals totals;
    for (const TCorpusFile& file : files) {
        std::optional<double> rate[2][2];
        bool any = false;
        for (TTask task : {kDecode, kEncode})
            for (TSide side : {kOurs, kGiflib}) {
                rate[task][side] = RateOf(results, task, side, file.Name);
                any = any || results.Find(BenchName(task, side, file.Name));
            }
        if (!any)
            continue; // filtered out
        const auto found = PixelsByPath().find(file.Path);
        const double mpx = found == PixelsByPath().end() ? 0 : static_cast<double>(found->second) / 1e6;
        const std::optional<double> bytes[2] = {BytesOf(results, kOurs, file.Name),
                                                BytesOf(results, kGiflib, file.Name)};
        const auto decode = Ratio(rate[kDecode][kOurs], rate[kDecode][kGiflib]);
        const auto encode = Ratio(rate[kEncode][kOurs], rate[kEncode][kGiflib]);
        const auto size = Ratio(bytes[kOurs], bytes[kGiflib]);

        std::string missed, tags;
        auto miss = [&](const std::string& what, const char* tag) {
            if (!missed.empty())
                missed.append(", ");
            missed.append(what);
            if (tags.find(tag) != std::string::npos)
                return;
            if (!tags.empty())
                tags.append(" ");
            tags.append(tag);
        };
        if (decode && *decode < kDecodeFloor)
            miss("decode " + Fixed(decode, 2) + "x < " + Fixed(kDecodeFloor, 1) + "x (floor)", "DECODE");
        else if (decode && *decode < kDecodeGoal)
            miss("decode " + Fixed(decode, 2) + "x < " + Fixed(kDecodeGoal, 1) + "x", "decode");
        if (encode && *encode < kEncodeGoal)
            miss("encode " + Fixed(encode, 2) + "x < " + Fixed(kEncodeGoal, 1) + "x", "encode");
        if (size && *size > kSizeTolerance)
            miss("size " + Fixed((*size - 1) * 100, 2) + "% over giflib", "size");
        for (TTask task : {kDecode, kEncode})
            for (TSide side : {kOurs, kGiflib})
                if (const TResult* r = results.Find(BenchName(task, side, file.Name)); r && !r->Error.empty())
                    miss(Label(task, side) + " failed: " + r->Error, "failed");
        if (!missed.empty())
            misses.push_back(file.Name + ": " + missed);

        std::printf("%-44s %8.2f | %9s %9s %6s | %9s %9s %6s | %10s %10s %7s | %s\n", file.Name.c_str(), mpx,
                    Fixed(rate[kDecode][kOurs], 1).c_str(), Fixed(rate[kDecode][kGiflib], 1).c_str(),
                    Fixed(decode, 2).c_str(), Fixed(rate[kEncode][kOurs], 1).c_str(),
                    Fixed(rate[kEncode][kGiflib], 1).c_str(), Fixed(encode, 2).c_str(),
                    Fixed(bytes[kOurs], 0).c_str(), Fixed(bytes[kGiflib], 0).c_str(), Fixed(size, 4).c_str(),
                    tags.empty() ? "-" : tags.c_str());

        // Totals over the files where both sides of a comparison ran.
        for (TTask task : {kDecode, kEncode})
            if (rate[task][kOurs] && rate[task][kGiflib] && mpx > 0)
                for (TSide side : {kOurs, kGiflib}) {
                    totals.Pixels[task][side] += mpx;
                    totals.Seconds[task][side] += mpx / *rate[task][side];
                }
        if (bytes[kOurs] && bytes[kGiflib])
            for (TSide side : {kOurs, kGiflib})
                totals.Bytes[side] += *bytes[side];
    }
    auto total = [&](TTask task, TSide side) -> std::optional<double> {
        if (totals.Seconds[task][side] <= 0)
            return std::nullopt;
        return totals.Pixels[task][side] / totals.Seconds[task][side];
    };
    std::optional<double> totalBytes[2];
    for (TSide side : {kOurs, kGiflib})
        if (totals.Bytes[side] > 0)
            totalBytes[side] = totals.Bytes[side];
    std::printf("%-44s %8s | %9s %9s %6s | %9s %9s %6s | %10s %10s %7s |\n", "all files (pixel-weighted)", "",
                Fixed(total(kDecode, kOurs), 1).c_str(), Fixed(total(kDecode, kGiflib), 1).c_str(),
                Fixed(Ratio(total(kDecode, kOurs), total(kDecode, kGiflib)), 2).c_str(),
                Fixed(total(kEncode, kOurs), 1).c_str(), Fixed(total(kEncode, kGiflib), 1).c_str(),
                Fixed(Ratio(total(kEncode, kOurs), total(kEncode, kGiflib)), 2).c_str(),
                Fixed(totalBytes[kOurs], 0).c_str(), Fixed(totalBytes[kGiflib], 0).c_str(),
                Fixed(Ratio(totalBytes[kOurs], totalBytes[kGiflib]), 4).c_str());

    if (misses.empty()) {
        std::printf("\nAll targets met.\n");
    } else {
        std::printf("\nMissed targets (%zu files):\n", misses.size());
        for (const std::string& line : misses)
            std::printf("  %s\n", line.c_str());
    }
}

std::optional<double> TimeOf(const TCollectingReporter& results, const std::string& name)
{
    const TResult* result = results.Find(name);
    return result && result->Error.empty() ? result->Time() : std::nullopt;
}

// Three decimals below a millisecond, where the small files lie.
std::string Milliseconds(std::optional<double> seconds)
{
    if (!seconds)
        return "-";
    const double ms = *seconds * 1e3;
    return Fixed(ms, ms < 1 ? 3 : 2);
}

bool IsCompositeTarget(const std::string& file)
{
    const std::string base = file.substr(file.rfind('/') + 1);
    return std::find(std::begin(kCompositeTargetFiles), std::end(kCompositeTargetFiles), base) !=
           std::end(kCompositeTargetFiles);
}

// Times rather than rates: the two sides do different work (giflib only
// decodes), so only the time to reach the same point compares.
void PrintCompositeSummary(const TCollectingReporter& results, const std::vector<TCorpusFile>& files)
{
    struct TLine {
        std::string File;
        std::optional<double> Giflib, Decode, Composite, Ratio, Rate;
        double Frames = 0;
        std::string Error;
    };
    std::vector<TLine> lines;
    for (const TCorpusFile& file : files) {
        const TResult* composite = results.Find(CompositeName(file.Name));
        if (!composite)
            continue; // filtered out, or a still image
        TLine line;
        line.File = file.Name;
        line.Giflib = TimeOf(results, BenchName(kDecode, kGiflib, file.Name));
        line.Decode = TimeOf(results, BenchName(kDecode, kOurs, file.Name));
        line.Composite = TimeOf(results, CompositeName(file.Name));
        line.Ratio = Ratio(line.Composite, line.Giflib);
        line.Rate = composite->Error.empty() ? composite->Rate() : std::nullopt;
        line.Frames = composite->Frames;
        line.Error = composite->Error;
        lines.push_back(line);
    }
    if (lines.empty())
        return;

    std::printf("\nCompositing: load and play every frame once onto a 32-bit canvas of the logical screen\n");
    std::printf("ms = CPU time per run (median); x = ours decode+composite / giflib decode only; Mpx/s = screen "
                "pixels x frames drawn per second\n\n");
    std::printf("%-44s %6s | %11s %11s %14s %6s | %9s\n", "file", "frames", "dec gif ms", "dec ours ms",
                "dec+comp ms", "x", "Mpx/s");
    for (const TLine& line : lines) {
        std::printf("%-44s %6s | %11s %11s %14s %6s | %9s%s%s\n", line.File.c_str(),
                    line.Frames > 0 ? Fixed(line.Frames, 0).c_str() : "-", Milliseconds(line.Giflib).c_str(),
                    Milliseconds(line.Decode).c_str(), Milliseconds(line.Composite).c_str(),
                    Fixed(line.Ratio, 2).c_str(), Fixed(line.Rate, 1).c_str(), line.Error.empty() ? "" : "  failed: ",
                    line.Error.c_str());
    }

    std::string figures;
    bool missed = false;
    int measured = 0;
    for (const TLine& line : lines) {
        if (!IsCompositeTarget(line.File))
            continue;
        if (!figures.empty())
            figures.append("; ");
        figures.append(line.File + " ");
        if (!line.Ratio) {
            figures.append("not measured");
            continue;
        }
        ++measured;
        missed = missed || *line.Ratio > kCompositeGoal;
        figures.append(Fixed(line.Ratio, 2) + "x (" + Milliseconds(line.Composite) + " ms against " +
                       Milliseconds(line.Giflib) + " ms)");
    }
    const std::string verdict = missed ? "MISSED" : measured > 0 ? "MET" : "NOT MEASURED";
    std::printf("\ntarget: decode+composite of");
    for (const char* name : kCompositeTargetFiles)
        std::printf(" %s", name);
    std::printf(" <= %.1fx giflib decode only: %s%s%s\n", kCompositeGoal, verdict.c_str(),
                figures.empty() ? "" : ": ", figures.c_str());
}

bool HasFlag(int argc, char** argv, const char* flag)
{
    const size_t length = std::strlen(flag);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], flag, length) == 0 && (argv[i][length] == '=' || argv[i][length] == '\0'))
            return true;
    return false;
}

} // namespace

} // namespace fl::bench

// Runs every registered benchmark (also those of the other files in bench/),
// then prints the corpus summary. Unless given on the command line, each
// benchmark runs 3 repetitions of at least 0.2 s, so the whole program takes
// a few minutes at most.
int main(int argc, char** argv)
{
    using namespace fl::bench;

    std::vector<std::string> defaults;
    const bool ownRepetitions = !HasFlag(argc, argv, "--benchmark_repetitions");
    if (!HasFlag(argc, argv, "--benchmark_min_time"))
        defaults.push_back("--benchmark_min_time=0.2");
    if (ownRepetitions)
        defaults.push_back("--benchmark_repetitions=3");
    std::vector<char*> args(argv, argv + argc);
    for (std::string& flag : defaults)
        args.insert(args.begin() + 1, flag.data());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);

    const std::vector<TCorpusFile> files = CorpusFiles();
    if (files.empty())
        std::fprintf(stderr, "fl_bench: no GIF files in %s\n", CorpusDir().c_str());
    for (const TCorpusFile& file : files) {
        const std::string path = file.Path;
        benchmark::RegisterBenchmark(BenchName(kDecode, kOurs, file.Name).c_str(),
                                     [path](benchmark::State& state) { DecodeOurs(state, path); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(BenchName(kDecode, kGiflib, file.Name).c_str(),
                                     [path](benchmark::State& state) { DecodeGiflib(state, path); })
            ->Unit(benchmark::kMicrosecond);
        // Right after giflib's decoding of the same file, so that the pair
        // meets the same machine load.
        if (file.Name.rfind("animated/", 0) == 0)
            benchmark::RegisterBenchmark(CompositeName(file.Name).c_str(), [path](benchmark::State& state) {
                const TCorpusCase& c = CaseFor(path);
                CompositeOurs(state, path, c.Bytes, c.OursError);
            })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(BenchName(kEncode, kOurs, file.Name).c_str(),
                                     [path](benchmark::State& state) { EncodeOurs(state, path); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(BenchName(kEncode, kGiflib, file.Name).c_str(),
                                     [path](benchmark::State& state) { EncodeGiflib(state, path); })
            ->Unit(benchmark::kMicrosecond);
    }

    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    std::unique_ptr<benchmark::BenchmarkReporter> display(benchmark::CreateDefaultDisplayReporter());
    TCollectingReporter reporter(display.get(), ownRepetitions);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    if (!reporter.Empty()) { // nothing ran, e.g. --benchmark_list_tests
        PrintSummary(reporter, files);
        PrintCompositeSummary(reporter, files);
        PrintOptimizeSummary();
        PrintAviSummary();
        PrintVideoSummary();
        PrintJpegSummary();
    }
    benchmark::Shutdown();
    return 0;
}
