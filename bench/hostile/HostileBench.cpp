// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and degenerate files, against giflib in the same run: many
// comment extensions before one frame, many tiny frames, and a small file
// declaring frames far beyond any memory. Each measurement runs in a child
// process of its own (loading the file and freeing it again), so that its
// peak memory is its own; the children may take at most 8 GiB of address
// space, so that a reader that tries to take everything fails instead of
// the machine.
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ChildMeasurement.h"
#include "gif/GIFImage.h"
#include "platform/Stream.h"

namespace {

namespace fs = std::filesystem;

constexpr int Runs = 3;
constexpr rlim_t AddressSpace = rlim_t(8) << 30;

struct TSample {
    double Seconds = 0;
    long PeakKiB = 0;
    // The file loaded (rather than being refused).
    bool Ok = false;
};

std::optional<TSample> Measure(const std::function<bool()>& load)
{
    return fl::bench::MeasureInChildren<TSample>(
        Runs, [&load](TSample&) { return load(); }, [](const TSample&) { return true; }, AddressSpace);
}

bool OursLoads(const std::string& path)
{
    try {
        fl::TGIFImage image;
        image.LoadFromFile(path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool GiflibLoads(const std::string& path)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return false;
    const bool loaded = DGifSlurp(gif) == GIF_OK;
    DGifCloseFile(gif, &error);
    return loaded;
}

// A GIF of a w x h screen with a two-color table, `comments` one-byte
// comment extensions, then `frames` frames of fw x fh with a byte of data.
void WriteGif(const fs::path& path, int w, int h, int comments, int frames, int fw, int fh)
{
    std::string out = "GIF89a";
    const auto word = [&out](int v) { out += char(v & 0xFF), out += char(v >> 8 & 0xFF); };
    word(w), word(h);
    out += std::string("\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 9);
    for (int i = 0; i < comments; ++i)
        out += std::string("\x21\xFE\x01"
                           "a"
                           "\x00",
                           5);
    for (int i = 0; i < frames; ++i) {
        out += '\x2C', word(0), word(0), word(fw), word(fh), out += '\0';
        out += std::string("\x02\x02\x44\x01\x00", 5);
    }
    out += '\x3B';
    std::ofstream(path, std::ios::binary) << out;
}

std::string Cell(const std::optional<TSample>& sample)
{
    if (!sample)
        return "failed";
    char text[64];
    std::snprintf(text, sizeof text, "%8.3f s %9ld KiB %s", sample->Seconds, sample->PeakKiB,
                  sample->Ok ? "loaded " : "refused");
    return text;
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / ("fl-hostile-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    struct TCase {
        const char* Name;
        int Width, Height, Comments, Frames, FrameWidth, FrameHeight;
    };
    const TCase cases[] = {
        {"12,500 comments", 1, 1, 12500, 1, 1, 1},
        {"25,000 comments", 1, 1, 25000, 1, 1, 1},
        {"50,000 comments", 1, 1, 50000, 1, 1, 1},
        {"100,000 comments", 1, 1, 100000, 1, 1, 1},
        {"1,000,000 comments (5 MB)", 1, 1, 1000000, 1, 1, 1},
        {"100,000 frames of 1 x 1", 1, 1, 0, 100000, 1, 1},
        {"2,000 frames of 4096 x 4096 (30 KB)", 4096, 4096, 0, 2000, 4096, 4096},
    };
    std::printf("%-38s %-34s %-34s %s\n", "file", "ours (time, peak, outcome)", "giflib", "time ratio");
    for (const TCase& c : cases) {
        const fs::path path = folder / "case.gif";
        WriteGif(path, c.Width, c.Height, c.Comments, c.Frames, c.FrameWidth, c.FrameHeight);
        const auto ours = Measure([&path] { return OursLoads(path.string()); });
        const auto theirs = Measure([&path] { return GiflibLoads(path.string()); });
        std::string ratio = "-";
        if (ours && theirs && theirs->Seconds > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", ours->Seconds / theirs->Seconds);
            ratio = text;
        }
        std::printf("%-38s %-34s %-34s %s\n", c.Name, Cell(ours).c_str(), Cell(theirs).c_str(),
                    ratio.c_str());
        std::fflush(stdout);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
