// SPDX-License-Identifier: GPL-3.0-or-later
// Optimizing a corpus animation must not change what a viewer sees: the
// saved result, read back, shows the same picture as the original at every
// moment of one play, and giflib reads it with the same frames. Trimming may
// drop frames and merge their delays, so the plays are compared as timelines
// (who shows what from when to when), not frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gif/ColorMapOptimizer.h"
#include "gif/PixelEncoder.h"
#include "gif/PlayerSupport.h"
#include "support/GifTestSupport.h"
#include "support/GiflibBridge.h"

namespace fs = std::filesystem;

namespace fl::test {
namespace {

// What the canvas shows where the animation leaves it alone. A color no
// corpus file uses, so that a pixel made transparent by mistake shows.
const TColor CanvasColor = MakeColor(3, 251, 7);

struct TOptionSet {
    const char* Name;
    TGIFOptimizeOptions Options;
    // MergeColorMaps before Optimize, after it, or not at all.
    enum { NoMerge, MergeFirst, MergeAfter } Merge;
};

// Each option alone, the palette work together in both orders.
const TOptionSet OptionSets[] = {
    {"trim", optimizeTrim, TOptionSet::NoMerge},
    {"merge-pixels", optimizeMergePixels, TOptionSet::NoMerge},
    {"cleanup", optimizeCleanup, TOptionSet::NoMerge},
    {"color-tables", optimizeColorTables, TOptionSet::NoMerge},
    {"merge-palettes, color-tables", optimizeColorTables, TOptionSet::MergeFirst},
    {"all, merge-palettes", optimizeAll, TOptionSet::MergeAfter},
};

// One frame on screen: from its drawing to the next frame's (or, for the
// last frame, to the end of its delay).
struct TShown {
    int64_t From = 0, To = 0;
    int Frame = 0;     // index in the document
    uint64_t Hash = 0; // of the canvas after drawing it
};
using TTimeline = std::vector<TShown>;

// Of the 24 color bits of every pixel; the fourth byte of a 32-bit canvas
// pixel carries nothing the viewer sees.
uint64_t PictureHash(const TBitmap& bitmap)
{
    uint64_t hash = 0x9E3779B97F4A7C15u;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            const uint64_t pixel =
                uint64_t(row[4 * x]) | uint64_t(row[4 * x + 1]) << 8 | uint64_t(row[4 * x + 2]) << 16;
            hash = (hash ^ pixel) * 0x100000001B3u;
            hash ^= hash >> 29;
        }
    }
    return hash;
}

// How long the player keeps the frame after drawing it, as it waits before
// the next one: no delay means the default, short delays are stretched.
int64_t DelayAfterMs(const TGIFSubImage& frame)
{
    int delay = GIFDefaultDelay;
    if (frame.ControlBlock && frame.ControlBlock->Delay > 0)
        delay = std::clamp<int>(frame.ControlBlock->Delay, GIFMinimumDelay, GIFMaximumDelay);
    return int64_t(delay) * GIFDelayUnitMs;
}

// Plays the document once, synchronously on a virtual clock, onto a canvas
// of the logical screen's size. With `capture`, the canvas after the drawing
// with that ordinal (0: the first frame drawn) is copied there; with
// `shots`, the canvas after every drawing.
TTimeline Play(TGIFImage& image, int captureAt = -1, TBitmap* capture = nullptr,
               std::vector<TBitmap>* shots = nullptr)
{
    TTimeline timeline;
    TTestCanvas canvas(image.Width(), image.Height(), CanvasColor);
    auto clock = std::make_shared<TVirtualClock>();
    image.PlayClock = clock;
    image.OnAfterFrame = [&](TGIFPainter& player) {
        const int64_t now = clock->NowMs();
        if (!timeline.empty())
            timeline.back().To = now;
        const int index = player.ActiveFrame;
        if (int(timeline.size()) == captureAt && capture)
            *capture = canvas.Bitmap;
        if (shots)
            shots->push_back(canvas.Bitmap);
        timeline.push_back(
            {now, now + DelayAfterMs(*image.Frames[index]), index, PictureHash(canvas.Bitmap)});
    };
    image.StartPlayer(nullptr, *canvas.Canvas, paintAnimate | paintTransparent, canvas.Canvas->ClipRect());
    image.OnAfterFrame = nullptr;
    image.PlayClock = nullptr;
    return timeline;
}

