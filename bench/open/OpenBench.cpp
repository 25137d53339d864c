// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the corpus animations as the editor does, until the frame list is
// filled, against giflib (decoding every frame) and ImageMagick (reading and
// coalescing every frame) in the same run. Every measurement runs in a child
// process of its own, so that its peak memory is its own: the figure is the
// child's peak resident size minus what it had before opening the file, and
// minus what the same side needs to open a one-pixel animation (the code and
// tables it touches whatever the file), so that what remains is what the
// file's frames cost.
#include <Magick++.h>
#include <gif_lib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildMeasurement.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/SettingsStore.h"

namespace {

namespace fs = std::filesystem;

constexpr int Runs = 3;
constexpr double TargetSeconds = 1.0;

// What one child measured.
struct TSample {
    double Seconds = 0;
    long PeakKiB = 0;
    // Only ours fills these: the frames' decoded size and the thumbnails.
    uint64_t DecodedBytes = 0;
    uint64_t ThumbnailBytes = 0;
    int Frames = 0;
    bool Ok = false;
};

// The median time and the largest peak of the runs that succeeded.
std::optional<TSample> Measure(const std::function<bool(TSample&)>& work)
{
    return fl::bench::MeasureInChildren<TSample>(Runs, work, [](const TSample& sample) { return sample.Ok; });
}

// The editor's windows, doing nothing: only the context's work is timed.
class TNoWindows final : public fl::TEditorWindows {
public:
    bool ShowFrame(int) override { return true; }
    void StatesChanged() override {}
    void DocumentAdded(fl::TDocument&) override {}
    void DocumentChanged(fl::TDocument&) override {}
    void DocumentRemoved(fl::TDocument&) override {}
    void BringToFront(fl::TDocument&) override {}
    void PostReload(fl::TDocument&) override {}
    void PausePreview() override {}
    void StopPreview() override {}
    void StartSaveTimer() override {}
    void ResetInspector() override {}
    int AskInsertPosition() override { return -1; }
    int AskTrimFrame() override { return -1; }
    bool AskPaletteSettings() override { return false; }
    void Progress(fl::TProgressStage, int) override {}
};

bool OpenAsEditor(const std::string& path, TSample& sample)
{
    fl::TScriptedMessageService messages;
    fl::TScriptedFileDialogService dialogs;
    fl::TMemorySettingsStore settings;
    TNoWindows windows;
    fl::TEditorContext context(messages, dialogs, settings, windows);
    if (!context.OpenAnimationFile(path))
        return false;
    const fl::TFrameListModel& list = context.Frames();
    sample.Frames = context.Animation().Frames.Count();
    for (int i = 0; i < sample.Frames; ++i) {
        const fl::TGIFSubImage& frame = *context.Animation().Frames[i];
        sample.DecodedBytes += uint64_t(frame.Width()) * uint64_t(frame.Height()) * 4;
    }
    for (int i = 0; i < list.Count(); ++i) {
        const fl::TBitmap& thumbnail = list.Item(i).Thumbnail;
        sample.ThumbnailBytes += uint64_t(thumbnail.Width()) * uint64_t(thumbnail.Height()) * 4;
    }
    return list.Count() > 0;
}

bool DecodeWithGiflib(const std::string& path, TSample&)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return false;
    const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
    DGifCloseFile(gif, &error);
    return ok;
}

bool ReadWithImageMagick(const std::string& path, TSample&)
{
    try {
        std::vector<Magick::Image> frames;
        Magick::readImages(&frames, path);
        std::vector<Magick::Image> whole;
        Magick::coalesceImages(&whole, frames.begin(), frames.end());
        return !whole.empty();
    } catch (const std::exception&) {
        return false;
    }
}

// A one-pixel, one-frame animation: what any open costs.
std::string WriteTinyAnimation()
{
    const fs::path path = fs::temp_directory_path() / ("fl-open-bench-" + std::to_string(getpid()) + ".gif");
    fl::TGIFImage image;
    image.GlobalColors().Add(0);
    image.GlobalColors().Add(0xFFFFFF);
    image.SetWidth(1);
    image.SetHeight(1);
    auto frame = std::make_unique<fl::TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, 1, 1);
    image.AddFrame(std::move(frame));
    image.SaveToFile(path.string());
    return path.string();
}

using TWork = std::function<bool(const std::string&, TSample&)>;

// The side's measurement of the file, its peak less the side's baseline.
std::optional<TSample> MeasureSide(const TWork& work, const std::string& path, long baselineKiB)
{
    auto sample = Measure([&](TSample& into) { return work(path, into); });
    if (sample)
        sample->PeakKiB = std::max(0L, sample->PeakKiB - baselineKiB);
    return sample;
}

