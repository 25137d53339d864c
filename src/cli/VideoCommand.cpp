// SPDX-License-Identifier: GPL-3.0-or-later
// `import-video`: any video FFmpeg reads (or an animated WebP) as an
// animation, a time range of it at its own times or a chosen frame rate.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "io/VideoImport.h"

namespace fl::cli {

namespace {

const char* const kVideoUsage =
    "Usage: frameloom-cli import-video [--from SECONDS] [--to SECONDS] [--fps N] [--no-optimize] IN OUT.gif\n"
    "  --from, --to   the part of the video to take (default: all of it)\n"
    "  --fps N        frames a second, 0.1 to 100 (default: every picture at its own time)\n"
    "  --no-optimize  keep whole frames instead of only what changes\n";

bool ParseSeconds(const std::string& text, double low, double high, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value) && value >= low && value <= high;
}

} // namespace

int RunImportVideo(const std::vector<std::string>& args)
{
    TVideoImportOptions options;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--from" || arg == "--to" || arg == "--fps";
        double value = 0;
        if (takesValue && (i + 1 >= args.size() ||
                           !ParseSeconds(args[i + 1], arg == "--fps" ? 0.1 : 0, arg == "--fps" ? 100 : 1e7, value))) {
            std::fprintf(stderr, "frameloom-cli import-video: %s takes a number%s\n", arg.c_str(),
                         arg == "--fps" ? " from 0.1 to 100" : " of seconds");
            std::fputs(kVideoUsage, stderr);
            return 2;
        }
        if (arg == "--from") {
            options.From = value;
            ++i;
        } else if (arg == "--to") {
            options.To = value;
            ++i;
        } else if (arg == "--fps") {
            options.FramesPerSecond = value;
            ++i;
        } else if (arg == "--no-optimize") {
            options.Optimize = false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "frameloom-cli import-video: unknown option \"%s\"\n", arg.c_str());
            std::fputs(kVideoUsage, stderr);
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        std::fputs(kVideoUsage, stderr);
        return 2;
    }
    TGIFImage image;
    image.WarningHandler = [](TGIFImage&, TGIFItem*, int, const std::string& message) {
        std::fprintf(stderr, "warning: %s\n", message.c_str());
    };
    try {
        const auto source = OpenVideo(paths[0]);
        ImportVideo(image, *source, options);
        image.SaveToFile(paths[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", paths[0].c_str(), error.what());
        return 1;
    }
    std::printf("%d frames\n", image.Frames.Count());
    return 0;
}

} // namespace fl::cli
