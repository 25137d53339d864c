// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompositeBench.h"

#include <exception>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/Stream.h"

namespace fl::bench {

namespace {

constexpr TGIFPaintFlags kCompositeFlags = paintAnimate | paintTransparent;

struct TPlayResult {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int FrameCount = 0;
    int FramesDrawn = 0;
};

// One timed unit of work. `counted` makes the player count the frames it
// draws; the timed loop leaves it off so that no callback runs per frame.
TPlayResult LoadAndPlay(const std::vector<uint8_t>& bytes, bool counted)
{
    TGIFImage image;
    TMemoryStream stream(bytes.data(), bytes.size());
    image.LoadFromStream(stream);

    TPlayResult result;
    result.ScreenWidth = image.Width();
    result.ScreenHeight = image.Height();
    result.FrameCount = image.Frames.Count();
    if (counted)
        image.OnAfterFrame = [&result](TGIFPainter&) { ++result.FramesDrawn; };
    // The virtual clock makes every frame's delay pass at once: the loop
    // measures decoding and drawing, not the animation's timing.
    image.PlayClock = std::make_shared<TVirtualClock>();
    TBitmap screen(result.ScreenWidth, result.ScreenHeight, TPixelFormat::pf32bit);
    TCanvas canvas(screen);
    image.StartPlayer(nullptr, canvas, kCompositeFlags, canvas.ClipRect());
    benchmark::DoNotOptimize(screen.Bits());
    return result;
}

} // namespace

void CompositeOurs(benchmark::State& state, const std::string& path, const std::vector<uint8_t>& bytes,
                   const std::string& skipReason)
{
    if (!skipReason.empty()) {
        state.SkipWithError(skipReason.c_str());
        return;
    }
    // One untimed pass per file (the function runs several times per file):
    // the player must get through every frame, else the rate would credit
    // frames it never drew.
    static std::string checkedPath;
    static TPlayResult checked;
    static std::string checkError;
    if (checkedPath != path) {
        checkedPath = path;
        checked = TPlayResult();
        checkError.clear();
        try {
            checked = LoadAndPlay(bytes, true);
        } catch (...) {
            checkError = "playback failed: " + Describe(std::current_exception());
        }
    }
    if (!checkError.empty()) {
        state.SkipWithError(checkError.c_str());
        return;
    }
    if (checked.ScreenWidth <= 0 || checked.ScreenHeight <= 0) {
        state.SkipWithError("the logical screen is empty");
        return;
    }
    if (checked.FramesDrawn != checked.FrameCount) {
        const std::string why = "the player drew " + std::to_string(checked.FramesDrawn) + " of " +
                                std::to_string(checked.FrameCount) + " frames";
        state.SkipWithError(why.c_str());
        return;
    }

    for (auto _ : state) {
        const TPlayResult result = LoadAndPlay(bytes, false);
        benchmark::DoNotOptimize(result.FrameCount);
    }
    const double screenPixels = double(checked.ScreenWidth) * double(checked.ScreenHeight) * checked.FramesDrawn;
    state.counters["Mpx/s"] = benchmark::Counter(screenPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["frames"] = checked.FramesDrawn;
}

} // namespace fl::bench