std::string Hex(uint32_t color)
{
    std::ostringstream text;
    text << std::hex << color;
    return text.str();
}

// Where two pictures differ: the number of pixels and the first one.
std::string DescribeDifference(const TBitmap& expected, const TBitmap& actual)
{
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return "canvas sizes differ";
    int64_t count = 0;
    std::string first;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x)
            if (expected.PixelColor(x, y) != actual.PixelColor(x, y) && count++ == 0)
                first = "first at (" + std::to_string(x) + "," + std::to_string(y) +
                        "): " + Hex(expected.PixelColor(x, y)) + " shown as " + Hex(actual.PixelColor(x, y));
    return std::to_string(count) + " pixels differ, " + first;
}

// Why the pictures of the two plays' drawings e and a differ, or empty.
using TPictureCheck = std::function<std::string(size_t e, size_t a)>;

// The first moment the two plays show pictures the check rejects, or
// success. The plays must also start and end at the same moments.
testing::AssertionResult SameTimeline(const TTimeline& expected, const TTimeline& actual,
                                      const TPictureCheck& check)
{
    if (expected.empty() || actual.empty())
        return expected.empty() == actual.empty() ? testing::AssertionSuccess()
                                                  : testing::AssertionFailure() << "one play shows nothing";
    if (expected.front().From != actual.front().From)
        return testing::AssertionFailure() << "the first frame appears at " << actual.front().From
                                           << " ms instead of " << expected.front().From << " ms";
    size_t e = 0, a = 0;
    while (e < expected.size() && a < actual.size()) {
        const int64_t from = std::max(expected[e].From, actual[a].From);
        const int64_t to = std::min(expected[e].To, actual[a].To);
        if (from < to) {
            if (const std::string why = check(e, a); !why.empty())
                return testing::AssertionFailure()
                       << "at " << from << " ms original frame " << expected[e].Frame << " (shown "
                       << expected[e].From << "-" << expected[e].To << " ms) differs from optimized frame "
                       << actual[a].Frame << " (shown " << actual[a].From << "-" << actual[a].To
                       << " ms): " << why;
        }
        if (expected[e].To <= to)
            ++e;
        if (actual[a].To <= to)
            ++a;
    }
    if (expected.back().To != actual.back().To)
        return testing::AssertionFailure()
               << "the play lasts " << actual.back().To << " ms instead of " << expected.back().To << " ms";
    return testing::AssertionSuccess();
}

// Exact pictures, by their hashes; a difference is replayed to say where.
TPictureCheck SamePictures(TGIFImage& original, const TTimeline& expected, TGIFImage& optimized,
                           const TTimeline& actual)
{
    return [&](size_t e, size_t a) -> std::string {
        if (expected[e].Hash == actual[a].Hash)
            return {};
        TBitmap shownBefore, shownAfter;
        Play(original, int(e), &shownBefore);
        Play(optimized, int(a), &shownAfter);
        return DescribeDifference(shownBefore, shownAfter);
    };
}

TColor ColorOfPixel(uint32_t pixel)
{
    return MakeColor(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel));
}

// When the colors do not fit one table, merging maps the least used onto
// others: a picture may then differ only where the original shows a color
// the merged table lacks, and never turns transparent there.
TPictureCheck OnlyDroppedColorsDiffer(const std::vector<TBitmap>& expected,
                                      const std::vector<TBitmap>& actual, const TGIFColorMap& merged)
{
    return [&](size_t e, size_t a) -> std::string {
        const TBitmap& before = expected[e];
        const TBitmap& after = actual[a];
        for (int y = 0; y < before.Height(); ++y)
            for (int x = 0; x < before.Width(); ++x) {
                const uint32_t was = before.PixelColor(x, y);
                const uint32_t now = after.PixelColor(x, y);
                if (was == now)
                    continue;
                const bool dropped = merged.Find(ColorOfPixel(was)) < 0;
                if (!dropped || ColorOfPixel(now) == CanvasColor) {
                    std::ostringstream why;
                    why << "(" << x << "," << y << "): " << Hex(was) << " shown as " << Hex(now)
                        << (dropped ? "" : ", a color the merged table holds");
                    return why.str();
                }
            }
        return {};
    };
}

