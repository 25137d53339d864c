// SPDX-License-Identifier: GPL-3.0-or-later
// `render`: plays an animation once, synchronously and on a virtual clock,
// and writes what the player drew after each frame, with the waits it used.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/FileReplace.h"
#include "platform/Stream.h"

namespace fl::cli {

namespace {

constexpr const char* RenderUsage = "Usage: frameloom-cli render [--speed N] IN OUTDIR\n";

bool ParseInt(const std::string& text, int& value)
{
    try {
        size_t used = 0;
        const long parsed = std::stol(text, &used);
        if (used != text.size() || parsed < INT32_MIN || parsed > INT32_MAX)
            return false;
        value = int(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string FrameFileName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.bmp", index);
    return name;
}

} // namespace

int RunRender(const std::vector<std::string>& args)
{
    int speed = 100;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--speed" && i + 1 < args.size()) {
            if (!ParseInt(args[++i], speed)) {
                std::fprintf(stderr, "frameloom-cli render: --speed takes a whole number, not \"%s\"\n",
                             args[i].c_str());
                return 2;
            }
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) {
        std::fputs(RenderUsage, stderr);
        return 2;
    }
    const std::filesystem::path outDir = paths[1];

    TGIFImage image;
    if (!LoadAnimation(image, paths[0]))
        return 1;
    if (image.IsEmpty() || image.Width() == 0 || image.Height() == 0) {
        std::fprintf(stderr, "%s: the animation has no frames to render\n", paths[0].c_str());
        return 1;
    }

    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "%s: cannot make the folder: %s\n", outDir.string().c_str(), error.message().c_str());
        return 1;
    }

    image.PlaySpeed = speed;
    image.PlayClock = std::make_shared<TVirtualClock>();
    std::unique_ptr<TBitmap> screen;
    try {
        screen = std::make_unique<TBitmap>(image.Width(), image.Height(), TPixelFormat::pf32bit);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: the logical screen of %d x %d cannot be rendered: %s\n", paths[0].c_str(),
                     image.Width(), image.Height(), e.what());
        return 1;
    }
    TCanvas canvas(*screen);
    canvas.FillRect(canvas.ClipRect(), TGIFPainter::BackgroundColorOf(image));

    // Every file waits beside its target until all are written: a run that
    // fails leaves the folder as it was.
    TFileBatch output;
    std::string timing;
    int drawn = 0;
    std::string failure;
    image.OnAfterFrame = [&](TGIFPainter& player) {
        if (!failure.empty())
            return;
        const std::filesystem::path file = outDir / FrameFileName(drawn);
        try {
            TBitmap copy(*screen);
            copy.SetPixelFormat(TPixelFormat::pf24bit);
            TMemoryStream bytes;
            copy.SaveToStream(bytes);
            output.Add(file.string(), bytes.Data(), static_cast<size_t>(bytes.Size()));
        } catch (const std::exception& e) {
            failure = e.what();
            player.Stop();
            return;
        }
        timing += std::to_string(player.ActiveFrame) + ' ' + std::to_string(player.LastWait()) + '\n';
        ++drawn;
    };

    // Played once, in this thread, with transparency; no tiling, no looping.
    const TGIFPaintFlags flags = paintTransparent | paintAnimate;
    try {
        image.StartPlayer(nullptr, canvas, flags, canvas.ClipRect());
        if (failure.empty()) {
            output.Add((outDir / "timing.txt").string(), timing.data(), timing.size());
            output.Commit();
        }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "%s: %s\n", paths[0].c_str(), failure.c_str());
        return 1;
    }
    std::printf("frames=%d\n", drawn);
    return 0;
}

} // namespace fl::cli
