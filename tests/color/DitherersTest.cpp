// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/Ditherers.h"
#include "color/FixedPalettes.h"
#include "platform/GIFException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace fl {
namespace {

// Black or white by the red channel alone; remembers every color it is asked
// for, i.e. the error-adjusted values, in visiting order. An exact one
// returns each color unchanged (index = red), so no error ever arises.
class TRecordingLookup : public TColorLookup {
public:
    explicit TRecordingLookup(bool exact = false) : TColorLookup(exact ? 256 : 2), FExact(exact) {}
    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        Seen.push_back({r, g, b});
        if (FExact) {
            outR = r;
            outG = g;
            outB = b;
            return r;
        }
        const bool white = r >= 128;
        outR = outG = outB = white ? 255 : 0;
        return white ? 1 : 0;
    }
    std::vector<std::array<int, 3>> Seen;
    std::vector<int> SeenRed() const
    {
        std::vector<int> red;
        for (const auto& c : Seen)
            red.push_back(c[0]);
        return red;
    }

private:
    bool FExact;
};

struct TImage {
    int Width, Height;
    std::vector<uint8_t> Bgr; // rows top to bottom, blue, green, red

    TImage(int width, int height) : Width(width), Height(height), Bgr(size_t(width * height * 3)) {}
    void Set(int x, int y, int r, int g, int b)
    {
        uint8_t* p = &Bgr[size_t((y * Width + x) * 3)];
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
    }
    std::array<int, 3> Get(int x, int y) const
    {
        const uint8_t* p = &Bgr[size_t((y * Width + x) * 3)];
        return {p[2], p[1], p[0]};
    }
    TBGRRowSource Source() const
    {
        return {Width, Height, [this](int y) { return &Bgr[size_t(y * Width * 3)]; }};
    }
};

TImage Gray(int width, int height, std::initializer_list<int> values)
{
    TImage image(width, height);
    auto v = values.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, ++v)
            image.Set(x, y, *v, *v, *v);
    return image;
}

TImage Noise(int width, int height, uint32_t seed)
{
    TImage image(width, height);
    for (auto& byte : image.Bgr) {
        seed = seed * 1664525u + 1013904223u;
        byte = uint8_t(seed >> 24);
    }
    return image;
}

using TIndices = std::vector<std::vector<int>>;

TIndices RunImage(TDitherEngine& engine, const TImage& image)
{
    std::vector<std::vector<uint8_t>> rows(size_t(image.Height),
                                           std::vector<uint8_t>(size_t(image.Width), 0xEE));
    engine.DitherImage(image.Source(), [&](int y) { return rows[size_t(y)].data(); });
    TIndices result;
    for (const auto& row : rows)
        result.emplace_back(row.begin(), row.end());
    return result;
}

// The caller's loop of the reduction, one virtual DitherPixel per pixel.
TIndices RunPixels(TDitherEngine& engine, const TImage& image)
{
    TIndices result(size_t(image.Height), std::vector<int>(size_t(image.Width), -1));
    for (int y = 0; y < image.Height; ++y) {
        while (engine.Column() >= 0 && engine.Column() < image.Width) {
            const int x = engine.Column();
            const auto c = image.Get(x, y);
            uint8_t r, g, b;
            result[size_t(y)][size_t(x)] =
                engine.DitherPixel(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), r, g, b);
        }
        engine.AdvanceRow();
    }
    return result;
}

// Error diffusion written the textbook way, with a whole error image and
// bounds tests instead of rotating row buffers and spare cells.
struct TTextbookKernel {
    int Divisor;
    std::vector<std::array<int, 3>> Taps; // row, offset in travel direction, weight
};

TIndices RunTextbook(const TTextbookKernel& kernel, TColorLookup& lookup, const TImage& image)
{
    const int w = image.Width, h = image.Height;
    std::vector<std::array<int, 3>> error(size_t(w * (h + 4)));
    TIndices result(size_t(h), std::vector<int>(size_t(w), 0));
    for (int y = 0; y < h; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = dir > 0 ? i : w - 1 - i;
            const auto in = image.Get(x, y);
            std::array<int, 3> adjusted;
            for (int c = 0; c < 3; ++c) {
                const int sum = error[size_t(y * w + x)][size_t(c)] + kernel.Divisor / 2;
                adjusted[size_t(c)] = std::clamp(in[size_t(c)] + sum / kernel.Divisor, 0, 255);
            }
            uint8_t r, g, b;
            result[size_t(y)][size_t(x)] =
                lookup.MapColor(uint8_t(adjusted[0]), uint8_t(adjusted[1]), uint8_t(adjusted[2]), r, g, b);
            const std::array<int, 3> e{adjusted[0] - r, adjusted[1] - g, adjusted[2] - b};
            for (const auto& [row, offset, weight] : kernel.Taps) {
                const int tx = x + offset * dir;
                if (tx < 0 || tx >= w)
                    continue;
                for (int c = 0; c < 3; ++c)
                    error[size_t((y + row) * w + tx)][size_t(c)] += e[size_t(c)] * weight;
            }
        }
    }
    return result;
}

