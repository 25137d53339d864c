// SPDX-License-Identifier: GPL-3.0-or-later
// Color reduction of a true-color photo: the octree palette and the dither
// engines mapping every pixel, in pixels per second. The photo is the
// corpus's 24-bit BMP, read here with a few lines rather than the bitmap
// layer so that only the color code is measured.
#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "BenchSupport.h"
#include "color/ColorQuantizer.h"
#include "color/Ditherers.h"
#include "color/FixedPalettes.h"
#include "platform/Stream.h"

namespace fl::bench {

namespace {

struct TPhoto {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bgr; // top row first, unpadded
    std::string Error;

    TBGRRowSource Source() const
    {
        return {Width, Height, [this](int y) { return &Bgr[size_t(y) * size_t(Width) * 3]; }};
    }
};

uint32_t ReadLE(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[at + size_t(i)];
    return value;
}

const TPhoto& Photo()
{
    static const TPhoto photo = [] {
        TPhoto p;
        try {
            const std::vector<uint8_t> bytes = ReadFileBytes(CorpusDir() + "/still/harvesters.bmp");
            if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || ReadLE(bytes, 28, 2) != 24)
                throw std::runtime_error("not a 24-bit BMP");
            const size_t offset = ReadLE(bytes, 10, 4);
            p.Width = int(ReadLE(bytes, 18, 4));
            const auto height = int32_t(ReadLE(bytes, 22, 4));
            p.Height = height < 0 ? -height : height;
            const size_t stride = (size_t(p.Width) * 3 + 3) & ~size_t(3);
            if (offset + stride * size_t(p.Height) > bytes.size())
                throw std::runtime_error("truncated BMP");
            p.Bgr.resize(size_t(p.Width) * 3 * size_t(p.Height));
            for (int y = 0; y < p.Height; ++y) {
                // Stored bottom-up unless the height is negative.
                const int fileRow = height < 0 ? y : p.Height - 1 - y;
                std::memcpy(&p.Bgr[size_t(y) * size_t(p.Width) * 3],
                            &bytes[offset + stride * size_t(fileRow)], size_t(p.Width) * 3);
            }
        } catch (const std::exception& e) {
            p.Error = e.what();
        }
        return p;
    }();
    return photo;
}

template <class MakeLookup> void RunDither(benchmark::State& state, uint8_t mode, MakeLookup makeLookup)
{
    const TPhoto& photo = Photo();
    if (!photo.Error.empty()) {
        state.SkipWithError(photo.Error.c_str());
        return;
    }
    std::vector<uint8_t> indices(size_t(photo.Width) * size_t(photo.Height));
    const TIndexRowTarget target = [&](int y) { return &indices[size_t(y) * size_t(photo.Width)]; };
    for (auto _ : state) {
        // A fresh lookup each time: the fast lookup's cache fills during the run.
        auto lookup = makeLookup();
        auto engine = CreateDitherEngine(mode, photo.Width, *lookup);
        engine->DitherImage(photo.Source(), target);
        benchmark::DoNotOptimize(indices.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * photo.Width * photo.Height);
    state.counters["Mpx/s"] = benchmark::Counter(double(photo.Width) * photo.Height / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

TPaletteHandle QuantizedPalette()
{
    static const TPaletteHandle palette = BuildQuantizedPalette(Photo().Source(), 256, 8, false);
    return palette;
}

void BM_DitherWebSafe(benchmark::State& state)
{
    RunDither(state, uint8_t(state.range(0)), [] { return std::make_unique<TNetscapeColorLookup>(); });
}

void BM_DitherQuantized(benchmark::State& state)
{
    if (!Photo().Error.empty()) {
        state.SkipWithError(Photo().Error.c_str());
        return;
    }
    const TPaletteHandle palette = QuantizedPalette();
    RunDither(state, uint8_t(state.range(0)), [&] { return std::make_unique<TFastColorLookup>(palette); });
}

void BM_QuantizePalette(benchmark::State& state)
{
    const TPhoto& photo = Photo();
    if (!photo.Error.empty()) {
        state.SkipWithError(photo.Error.c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildQuantizedPalette(photo.Source(), 256, 8, false));
    state.counters["Mpx/s"] = benchmark::Counter(double(photo.Width) * photo.Height / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

// Argument: the dither mode code (0 nearest, 1 Floyd-Steinberg, ... 6 Burkes).
BENCHMARK(BM_DitherWebSafe)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DitherQuantized)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuantizePalette)->Unit(benchmark::kMillisecond);

} // namespace fl::bench
