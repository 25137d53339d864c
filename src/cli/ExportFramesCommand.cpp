// SPDX-License-Identifier: GPL-3.0-or-later
// `export-frames`: chosen frames as separate GIF, JPEG or BMP files, named
// after OUT with "FL1" and the frame's index before the extension.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "io/FrameExport.h"

namespace fl::cli {

namespace {

const char* const kUsage =
    "Usage: frameloom-cli export-frames [--format gif|jpg|bmp] [--frames 0,2,...]\n"
    "           [--palette netscape|windows[:256|128|64|32|16|8]|system|gray|mono] [--no-optimize]\n"
    "           [--quality 0..4] [--progressive] [--grayscale] [--fast] [--mono] IN.gif OUT\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "frameloom-cli export-frames: %s\n", message.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

std::optional<int> ParseNumber(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0)
        return std::nullopt;
    return value;
}

// "0,2,5": frame indices, each written once per mention.
std::optional<std::vector<int>> ParseFrameList(const std::string& text)
{
    std::vector<int> frames;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::optional<int> index = ParseNumber(text.substr(start, comma - start));
        if (!index)
            return std::nullopt;
        frames.push_back(*index);
        if (comma == std::string::npos)
            return frames;
        start = comma + 1;
    }
}

bool ParsePalette(const std::string& text, TFrameExportOptions& options)
{
    if (text == "netscape")
        options.Palette = TExportPalette::Netscape;
    else if (text == "system")
        options.Palette = TExportPalette::WindowsSystem;
    else if (text == "gray")
        options.Palette = TExportPalette::Grayscale;
    else if (text == "mono")
        options.Palette = TExportPalette::Monochrome;
    else if (text == "windows")
        options.Palette = TExportPalette::Windows;
    else if (text.rfind("windows:", 0) == 0) {
        const std::optional<int> colors = ParseNumber(text.substr(8));
        if (!colors || WindowsPaletteBits(*colors) == 0)
            return false;
        options.Palette = TExportPalette::Windows;
        options.WindowsColors = *colors;
    } else
        return false;
    return true;
}

} // namespace

int RunExportFrames(const std::vector<std::string>& args)
{
    TFrameExportOptions options;
    options.Jpeg.Quality = JpegQualityForPosition(2);
    std::optional<std::vector<int>> frames;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "--format" || arg == "--frames" || arg == "--palette" || arg == "--quality";
        if (takesValue && i + 1 >= args.size())
            return Fail("missing value after " + arg);
        const std::string value = takesValue ? args[++i] : std::string();
        if (arg == "--format") {
            if (value == "gif")
                options.Format = TExportFormat::Gif;
            else if (value == "jpg" || value == "jpeg")
                options.Format = TExportFormat::Jpeg;
            else if (value == "bmp")
                options.Format = TExportFormat::Bitmap;
            else
                return Fail("unknown format \"" + value + "\"");
        } else if (arg == "--frames") {
            frames = ParseFrameList(value);
            if (!frames)
                return Fail("invalid frame list \"" + value + "\" (expected indices such as 0,2,5)");
        } else if (arg == "--palette") {
            if (!ParsePalette(value, options))
                return Fail("unknown palette \"" + value + "\"");
        } else if (arg == "--quality") {
            const std::optional<int> position = ParseNumber(value);
            if (!position || *position > 4)
                return Fail("quality must be 0 (excellent) to 4 (poor), not \"" + value + "\"");
            options.Jpeg.Quality = JpegQualityForPosition(*position);
        } else if (arg == "--no-optimize") {
            options.Optimized = false;
        } else if (arg == "--progressive") {
            options.Jpeg.Progressive = true;
        } else if (arg == "--grayscale") {
            options.Jpeg.Grayscale = true;
        } else if (arg == "--fast") {
            options.Jpeg.FastDct = true;
        } else if (arg == "--mono") {
            options.Monochrome = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option \"" + arg + "\"");
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    TGIFImage image;
    if (!LoadAnimation(image, paths[0]))
        return 1;
    if (!frames) {
        frames.emplace();
        for (int i = 0; i < image.Frames.Count(); ++i)
            frames->push_back(i);
    }
    const TFrameExportReport report = ExportFrames(image, *frames, paths[1], options);
    for (const std::string& written : report.Written)
        std::printf("%s\n", written.c_str());
    for (const auto& [path, reason] : report.Failed)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
    if (report.Error)
        std::fputs("An error occurred exporting one or more images.\n", stderr);
    return report.Error || !report.Failed.empty() ? 1 : 0;
}

} // namespace fl::cli
