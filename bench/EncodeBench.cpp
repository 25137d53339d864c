// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel encoding alone, ours against giflib's EGifPutLine on the same
// indices: the frames of the corpus files are decoded once with giflib, then
// each side compresses every frame. The counters give the compressed data
// size of each side and whether the two outputs are the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "gif/PixelEncoder.h"
#include "platform/Stream.h"

namespace fl::bench {

namespace {

struct TEncodeFrame {
    const uint8_t* Pixels;
    int Width;
    int Height;
    bool Interlaced;
    int Depth;
    int ValidCount;
    ColorMapObject* LocalMap;
};

struct TEncodeCase {
    std::string Error;
    TGifFile Gif;
    std::vector<TEncodeFrame> Frames;
    uint64_t Pixels = 0;
};

int AppendToVector(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

TEncodeCase& CaseFor(const std::string& path)
{
    // One file in memory at a time, as the corpus benchmarks do.
    static std::string loadedPath;
    static TEncodeCase c;
    if (loadedPath == path)
        return c;
    loadedPath = path;
    c = TEncodeCase();
    try {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        c.Gif = GiflibDecode(bytes.data(), bytes.size());
    } catch (const std::exception& e) {
        c.Error = e.what();
        return c;
    }
    const GifFileType& gif = *c.Gif;
    for (int i = 0; i < gif.ImageCount; ++i) {
        const SavedImage& image = gif.SavedImages[i];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif.SColorMap;
        if (map == nullptr || image.RasterBits == nullptr)
            continue;
        c.Frames.push_back({image.RasterBits, image.ImageDesc.Width, image.ImageDesc.Height,
                            image.ImageDesc.Interlace, map->BitsPerPixel, map->ColorCount,
                            image.ImageDesc.ColorMap});
        c.Pixels +=
            static_cast<uint64_t>(image.ImageDesc.Width) * static_cast<uint64_t>(image.ImageDesc.Height);
    }
    return c;
}

// Our data of every frame, concatenated.
std::vector<uint8_t> EncodeOurs(const TEncodeCase& c)
{
    std::vector<uint8_t> all;
    for (const TEncodeFrame& f : c.Frames) {
        TMemoryStream stream;
        EncodeFramePixels(stream, f.Pixels, f.Width, f.Height, f.Interlaced, f.Depth, f.ValidCount,
                          encodeLZW);
        all.insert(all.end(), stream.Bytes().begin(), stream.Bytes().end());
    }
    return all;
}

// giflib's data of every frame, concatenated: the bytes written by the
// EGifPutLine calls (plus the code size byte written with the descriptor).
std::vector<uint8_t> EncodeGiflib(TEncodeCase& c)
{
    std::vector<uint8_t> out;
    std::vector<uint8_t> data;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToVector, &error);
    const GifFileType& source = *c.Gif;
    EGifPutScreenDesc(gif, source.SWidth, source.SHeight, source.SColorResolution, source.SBackGroundColor,
                      source.SColorMap);
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (TEncodeFrame& f : c.Frames) {
        EGifPutImageDesc(gif, 0, 0, f.Width, f.Height, f.Interlaced, f.LocalMap);
        const size_t descriptorEnd = out.size();
        // giflib masks the indices in place; they are in range, so the
        // decoded frame stays as it is.
        auto* pixels = const_cast<GifPixelType*>(f.Pixels);
        if (f.Interlaced) {
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kStart[pass]; y < f.Height; y += kStep[pass])
                    EGifPutLine(gif, pixels + static_cast<size_t>(y) * static_cast<size_t>(f.Width), f.Width);
        } else {
            for (int y = 0; y < f.Height; ++y)
                EGifPutLine(gif, pixels + static_cast<size_t>(y) * static_cast<size_t>(f.Width), f.Width);
        }
        // The code size byte goes out with the descriptor.
        data.push_back(out[descriptorEnd - 1]);
        data.insert(data.end(), out.begin() + static_cast<ptrdiff_t>(descriptorEnd), out.end());
    }
    EGifCloseFile(gif, &error);
    return data;
}

void PixelEncodeOurs(benchmark::State& state, const std::string& path)
{
    TEncodeCase& c = CaseFor(path);
    if (!c.Error.empty()) {
        state.SkipWithError(c.Error.c_str());
        return;
    }
    for (auto _ : state) {
        size_t size = 0;
        for (const TEncodeFrame& f : c.Frames) {
            TMemoryStream stream;
            EncodeFramePixels(stream, f.Pixels, f.Width, f.Height, f.Interlaced, f.Depth, f.ValidCount,
                              encodeLZW);
            size += stream.Bytes().size();
        }
        benchmark::DoNotOptimize(size);
    }
    const std::vector<uint8_t> ours = EncodeOurs(c);
    state.counters["Mpx/s"] =
        benchmark::Counter(static_cast<double>(c.Pixels) / 1e6 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["bytes"] = static_cast<double>(ours.size());
    state.counters["same"] = ours == EncodeGiflib(c) ? 1 : 0;
}

void PixelEncodeGiflib(benchmark::State& state, const std::string& path)
{
    TEncodeCase& c = CaseFor(path);
    if (!c.Error.empty()) {
        state.SkipWithError(c.Error.c_str());
        return;
    }
    int error = 0;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (auto _ : state) {
        std::vector<uint8_t> out;
        GifFileType* gif = EGifOpen(&out, AppendToVector, &error);
        const GifFileType& source = *c.Gif;
        EGifPutScreenDesc(gif, source.SWidth, source.SHeight, source.SColorResolution,
                          source.SBackGroundColor, source.SColorMap);
        for (TEncodeFrame& f : c.Frames) {
            EGifPutImageDesc(gif, 0, 0, f.Width, f.Height, f.Interlaced, f.LocalMap);
            auto* pixels = const_cast<GifPixelType*>(f.Pixels);
            for (int pass = f.Interlaced ? 0 : 3; pass < 4; ++pass) {
                const int start = f.Interlaced ? kStart[pass] : 0;
                const int step = f.Interlaced ? kStep[pass] : 1;
                for (int y = start; y < f.Height; y += step)
                    EGifPutLine(gif, pixels + static_cast<size_t>(y) * static_cast<size_t>(f.Width), f.Width);
            }
        }
        EGifCloseFile(gif, &error);
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["Mpx/s"] =
        benchmark::Counter(static_cast<double>(c.Pixels) / 1e6 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["bytes"] = static_cast<double>(EncodeGiflib(c).size());
}

// The photograph and the animations (not their unoptimized copies, which
// repeat the same frames in full).
bool Measured(const std::string& name)
{
    if (name == "still/harvesters.gif")
        return true;
    return name.rfind("animated/", 0) == 0 && name.find("unoptimized/") == std::string::npos;
}

const bool kRegistered = [] {
    for (const TCorpusFile& file : CorpusFiles()) {
        if (!Measured(file.Name))
            continue;
        const std::string path = file.Path;
        benchmark::RegisterBenchmark(("PixelEncode/ours/" + file.Name).c_str(), [path](
                                                                                    benchmark::State& state) {
            PixelEncodeOurs(state, path);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PixelEncode/giflib/" + file.Name).c_str(),
                                     [path](benchmark::State& state) { PixelEncodeGiflib(state, path); })
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

} // namespace fl::bench