long Baseline(const TWork& work, const std::string& tiny)
{
    const auto sample = Measure([&](TSample& into) { return work(tiny, into); });
    return sample ? sample->PeakKiB : 0;
}

std::string CorpusDir()
{
    if (const char* folder = std::getenv("FL_BENCH_CORPUS"))
        return folder;
    return std::string(FL_SHARED_DIR) + "/corpus";
}

std::vector<std::string> Animations()
{
    std::vector<std::string> files;
    for (const char* folder : {"animated", "animated/unoptimized"}) {
        std::error_code error;
        const fs::path dir = fs::path(CorpusDir()) / folder;
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir, error))
            if (entry.is_regular_file() && entry.path().extension() == ".gif")
                found.push_back(entry.path().string());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

std::string Ms(const std::optional<TSample>& sample)
{
    return sample ? std::to_string(static_cast<int>(sample->Seconds * 1000 + 0.5)) : "fail";
}

std::string MiB(long kib)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(kib) / 1024);
    return text;
}

std::string Ratio(const std::optional<TSample>& ours, const std::optional<TSample>& theirs, bool memory)
{
    if (!ours || !theirs)
        return "-";
    const double a = memory ? double(ours->PeakKiB) : ours->Seconds;
    const double b = memory ? double(theirs->PeakKiB) : theirs->Seconds;
    if (b <= 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", a / b);
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    Magick::InitializeMagick(argc > 0 ? argv[0] : nullptr);
    const std::vector<std::string> files = Animations();
    if (files.empty()) {
        std::fprintf(stderr, "no animations under %s\n", CorpusDir().c_str());
        return 1;
    }
    std::printf("Opening until the frame list is filled: median of %d runs, peak memory above the start.\n",
                Runs);
    std::printf("Ratios are ours / theirs (below 1 is better). Target: under %.0f s, and memory under\n"
                "2 x the frames' decoded RGBA bytes + the thumbnails.\n\n",
                TargetSeconds);
    const std::string tiny = WriteTinyAnimation();
    const long oursBase = Baseline(OpenAsEditor, tiny);
    const long giflibBase = Baseline(DecodeWithGiflib, tiny);
    const long magickBase = Baseline(ReadWithImageMagick, tiny);
    std::error_code removed;
    fs::remove(tiny, removed);
    std::printf("Baselines (one-pixel animation): ours %s MiB, giflib %s MiB, ImageMagick %s MiB.\n\n",
                MiB(oursBase).c_str(), MiB(giflibBase).c_str(), MiB(magickBase).c_str());
    std::printf("%-46s %6s | %8s %8s %8s | %6s %6s | %8s %8s %8s %8s | %6s %6s | %s\n", "file", "frames",
                "ours ms", "giflib", "magick", "/gif", "/magick", "ours MiB", "giflib", "magick", "limit",
                "/gif", "/magick", "target");
    bool allMet = true;
    for (const std::string& path : files) {
        const auto ours = MeasureSide(OpenAsEditor, path, oursBase);
        const auto giflib = MeasureSide(DecodeWithGiflib, path, giflibBase);
        const auto magick = MeasureSide(ReadWithImageMagick, path, magickBase);
        long limitKiB = 0;
        bool met = false;
        if (ours) {
            limitKiB = static_cast<long>((2 * ours->DecodedBytes + ours->ThumbnailBytes) / 1024);
            met = ours->Seconds < TargetSeconds && ours->PeakKiB < limitKiB;
        }
        allMet = allMet && met;
        const std::string name = fs::relative(path, CorpusDir()).string();
        std::printf(
            "%-46s %6d | %8s %8s %8s | %6s %6s | %8s %8s %8s %8s | %6s %6s | %s\n", name.c_str(),
            ours ? ours->Frames : 0, Ms(ours).c_str(), Ms(giflib).c_str(), Ms(magick).c_str(),
            Ratio(ours, giflib, false).c_str(), Ratio(ours, magick, false).c_str(),
            ours ? MiB(ours->PeakKiB).c_str() : "fail", giflib ? MiB(giflib->PeakKiB).c_str() : "fail",
            magick ? MiB(magick->PeakKiB).c_str() : "fail", MiB(limitKiB).c_str(),
            Ratio(ours, giflib, true).c_str(), Ratio(ours, magick, true).c_str(), met ? "met" : "MISSED");
    }
    std::printf("\n%s\n", allMet ? "Every file met the target." : "Some files missed the target.");
    return 0;
}
