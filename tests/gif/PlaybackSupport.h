// SPDX-License-Identifier: GPL-3.0-or-later
// Playing a document on a virtual clock and comparing what two documents
// show over time: the check that an optimization changes nothing visible.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gif/PlayerSupport.h"

namespace fl::test {

// What a player showed: the screen after each drawn frame and the virtual
// time it appeared at.
struct TTimeline {
    std::vector<int64_t> Times;
    std::vector<TBitmap> Shots;
};

inline TTimeline PlayTimeline(TGIFImage& image, TGIFPaintFlags flags = paintAnimate | paintTransparent)
{
    TTimeline timeline;
    TTestCanvas canvas(image.Width(), image.Height());
    auto clock = std::make_shared<TVirtualClock>();
    image.PlayClock = clock;
    image.OnAfterFrame = [&](TGIFPainter&) {
        timeline.Times.push_back(clock->NowMs());
        timeline.Shots.push_back(canvas.Bitmap);
    };
    image.StartPlayer(nullptr, *canvas.Canvas, flags, canvas.Canvas->ClipRect());
    image.OnAfterFrame = nullptr;
    return timeline;
}

inline bool SamePicture(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), size_t(a.Width()) * 4) != 0)
            return false;
    return true;
}

// The two timelines show the same picture at every moment: each time either
// drew something, both show equal screens (a timeline that ended keeps its
// last picture). A dropped frame that changed nothing passes; a changed
// pixel or a shifted time does not.
// The same pictures at the same moments; with a tolerance, each channel of
// each pixel may differ by that much.
inline ::testing::AssertionResult PlaysAlike(const TTimeline& original, const TTimeline& optimized,
                                             int tolerance = 0)
{
    const auto close = [tolerance](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > tolerance)
                return false;
        return true;
    };
    if (original.Shots.empty() != optimized.Shots.empty())
        return ::testing::AssertionFailure() << "only one of them drew anything";
    std::vector<int64_t> moments = original.Times;
    moments.insert(moments.end(), optimized.Times.begin(), optimized.Times.end());
    std::sort(moments.begin(), moments.end());
    auto shown = [](const TTimeline& timeline, int64_t moment) -> const TBitmap* {
        const TBitmap* picture = nullptr;
        for (size_t i = 0; i < timeline.Times.size() && timeline.Times[i] <= moment; ++i)
            picture = &timeline.Shots[i];
        return picture;
    };
    for (int64_t moment : moments) {
        const TBitmap* a = shown(original, moment);
        const TBitmap* b = shown(optimized, moment);
        if (!a || !b)
            return ::testing::AssertionFailure() << "nothing shown by one of them at " << moment << " ms";
        if (a->Width() != b->Width() || a->Height() != b->Height())
            return ::testing::AssertionFailure() << "at " << moment << " ms the screens differ in size";
        if (tolerance == 0 && SamePicture(*a, *b))
            continue;
        for (int y = 0; y < a->Height(); ++y)
            for (int x = 0; x < a->Width(); ++x)
                if (!close(a->PixelColor(x, y), b->PixelColor(x, y)))
                    return ::testing::AssertionFailure()
                           << "at " << moment << " ms pixel (" << x << ", " << y << ") is " << std::hex
                           << b->PixelColor(x, y) << " instead of " << a->PixelColor(x, y);
    }
    return ::testing::AssertionSuccess();
}

// A document read back from what it writes.
inline std::unique_ptr<TGIFImage> Reloaded(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    stream.SetPosition(0);
    auto copy = std::make_unique<TGIFImage>();
    copy->LoadFromStream(stream);
    return copy;
}

// A small random animation with every kind of frame: any place and size,
// disposal, delay and transparency, sometimes a loop extension or a table of
// its own.
inline std::unique_ptr<TGIFImage> RandomAnimation(uint32_t seed)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    std::vector<TFrameLayout> layouts;
    const int frames = 2 + pick(5);
    for (int f = 0; f < frames; ++f) {
        const int left = pick(5), top = pick(5);
        const int width = 1 + pick(8 - left), height = 1 + pick(8 - top);
        const int disposal = pick(6) - 1;
        const int delays[] = {0, 2, 5, 20};
        const int transparent = pick(3) == 0 ? -1 : pick(8);
        TFrameLayout layout{left,
                        top,
                        width,
                        height,
                        uint8_t(pick(3) == 0 && transparent >= 0 ? transparent : pick(8)),
                        disposal > 3 ? 1 : disposal,
                        delays[pick(4)],
                        transparent};
        // Sometimes busy, so that repeated pixels have choices worth making.
        for (int s = pick(4) == 0 ? 4 * width * height : pick(6); s > 0; --s)
            layout.Spots.push_back({pick(width), pick(height), pick(8)});
        layouts.push_back(layout);
    }
    // Sometimes a loop extension: later passes start at its frame.
    if (pick(3) == 0)
        layouts[size_t(pick(frames))].LoopCount = 1;
    auto image = MakeAnimation(8, 8, layouts, pick(8));
    if (pick(4) == 0) {
        // Some frames with tables of their own.
        TGIFSubImage& frame = *image->Frames[pick(frames)];
        for (int i = 7; i >= 0; --i)
            frame.LocalColors.Add(TestColors[i]);
    }
    // Sometimes a color held twice, perhaps at a transparent index: pixels
    // of either entry look alike, but a transparent one shows what is below.
    if (pick(3) == 0)
        image->GlobalColors().SetColorAt(pick(8), image->GlobalColors().ColorAt(pick(8)));
    return image;
}

} // namespace fl::test
