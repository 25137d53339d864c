// SPDX-License-Identifier: GPL-3.0-or-later
// `quantize`: reduce a picture to a palette and save it as a one-frame GIF.
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "color/BitmapReduction.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"

namespace fl::cli {

namespace {

bool ParseInt(const std::string& text, int low, int high, int& value)
{
    try {
        size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size() && value >= low && value <= high;
    } catch (const std::exception&) {
        return false;
    }
}

// Sum of squared channel differences between a 24-bit picture and the
// palette colors of an 8-bit one of the same size.
double SquaredError(const TBitmap& truecolor, const TBitmap& indexed)
{
    const auto& entries = indexed.Palette()->Entries;
    double sum = 0;
    for (int y = 0; y < truecolor.Height(); ++y) {
        const uint8_t* source = truecolor.ScanLine(y);
        const uint8_t* indices = indexed.ScanLine(y);
        for (int x = 0; x < truecolor.Width(); ++x) {
            const TPaletteEntry& entry = entries[indices[x]];
            const int db = source[x * 3] - entry.blue;
            const int dg = source[x * 3 + 1] - entry.green;
            const int dr = source[x * 3 + 2] - entry.red;
            sum += db * db + dg * dg + dr * dr;
        }
    }
    return sum;
}

// A one-frame animation holding the indexed picture, its palette as the
// global color table.
void BuildAnimation(const TBitmap& indexed, TGIFImage& image)
{
    for (const TPaletteEntry& entry : indexed.Palette()->Entries)
        image.GlobalColors().Add(MakeColor(entry.red, entry.green, entry.blue));
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, indexed.Width(), indexed.Height());
    for (int y = 0; y < indexed.Height(); ++y)
        std::copy_n(indexed.ScanLine(y), indexed.Width(), frame->RowAt(y));
    image.AddFrame(std::move(frame));
}

int UsedColors(const TBitmap& indexed)
{
    bool used[256] = {};
    for (int y = 0; y < indexed.Height(); ++y)
        for (int x = 0; x < indexed.Width(); ++x)
            used[indexed.ScanLine(y)[x]] = true;
    int count = 0;
    for (bool u : used)
        count += u;
    return count;
}

} // namespace

int RunQuantize(const std::vector<std::string>& args)
{
    int method = 7, bits = 8, dither = 0;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--method" && hasValue) {
            if (!ParseInt(args[++i], 0, 9, method)) {
                std::fputs("frameloom-cli quantize: --method takes 0..9\n", stderr);
                return 2;
            }
        } else if (arg == "--bits" && hasValue) {
            if (!ParseInt(args[++i], 3, 8, bits)) {
                std::fputs("frameloom-cli quantize: --bits takes 3..8\n", stderr);
                return 2;
            }
        } else if (arg == "--dither" && hasValue) {
            if (!ParseInt(args[++i], 0, 6, dither)) {
                std::fputs("frameloom-cli quantize: --dither takes 0..6\n", stderr);
                return 2;
            }
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        std::fputs("Usage: frameloom-cli quantize [--method 0..9] [--bits 3..8] [--dither 0..6] IN OUT.gif\n",
                   stderr);
        return 2;
    }
    if (method == 0) {
        std::fputs("frameloom-cli quantize: method 0 keeps 24 bits per pixel, which a GIF cannot hold\n", stderr);
        return 2;
    }

    try {
        TBitmap source;
        source.LoadFromFile(paths[0]);
        std::unique_ptr<TBitmap> reduced =
            ReduceBitmapColors(source, uint8_t(method), uint8_t(dither), bits, nullptr);
        if (reduced->Empty() || !reduced->Palette()) {
            std::fprintf(stderr, "%s: the reduction gave no picture (method %d needs a palette)\n",
                         paths[0].c_str(), method);
            return 1;
        }
        TGIFImage image;
        BuildAnimation(*reduced, image);
        image.SaveToFile(paths[1]);

        const double samples = 3.0 * source.Width() * source.Height();
        const double mse = SquaredError(source, *reduced) / samples;
        if (mse == 0)
            std::printf("colors=%d psnr=inf\n", UsedColors(*reduced));
        else
            std::printf("colors=%d psnr=%.2f\n", UsedColors(*reduced), 10 * std::log10(255.0 * 255.0 / mse));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace fl::cli