// clang-format off
const TTextbookKernel kFloyd{16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}};
const TTextbookKernel kStucki{42, {{0, 1, 8}, {0, 2, 4},
                                   {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                                   {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}};
const TTextbookKernel kSierra{32, {{0, 1, 5}, {0, 2, 3},
                                   {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                                   {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}};
const TTextbookKernel kJaJuNi{48, {{0, 1, 7}, {0, 2, 5},
                                   {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                                   {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}};
const TTextbookKernel kSteveArche{200, {{0, 2, 32},
                                        {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                                        {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                                        {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}};
const TTextbookKernel kBurkes{32, {{0, 1, 8}, {0, 2, 4},
                                   {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}};
// clang-format on
const TTextbookKernel kNone{1, {}};

struct TModeCase {
    uint8_t Mode;
    const TTextbookKernel* Kernel;
};
const TModeCase kModes[] = {{ditherNearest, &kNone},  {ditherFloydSteinberg, &kFloyd},
                            {ditherStucki, &kStucki}, {ditherSierra, &kSierra},
                            {ditherJaJuNi, &kJaJuNi}, {ditherSteveArche, &kSteveArche},
                            {ditherBurkes, &kBurkes}};

// Fresh lookups of each kind (the fast one caches, so never share one).
std::vector<std::function<std::unique_ptr<TColorLookup>()>> LookupMakers()
{
    return {
        [] { return std::make_unique<TNetscapeColorLookup>(); },
        [] { return std::make_unique<TGrayScaleLookup>(); },
        [] { return std::make_unique<TMonochromeLookup>(); },
        [] { return std::make_unique<TFastColorLookup>(MakeGray4Palette()); },
        [] { return std::make_unique<TFastColorLookup>(MakeHalftonePalette()); },
        [] { return std::make_unique<TRecordingLookup>(); },
    };
}

// ---- visiting order ------------------------------------------------------

TEST(DitherEngineTest, VisitsRowsInSerpentineOrder)
{
    TImage image(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            image.Set(x, y, y * 10 + x, 0, 0);
    for (const auto& [mode, kernel] : kModes) {
        (void)kernel;
        TRecordingLookup lookup(true);
        auto engine = CreateDitherEngine(mode, 3, lookup);
        RunImage(*engine, image);
        EXPECT_EQ(lookup.SeenRed(), (std::vector<int>{0, 1, 2, 12, 11, 10, 20, 21, 22})) << int(mode);
    }
}

TEST(DitherEngineTest, ColumnAndDirectionFollowTheRows)
{
    TMonochromeLookup lookup;
    TDitherEngine engine(4, lookup);
    EXPECT_EQ(engine.Direction(), 1);
    EXPECT_EQ(engine.Column(), 0);
    uint8_t r, g, b;
    engine.DitherPixel(0, 0, 0, r, g, b);
    EXPECT_EQ(engine.Column(), 1);
    engine.AdvanceRow();
    EXPECT_EQ(engine.Direction(), -1);
    EXPECT_EQ(engine.Column(), 3);
    engine.DitherPixel(0, 0, 0, r, g, b);
    EXPECT_EQ(engine.Column(), 2);
    engine.AdvanceRow();
    EXPECT_EQ(engine.Direction(), 1);
    EXPECT_EQ(engine.Column(), 0);
}

TEST(DitherEngineTest, FastLookupCacheSeesTheReverseRowRightToLeft)
{
    // Row 1 runs right to left: (15,15,15) fills the cell first with entry 1,
    // which then answers for (8,8,8) as well.
    const auto palette =
        std::make_shared<TPalette>(TPalette{{{0, 0, 0, 0}, {16, 16, 16, 0}, {200, 0, 0, 0}}});
    TImage image(2, 2);
    image.Set(0, 0, 200, 0, 0);
    image.Set(1, 0, 200, 0, 0);
    image.Set(0, 1, 8, 8, 8);
    image.Set(1, 1, 15, 15, 15);
    TFastColorLookup lookup(palette);
    TDitherEngine engine(2, lookup);
    EXPECT_EQ(RunImage(engine, image), (TIndices{{2, 2}, {1, 1}}));
}

// ---- engines against the textbook definition -----------------------------

TEST(DitherEngineTest, EveryEngineMatchesTextbookDiffusionWithTruncatingRounding)
{
    const TImage images[] = {Noise(13, 9, 1), Noise(1, 7, 2), Noise(2, 5, 3), Noise(40, 3, 4)};
    for (const auto& image : images)
        for (const auto& [mode, kernel] : kModes)
            for (const auto& make : LookupMakers()) {
                auto lookup = make();
                auto reference = make();
                auto engine = CreateDitherEngine(mode, image.Width, *lookup);
                ASSERT_EQ(RunImage(*engine, image), RunTextbook(*kernel, *reference, image))
                    << "mode " << int(mode) << " width " << image.Width;
            }
}

TEST(DitherEngineTest, ImageLoopAndPixelCallsGiveTheSameIndices)
{
    const TImage image = Noise(17, 11, 99);
    for (const auto& [mode, kernel] : kModes) {
        (void)kernel;
        for (const auto& make : LookupMakers()) {
            auto lookupA = make();
            auto lookupB = make();
            auto byImage = CreateDitherEngine(mode, image.Width, *lookupA);
            auto byPixel = CreateDitherEngine(mode, image.Width, *lookupB);
            ASSERT_EQ(RunImage(*byImage, image), RunPixels(*byPixel, image)) << int(mode);
            EXPECT_EQ(byImage->Column(), byPixel->Column());
            EXPECT_EQ(byImage->Direction(), byPixel->Direction());
        }
    }
}

TEST(DitherEngineTest, KernelWeightsAddUpToTheDivisor)
{
    TMonochromeLookup lookup;
    for (uint8_t mode : {ditherStucki, ditherSierra, ditherJaJuNi, ditherSteveArche, ditherBurkes}) {
        auto engine = CreateDitherEngine(mode, 4, lookup);
        const auto* kernelEngine = dynamic_cast<TKernelDitherer*>(engine.get());
        ASSERT_NE(kernelEngine, nullptr);
        int sum = 0;
        for (const auto& tap : kernelEngine->Kernel().Taps)
            sum += tap.Weight;
        EXPECT_EQ(sum, kernelEngine->Kernel().Divisor) << int(mode);
    }
}

// ---- hand-computed cases -------------------------------------------------

TEST(FloydSteinbergTest, HandComputedTwoRowsRoundTowardZero)
{
    // Row 0: 100 -> black (e 100); 100 + (700+8)/16 = 144 -> white (e -111);
    // 100 + (-777+8)/16 = 100 - 48 = 52 (floor would give 51).
    // Row 1 from the right, below errors 167, -299, 149:
    // 100 + (149+8)/16 = 109; 100 + (763-299+8)/16 = 129; 100 + (-882+167+8)/16 = 56.
    TRecordingLookup lookup;
    TFloydSteinbergDitherer engine(3, lookup);
    const TIndices result = RunImage(engine, Gray(3, 2, {100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(lookup.SeenRed(), (std::vector<int>{100, 144, 52, 109, 129, 56}));
    EXPECT_EQ(result, (TIndices{{0, 1, 0}, {0, 1, 0}}));
}

TEST(FloydSteinbergTest, ClampedValueIsTheOneWhoseErrorSpreads)
{
    // 10 + (-385+8)/16 = -13, clamped to 0: black with no error, so the
    // third pixel is untouched (it would get -5 from an unclamped error).
    TRecordingLookup lookup;
    TFloydSteinbergDitherer engine(3, lookup);
    RunImage(engine, Gray(3, 1, {200, 10, 100}));
    EXPECT_EQ(lookup.SeenRed(), (std::vector<int>{200, 0, 100}));

    TRecordingLookup high;
    TFloydSteinbergDitherer up(2, high);
    RunImage(up, Gray(2, 1, {127, 250}));
    EXPECT_EQ(high.SeenRed(), (std::vector<int>{127, 255}));
}

TEST(FloydSteinbergTest, MidGrayToMonochromeIsACheckerboardStartingWhite)
{
    TImage image(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.Set(x, y, 128, 128, 128);
    TMonochromeLookup lookup;
    TFloydSteinbergDitherer engine(16, lookup);
    const TIndices result = RunImage(engine, image);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(result[size_t(y)][size_t(x)], (x + y) % 2 == 0 ? 1 : 0) << x << "," << y;
}

TEST(BurkesTest, HandComputedTwoRows)
{
    // Row 0: 100, 100 + 816/32 = 125, 100 + 1416/32 = 144 (white, e -111).
    // Row 1 from the right: 100 + (-188+16)/32 = 95 (floor: 94),
    // 100 + (1716+16)/32 = 154, 100 + (650+16)/32 = 120.
    TRecordingLookup lookup;
    TBurkesDitherer engine(3, lookup);
    const TIndices result = RunImage(engine, Gray(3, 2, {100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(lookup.SeenRed(), (std::vector<int>{100, 125, 144, 95, 154, 120}));
    EXPECT_EQ(result, (TIndices{{0, 0, 1}, {0, 1, 0}}));
}

TEST(DitherEngineTest, ExactPaletteColorsGiveUniformResultsWithEveryEngine)
{
    TImage image(9, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            image.Set(x, y, 153, 51, 204);
    for (const auto& [mode, kernel] : kModes) {
        (void)kernel;
        TNetscapeColorLookup lookup;
        auto engine = CreateDitherEngine(mode, 9, lookup);
        const TIndices result = RunImage(*engine, image);
        for (const auto& row : result)
            for (int index : row)
                ASSERT_EQ(index, 3 * 36 + 1 * 6 + 4) << int(mode);
    }
}

// ---- creation and misuse -------------------------------------------------

TEST(DitherEngineTest, FactoryKnowsSevenModes)
{
    TMonochromeLookup lookup;
    const auto nearest = CreateDitherEngine(ditherNearest, 2, lookup);
    const TDitherEngine& plain = *nearest;
    EXPECT_EQ(typeid(plain), typeid(TDitherEngine));
    EXPECT_NE(
        dynamic_cast<TFloydSteinbergDitherer*>(CreateDitherEngine(ditherFloydSteinberg, 2, lookup).get()),
        nullptr);
    EXPECT_NE(dynamic_cast<TStuckiDitherer*>(CreateDitherEngine(ditherStucki, 2, lookup).get()), nullptr);
    EXPECT_NE(dynamic_cast<TSierraDitherer*>(CreateDitherEngine(ditherSierra, 2, lookup).get()), nullptr);
    EXPECT_NE(dynamic_cast<TJaJuNiDitherer*>(CreateDitherEngine(ditherJaJuNi, 2, lookup).get()), nullptr);
    EXPECT_NE(dynamic_cast<TSteveArcheDitherer*>(CreateDitherEngine(ditherSteveArche, 2, lookup).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<TBurkesDitherer*>(CreateDitherEngine(ditherBurkes, 2, lookup).get()), nullptr);
    EXPECT_EQ(CreateDitherEngine(7, 2, lookup), nullptr);
    EXPECT_EQ(CreateDitherEngine(255, 2, lookup), nullptr);
}

TEST(DitherEngineTest, ImageDriverRefusesUnknownModesAndEmptyPalettes)
{
    const TImage image = Noise(5, 4, 7);
    std::vector<uint8_t> pixels(20, 0xEE);
    const TIndexRowTarget target = [&](int y) { return &pixels[size_t(y) * 5]; };

    TFastColorLookup empty(std::make_shared<TPalette>());
    EXPECT_FALSE(DitherImage(image.Source(), target, empty, ditherFloydSteinberg));
    TGrayScaleLookup gray;
    EXPECT_FALSE(DitherImage(image.Source(), target, gray, 7));
    EXPECT_EQ(pixels, std::vector<uint8_t>(20, 0xEE));

    ASSERT_TRUE(DitherImage(image.Source(), target, gray, ditherSierra));
    TGrayScaleLookup reference;
    const TIndices expected = RunTextbook(kSierra, reference, image);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixels[size_t(y * 5 + x)], expected[size_t(y)][size_t(x)]);
}

TEST(DitherEngineTest, SourceOfAnotherWidthIsRefused)
{
    TMonochromeLookup lookup;
    const TImage image(3, 1);
    for (const auto& [mode, kernel] : kModes) {
        (void)kernel;
        auto engine = CreateDitherEngine(mode, 4, lookup);
        EXPECT_THROW(RunImage(*engine, image), GIFException) << int(mode);
    }
}

} // namespace
} // namespace fl