std::optional<int> LoopCount(const TGIFImage& image)
{
    const TGIFAppExtNSLoop* loop = FindLoopExtension(image);
    return loop ? std::optional<int>(loop->LoopCount) : std::nullopt;
}

std::string TestName(const fs::path& path)
{
    std::string name = fs::relative(path, SharedDir() / "corpus" / "animated").replace_extension().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

std::vector<fs::path> AnimatedCorpus()
{
    return GifFilesUnder(SharedDir() / "corpus" / "animated");
}

class OptimizeCorpus : public testing::TestWithParam<fs::path> {};

// Pictures kept for comparing lossy merges, at most (both plays together).
constexpr uint64_t ShotBudgetBytes = uint64_t(512) << 20;

TEST_P(OptimizeCorpus, PlaysLikeTheOriginalAndGiflibReadsIt)
{
    const std::vector<uint8_t> bytes = ReadBytes(GetParam());
    LoadResult original = LoadGif(bytes);
    ASSERT_TRUE(original.loaded) << original.error;
    const TTimeline expected = Play(*original.image);
    ASSERT_FALSE(expected.empty());
    const bool mergeIsExact = FitsOneColorMap(*original.image);
    const uint64_t shotBytes =
        uint64_t(original.image->Width()) * uint64_t(original.image->Height()) * 4 * expected.size() * 2;

    for (const TOptionSet& set : OptionSets) {
        SCOPED_TRACE(std::string("options: ") + set.Name);
        LoadResult work = LoadGif(bytes);
        ASSERT_TRUE(work.loaded) << work.error;
        std::vector<uint8_t> saved;
        try {
            if (set.Merge == TOptionSet::MergeFirst)
                MergeColorMaps(*work.image);
            work.image->Optimize(set.Options);
            if (set.Merge == TOptionSet::MergeAfter)
                MergeColorMaps(*work.image);
            saved = SaveGif(*work.image, encodeLZW);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "optimizing or saving failed: " << e.what();
            continue;
        }

        LoadResult reloaded = LoadGif(saved);
        ASSERT_TRUE(reloaded.loaded) << "the optimized file does not load: " << reloaded.error;
        if (original.warnings.empty()) {
            EXPECT_EQ(reloaded.warnings, std::vector<std::string>{});
        }
        EXPECT_EQ(LoopCount(*reloaded.image), LoopCount(*original.image));
        EXPECT_EQ(reloaded.image->Width(), original.image->Width());
        EXPECT_EQ(reloaded.image->Height(), original.image->Height());
        if (set.Merge != TOptionSet::NoMerge) {
            for (int i = 0; i < reloaded.image->Frames.Count(); ++i)
                EXPECT_EQ(reloaded.image->Frames[i]->LocalColors.Count(), 0)
                    << "frame " << i << " after merging";
        }

        RefGif reference;
        std::string giflibError;
        const bool giflibRead = DecodeWithGiflib(saved, reference, giflibError);
        EXPECT_TRUE(giflibRead) << giflibError;
        if (giflibRead) {
            EXPECT_EQ(int(reference.images.size()), ImageCount(*reloaded.image));
        }

        if (set.Merge == TOptionSet::NoMerge || mergeIsExact) {
            const TTimeline actual = Play(*reloaded.image);
            EXPECT_TRUE(SameTimeline(expected, actual,
                                     SamePictures(*original.image, expected, *reloaded.image, actual)));
        } else if (shotBytes <= ShotBudgetBytes) {
            std::vector<TBitmap> before, after;
            const TTimeline again = Play(*original.image, -1, nullptr, &before);
            const TTimeline actual = Play(*reloaded.image, -1, nullptr, &after);
            EXPECT_TRUE(SameTimeline(again, actual,
                                     OnlyDroppedColorsDiffer(before, after, reloaded.image->GlobalColors())));
        } else {
            // Too many pictures to keep: only the moments are compared.
            const TTimeline actual = Play(*reloaded.image);
            EXPECT_TRUE(SameTimeline(expected, actual, [](size_t, size_t) { return std::string(); }));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Animations, OptimizeCorpus, testing::ValuesIn(AnimatedCorpus()),
                         [](const testing::TestParamInfo<fs::path>& param) { return TestName(param.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(OptimizeCorpus);

} // namespace
} // namespace fl::test
