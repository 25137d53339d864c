// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/GIFTypes.h"
#include "platform/BitmapError.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl::fuzz {

// Inputs larger than this are ignored by the fuzz target, so one run stays short.
constexpr size_t kMaxGIFInput = 1024 * 1024;

// A few hundred bytes can declare frames of 65535 x 65535. These bounds keep a
// run (load, save, load again, sanitizers on) to milliseconds, so the fuzzer
// tries many inputs; larger frames end in the reader's "too large" refusal.
constexpr uint64_t kMaxFramePixels = uint64_t(1) << 18;
constexpr uint64_t kMaxDocumentPixels = uint64_t(1) << 20;

// Tightens the reader's memory limits for one run and restores them after.
class FuzzMemoryLimits {
public:
    FuzzMemoryLimits() : saved_(GIFMemoryLimits)
    {
        GIFMemoryLimits.MaxFramePixels = std::min(saved_.MaxFramePixels, kMaxFramePixels);
        GIFMemoryLimits.MaxDocumentPixels = std::min(saved_.MaxDocumentPixels, kMaxDocumentPixels);
    }
    ~FuzzMemoryLimits() { GIFMemoryLimits = saved_; }
    FuzzMemoryLimits(const FuzzMemoryLimits&) = delete;
    FuzzMemoryLimits& operator=(const FuzzMemoryLimits&) = delete;

private:
    TGIFMemoryLimits saved_;
};

struct RoundTripResult {
    enum class Stage {
        Rejected,     // the reader refused the input: fine
        SaveRejected, // loaded, but the writer refused the image: fine
        RoundTripped, // loaded, saved, and the saved bytes loaded again
        ReloadFailed, // the reader refused what the writer wrote: a fault
    };
    Stage stage;
    std::string message; // the refusal's text
};

// Plays a loaded document once at its own size (frames drawn from their
// pixels) and once at half size (through their renderings and masks), on a
// virtual clock. Errors of the model and of bitmaps are graceful refusals.
inline void PlayOnce(TGIFImage& image)
{
    const uint64_t screen = uint64_t(image.Width()) * uint64_t(image.Height());
    if (image.IsEmpty() || screen == 0 || screen > kMaxFramePixels)
        return;
    image.PlayClock = std::make_shared<TVirtualClock>();
    try {
        TBitmap bitmap(image.Width(), image.Height(), TPixelFormat::pf32bit);
        TCanvas canvas(bitmap);
        const TGIFPaintFlags flags = paintAnimate | paintTransparent;
        image.StartPlayer(nullptr, canvas, flags, canvas.ClipRect());
        image.StartPlayer(nullptr, canvas, flags, {0, 0, (image.Width() + 1) / 2, (image.Height() + 1) / 2});
    } catch (const GIFException&) {
    } catch (const EBitmapError&) {
    }
}

// Loads an input the way the program opens a file; when that succeeds, saves
// the image and loads the saved bytes again, all within the bounds above. A
// GIFException or EStreamError is a graceful refusal; any other exception
// escapes to the caller.
inline RoundTripResult LoadSaveReload(const uint8_t* data, size_t size)
{
    using Stage = RoundTripResult::Stage;
    const FuzzMemoryLimits limits;
    TGIFImage image;
    try {
        TMemoryStream in(data, size);
        image.LoadFromStream(in);
    } catch (const GIFException& e) {
        return {Stage::Rejected, e.what()};
    } catch (const EStreamError& e) {
        return {Stage::Rejected, e.what()};
    }
    PlayOnce(image);

    TMemoryStream out;
    try {
        image.SaveToStream(out);
    } catch (const GIFException& e) {
        return {Stage::SaveRejected, e.what()};
    } catch (const EStreamError& e) {
        return {Stage::SaveRejected, e.what()};
    }

    try {
        TMemoryStream saved(out.TakeBytes());
        TGIFImage again;
        again.LoadFromStream(saved);
    } catch (const GIFException& e) {
        return {Stage::ReloadFailed, e.what()};
    } catch (const EStreamError& e) {
        return {Stage::ReloadFailed, e.what()};
    }
    return {Stage::RoundTripped, {}};
}

// Drawing frames of this many pixels is tried on every input; a screen the
// bitmap limits allow but that would take long to fill each time is
// skipped (64 Mi pixels, 256 MiB at 32 bits).
constexpr uint64_t kMaxCanvasPixels = uint64_t(1) << 26;

// Loads an input within the fuzz bounds and plays it onto a picture of its
// logical screen, as the render command and the editor's preview do, each
// drawn frame written out as a bitmap. The screen meets the real bitmap
// limits, so that a huge one declared by a few bytes is refused there.
// Refusals of the model, the stream and bitmaps are graceful; anything else
// escapes to the caller.
inline void RenderOnScreen(const uint8_t* data, size_t size, uint64_t maxCanvasPixels = kMaxCanvasPixels)
{
    const FuzzMemoryLimits limits;
    TGIFImage image;
    try {
        TMemoryStream in(data, size);
        image.LoadFromStream(in);
    } catch (const GIFException&) {
        return;
    } catch (const EStreamError&) {
        return;
    }
    const uint64_t screen = uint64_t(image.Width()) * uint64_t(image.Height());
    if (image.IsEmpty() || screen == 0 ||
        (screen > maxCanvasPixels && screen <= BitmapMemoryLimits.MaxPixels))
        return;
    image.PlayClock = std::make_shared<TVirtualClock>();
    try {
        TBitmap picture(image.Width(), image.Height(), TPixelFormat::pf32bit);
        TCanvas canvas(picture);
        canvas.FillRect(canvas.ClipRect(), TGIFPainter::BackgroundColorOf(image));
        int frames = 0;
        image.OnAfterFrame = [&](TGIFPainter&) {
            if (frames++ > 64)
                return;
            TBitmap copy(picture);
            copy.SetPixelFormat(TPixelFormat::pf24bit);
            TMemoryStream bytes;
            copy.SaveToStream(bytes);
        };
        image.StartPlayer(nullptr, canvas, paintAnimate | paintTransparent, canvas.ClipRect());
    } catch (const GIFException&) {
    } catch (const EBitmapError&) {
    }
}

} // namespace fl::fuzz
