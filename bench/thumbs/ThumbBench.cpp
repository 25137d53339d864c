// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser's scan of a folder, against ImageMagick making the
// same thumbnails, in the same run. Folders of 100 and 1,000 pictures
// (GIF, PNG, JPEG and BMP at 320 x 240 to 1920 x 1080) are generated first.
// Ours runs the browser's scanner in a child process of its own, taking the
// thumbnails as the window does and keeping them; the figures are the time
// to the first screenful, the time to the last thumbnail and the child's
// peak resident size above what it had before. ImageMagick runs `convert
// FILE -thumbnail 75x75 OUT.png` once per picture, two at a time (one per
// core, as ours uses both), and its memory is the largest peak of those
// processes.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ChildMeasurement.h"
#include "editing/ThumbnailFolder.h"
#include "io/ThumbnailScanner.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Cell = 75;
// A browser panel of 1,000 x 360 pixels shows three rows of eight.
constexpr int Screenful = 24;
constexpr int Runs = 3;
constexpr double ScreenfulTarget = 0.5;
constexpr double MemoryTargetMiB = 300;

struct TOurSample {
    double Seconds = 0;
    double FirstScreenful = 0;
    long PeakKiB = 0;
    int Thumbnails = 0;
    bool Ok = false;
};

struct TSize {
    int Width;
    int Height;
};

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// Sixteen distinct pictures (four types at four sizes), copied round-robin
// into the folder up to the count.
bool MakeFolder(const fs::path& folder, int count, const fs::path& sources)
{
    fs::create_directories(folder);
    const char* types[] = {"jpg", "png", "gif", "bmp"};
    const TSize sizes[] = {{320, 240}, {640, 480}, {1280, 720}, {1920, 1080}};
    std::vector<fs::path> made;
    for (const char* type : types)
        for (const TSize& size : sizes) {
            const std::string geometry = std::to_string(size.Width) + "x" + std::to_string(size.Height);
            const fs::path path = sources / (geometry + "." + type);
            if (!fs::exists(path) &&
                !Run("convert -size " + geometry + " plasma:fractal -seed 7 '" + path.string() + "' 2>/dev/null"))
                return false;
            made.push_back(path);
        }
    for (int i = 0; i < count; ++i) {
        const fs::path& source = made[size_t(i) % made.size()];
        char name[32];
        std::snprintf(name, sizeof name, "picture%04d", i);
        fs::copy_file(source, folder / (std::string(name) + source.extension().string()),
                      fs::copy_options::overwrite_existing);
    }
    return true;
}

// The browser's scan: list, start, take every thumbnail as it comes.
bool ScanAsTheBrowser(const fs::path& folder, TOurSample& sample)
{
    const auto start = Clock::now();
    const std::string path = folder.string() + "/";
    std::vector<fl::TThumbnailFile> files = fl::ListThumbnailFiles(path, fl::thumbFilterAll);
    const int count = static_cast<int>(files.size());
    fl::TThumbnailScanner scanner;
    std::vector<fl::TScannedThumbnail> kept;
    scanner.Start(path, std::move(files), Cell);
    while (scanner.Running()) {
        for (fl::TScannedThumbnail& result : scanner.TakeResults()) {
            kept.push_back(std::move(result));
            if (static_cast<int>(kept.size()) == std::min(Screenful, count))
                sample.FirstScreenful = std::chrono::duration<double>(Clock::now() - start).count();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (fl::TScannedThumbnail& result : scanner.TakeResults())
        kept.push_back(std::move(result));
    sample.Thumbnails = static_cast<int>(kept.size());
    return sample.Thumbnails == count;
}

struct TTheirs {
    double Seconds = 0;
    long PeakKiB = 0;
    int Failed = 0;
};

// One convert per picture, two running at a time.
TTheirs ConvertAll(const fs::path& folder, const fs::path& out)
{
    fs::create_directories(out);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    TTheirs result;
    const auto start = Clock::now();
    size_t next = 0;
    int running = 0;
    const auto reap = [&] {
        int status = 0;
        rusage usage{};
        if (wait4(-1, &status, 0, &usage) > 0) {
            --running;
            result.PeakKiB = std::max(result.PeakKiB, usage.ru_maxrss);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                ++result.Failed;
        }
    };
    while (next < files.size() || running > 0) {
        if (next < files.size() && running < 2) {
            const std::string input = files[next].string();
            const std::string output = (out / (files[next].stem().string() + ".png")).string();
            ++next;
            if (fork() == 0) {
                execlp("convert", "convert", input.c_str(), "-thumbnail", "75x75", output.c_str(), nullptr);
                _exit(127);
            }
            ++running;
        } else {
            reap();
        }
    }
    result.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result;
}

double MiB(long kib)
{
    return double(kib) / 1024;
}

} // namespace

int main()
{
    if (!Run("convert -version >/dev/null 2>&1")) {
        std::printf("thumbnails: ImageMagick's convert is missing: not measured\n");
        return 0;
    }
    const fs::path root = fs::temp_directory_path() / ("fl-thumb-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "sources");
    std::printf("Scanning a folder into thumbnails of %d px: ours (the browser's scanner) against\n"
                "ImageMagick (convert -thumbnail, one process per picture, two at a time)\n\n",
                Cell);
    std::printf("%-7s %10s %10s %10s %8s %10s %10s %8s  %s\n", "images", "first ms", "ours ms", "IM ms",
                "ours/IM", "ours MiB", "IM MiB", "made", "targets");
    bool allMet = true;
    for (const int count : {100, 1000}) {
        const fs::path folder = root / ("folder" + std::to_string(count));
        if (!MakeFolder(folder, count, root / "sources")) {
            std::printf("%-7d could not generate the pictures\n", count);
            allMet = false;
            continue;
        }
        const auto ours = fl::bench::MeasureInChildren<TOurSample>(
            Runs, [&](TOurSample& sample) { return ScanAsTheBrowser(folder, sample); },
            [](const TOurSample& sample) { return sample.Ok; });
        TTheirs theirs = ConvertAll(folder, root / ("out" + std::to_string(count)));
        if (!ours) {
            std::printf("%-7d ours failed\n", count);
            allMet = false;
            continue;
        }
        const bool met = ours->FirstScreenful < ScreenfulTarget && ours->Seconds <= theirs.Seconds &&
                         MiB(ours->PeakKiB) < MemoryTargetMiB;
        allMet = allMet && met;
        std::printf("%-7d %10.0f %10.0f %10.0f %8.2f %10.1f %10.1f %8d  %s\n", count, ours->FirstScreenful * 1000,
                    ours->Seconds * 1000, theirs.Seconds * 1000, ours->Seconds / theirs.Seconds, MiB(ours->PeakKiB),
                    MiB(theirs.PeakKiB), ours->Thumbnails, met ? "met" : "MISSED");
        if (theirs.Failed)
            std::printf("        ImageMagick failed on %d pictures\n", theirs.Failed);
    }
    std::printf("\nTargets: first screenful (%d thumbnails) under %.1f s, all of them no slower than\n"
                "ImageMagick, peak memory under %.0f MiB. %s\n",
                Screenful, ScreenfulTarget, MemoryTargetMiB, allMet ? "All met." : "Not all met.");
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
