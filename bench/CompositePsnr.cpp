// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompositePsnr.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
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
// shown to `shown` (time, 32-bit screen).
bool Play(const std::string& path, int& width, int& height,
          const std::function<void(int64_t, const TBitmap&)>& shown)
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
        image.OnAfterFrame = [&](TGIFPainter&) { shown(clock->NowMs(), screen); };
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

} // namespace fl::bench
