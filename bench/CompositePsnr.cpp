// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompositePsnr.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/SubImage.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"

namespace fl::bench {

namespace {

struct TScreens {
    int Width = 0;
    int Height = 0;
    std::vector<int64_t> Times;
    // Red, green and blue of each screen, one after another.
    std::vector<uint8_t> Pixels;
};

// Plays the file once on a virtual clock and hands each screen as it is
// shown to `shown` (time, 32-bit screen); `starts`, when given, receives the
// time each frame begins by the frames' delays, in milliseconds.
bool Play(const std::string& path, int& width, int& height,
          const std::function<void(int64_t, const TBitmap&)>& shown, std::vector<int64_t>* starts = nullptr)
{
    try {
        TGIFImage image;
        image.LoadFromFile(path);
        width = image.Width();
        height = image.Height();
        TBitmap screen(width, height, TPixelFormat::pf32bit);
        TCanvas canvas(screen);
        auto clock = std::make_shared<TVirtualClock>();
        image.PlayClock = clock;
        if (starts) {
            int64_t start = 0;
            for (int i = 0; i < image.Frames.Count(); ++i) {
                starts->push_back(start);
                const TGIFSubImage& frame = *image.Frames[i];
                start += frame.ControlBlock ? 10 * int64_t(frame.ControlBlock->Delay) : 0;
            }
        }
        image.OnAfterFrame = [&](TGIFPainter& player) {
            // The player's own clock runs a little slow for the work each
            // frame takes; the delays say when a frame begins.
            const int frame = player.ActiveFrame;
            shown(starts && frame >= 0 && size_t(frame) < starts->size() ? (*starts)[size_t(frame)]
                                                                          : clock->NowMs(),
                  screen);
        };
        image.StartPlayer(nullptr, canvas, paintAnimate | paintTransparent, canvas.ClipRect());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void AppendRgb(const TBitmap& screen, std::vector<uint8_t>& out)
{
    for (int y = 0; y < screen.Height(); ++y) {
        const uint8_t* row = screen.ScanLine(y);
        for (int x = 0; x < screen.Width(); ++x)
            out.insert(out.end(), {row[4 * x + 2], row[4 * x + 1], row[4 * x]});
    }
}

} // namespace

std::optional<double> CompositePsnr(const std::string& originalPath, const std::string& otherPath)
{
    TScreens original;
    if (!Play(originalPath, original.Width, original.Height, [&](int64_t time, const TBitmap& screen) {
            original.Times.push_back(time);
            AppendRgb(screen, original.Pixels);
        }))
        return std::nullopt;
    const size_t screenBytes = size_t(original.Width) * size_t(original.Height) * 3;
    if (original.Times.empty() || screenBytes == 0)
        return std::nullopt;

    // The other file's screens in turn: each stands until its successor, and
    // is compared with every original screen shown meanwhile.
    double squares = 0;
    size_t compared = 0;
    size_t next = 0;
    std::vector<uint8_t> current;
    int width = 0, height = 0;
    const auto compareUntil = [&](int64_t until) {
        for (; next < original.Times.size() && original.Times[next] < until; ++next) {
            if (current.size() != screenBytes)
                continue;
            const uint8_t* a = original.Pixels.data() + next * screenBytes;
            for (size_t i = 0; i < screenBytes; ++i) {
                const double d = double(a[i]) - double(current[i]);
                squares += d * d;
            }
            compared += screenBytes;
        }
    };
    if (!Play(otherPath, width, height, [&](int64_t time, const TBitmap& screen) {
            compareUntil(time);
            current.clear();
            AppendRgb(screen, current);
        }))
        return std::nullopt;
    compareUntil(INT64_MAX);
    if (width != original.Width || height != original.Height || compared == 0)
        return std::nullopt;
    if (squares == 0)
        return 99.0;
    return 10 * std::log10(255.0 * 255.0 * double(compared) / squares);
}

std::optional<double> VideoPsnr(const std::string& rawPath, int width, int height, double framesPerSecond,
                                const std::string& gifPath)
{
    std::ifstream raw(rawPath, std::ios::binary);
    const size_t frameBytes = size_t(width) * size_t(height) * 3;
    if (!raw || frameBytes == 0 || framesPerSecond <= 0)
        return std::nullopt;
    double squares = 0;
    size_t compared = 0;
    int64_t next = 0; // the next video picture
    std::vector<uint8_t> picture(frameBytes), current;
    const auto compareUntil = [&](double until) {
        for (; next * 1000.0 / framesPerSecond < until - 1e-6; ++next) {
            if (!raw.read(reinterpret_cast<char*>(picture.data()), std::streamsize(frameBytes)))
                return;
            if (current.size() != frameBytes)
                continue;
            for (size_t i = 0; i < frameBytes; ++i) {
                const double d = double(picture[i]) - double(current[i]);
                squares += d * d;
            }
            compared += frameBytes;
        }
    };
    int gifWidth = 0, gifHeight = 0;
    std::vector<int64_t> starts;
    if (!Play(
            gifPath, gifWidth, gifHeight,
            [&](int64_t time, const TBitmap& screen) {
                compareUntil(double(time));
                current.clear();
                AppendRgb(screen, current);
            },
            &starts))
        return std::nullopt;
    compareUntil(INFINITY);
    if (gifWidth != width || gifHeight != height || compared == 0)
        return std::nullopt;
    if (squares == 0)
        return 99.0;
    return 10 * std::log10(255.0 * 255.0 * double(compared) / squares);
}

} // namespace fl::bench
