// SPDX-License-Identifier: GPL-3.0-or-later
// Color reduction of the corpus photos: every method and dither mode of
// ReduceBitmapColors, and ImageMagick's 256-color quantization (no dither and
// Floyd-Steinberg) in the same run. Prints time, Mpx/s and PSNR of each, and
// the ratios the targets are stated in.
#include <Magick++.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "color/BitmapReduction.h"
#include "color/ColorReduction.h"
#include "color/FixedPalettes.h"
#include "platform/Bitmap.h"

namespace {

using fl::TBitmap;
using Clock = std::chrono::steady_clock;

// Median wall time in seconds of `runs` calls.
double MedianSeconds(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Psnr(const std::vector<uint8_t>& rgbA, const std::vector<uint8_t>& rgbB)
{
    double sum = 0;
    for (size_t i = 0; i < rgbA.size(); ++i) {
        const double d = double(rgbA[i]) - double(rgbB[i]);
        sum += d * d;
    }
    const double mse = sum / double(rgbA.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Top-down RGB bytes of any bitmap.
std::vector<uint8_t> RgbOf(const TBitmap& bitmap)
{
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(bitmap.Width()) * size_t(bitmap.Height()) * 3);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const uint32_t color = bitmap.PixelColor(x, y);
            rgb.push_back(uint8_t(color >> 16));
            rgb.push_back(uint8_t(color >> 8));
            rgb.push_back(uint8_t(color));
        }
    return rgb;
}

struct TResult {
    double Seconds = 0;
    double Psnr = 0;
};

TResult Ours(const TBitmap& photo, const std::vector<uint8_t>& reference, uint8_t method, uint8_t dither, int runs)
{
    const fl::TPaletteHandle custom = fl::MakeWebSafePalette();
    std::unique_ptr<TBitmap> reduced;
    TResult result;
    result.Seconds = MedianSeconds(runs, [&] {
        TBitmap source(photo); // already 24 bits: the in-place conversion costs nothing
        reduced = fl::ReduceBitmapColors(source, method, dither, 8, custom);
    });
    result.Psnr = Psnr(reference, RgbOf(*reduced));
    return result;
}

TResult ImageMagickQuantize(const std::vector<uint8_t>& reference, int width, int height, bool dither, int runs)
{
    Magick::Image quantized;
    TResult result;
    result.Seconds = MedianSeconds(runs, [&] {
        Magick::Image image(size_t(width), size_t(height), "RGB", Magick::CharPixel, reference.data());
        image.quantizeColors(256);
        image.quantizeDither(dither);
        if (dither)
            image.quantizeDitherMethod(Magick::FloydSteinbergDitherMethod);
        image.quantize();
        quantized = image;
    });
    std::vector<uint8_t> rgb(reference.size());
    quantized.write(0, 0, size_t(width), size_t(height), "RGB", Magick::CharPixel, rgb.data());
    result.Psnr = Psnr(reference, rgb);
    return result;
}

const char* const kMethods[] = {"", "system 20", "halftone", "gray 4", "monochrome", "gray 256", "web-safe",
                                "octree", "octree+system", "custom (web-safe)"};
const char* const kDithers[] = {"nearest", "Floyd-Steinberg", "Stucki", "Sierra", "JaJuNi", "Stevenson-Arce",
                                "Burkes"};

} // namespace

int main(int argc, char** argv)
{
    Magick::InitializeMagick(argc > 0 ? argv[0] : nullptr);
    const std::string corpus = std::string(FL_SHARED_DIR) + "/corpus/still/";
    const int runs = 5;
    bool missed = false;
    for (const char* name : {"harvesters.bmp", "hibiscus.regular.bmp"}) {
        TBitmap photo;
        try {
            photo.LoadFromFile(corpus + name);
        } catch (const std::exception& error) {
            std::printf("%s: %s\n", name, error.what());
            return 1;
        }
        photo.SetPixelFormat(fl::TPixelFormat::pf24bit);
        const std::vector<uint8_t> reference = RgbOf(photo);
        const double mpx = double(photo.Width()) * photo.Height() / 1e6;
        std::printf("\n%s (%dx%d, %.2f Mpx), median of %d runs\n", name, photo.Width(), photo.Height(), mpx, runs);
        std::printf("%-18s %-16s %10s %10s %8s\n", "method", "mapping", "ms", "Mpx/s", "PSNR dB");

        const TResult magickPlain = ImageMagickQuantize(reference, photo.Width(), photo.Height(), false, runs);
        const TResult magickFs = ImageMagickQuantize(reference, photo.Width(), photo.Height(), true, runs);
        TResult octreeNearest, octreeFs, webFs;
        for (uint8_t method = 1; method <= 9; ++method)
            for (uint8_t dither = 0; dither <= 6; ++dither) {
                const TResult r = Ours(photo, reference, method, dither, runs);
                std::printf("%-18s %-16s %10.2f %10.1f %8.2f\n", kMethods[method], kDithers[dither], r.Seconds * 1e3,
                            mpx / r.Seconds, r.Psnr);
                if (method == fl::reduceQuantize && dither == 0)
                    octreeNearest = r;
                if (method == fl::reduceQuantize && dither == 1)
                    octreeFs = r;
                if (method == fl::reduceWebSafe216 && dither == 1)
                    webFs = r;
            }
        for (const auto& [label, r] : {std::pair{"ImageMagick 256", magickPlain}, {"ImageMagick 256 FS", magickFs}})
            std::printf("%-18s %-16s %10.2f %10.1f %8.2f\n", label, "", r.Seconds * 1e3, mpx / r.Seconds, r.Psnr);

        const double speedup = magickPlain.Seconds / octreeNearest.Seconds;
        const double psnrGap = magickPlain.Psnr - octreeNearest.Psnr;
        std::printf("octree 256 nearest vs ImageMagick no dither: %.1fx faster (target >= 10x), PSNR %+.2f dB "
                    "(target within 2 dB)\n",
                    speedup, -psnrGap);
        std::printf("octree 256 Floyd-Steinberg vs ImageMagick FS: %.1fx faster, PSNR %+.2f dB\n",
                    magickFs.Seconds / octreeFs.Seconds, octreeFs.Psnr - magickFs.Psnr);
        std::printf("Floyd-Steinberg: %.1f Mpx/s with the octree palette, %.1f Mpx/s with the web-safe cube "
                    "(target >= 100)\n",
                    mpx / octreeFs.Seconds, mpx / webFs.Seconds);
        if (std::string(name) == "harvesters.bmp" && (speedup < 10 || psnrGap > 2))
            missed = true;
    }
    std::printf("\n%s\n", missed ? "missed: octree target on harvesters" : "octree targets met");
    return 0;
}
