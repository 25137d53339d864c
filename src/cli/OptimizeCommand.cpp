// SPDX-License-Identifier: GPL-3.0-or-later
// `optimize`: shrink an animation without changing how it plays, and report
// the file sizes before and after.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/Commands.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/GIFImage.h"
#include "platform/FileReplace.h"
#include "platform/Stream.h"

namespace fl::cli {

namespace {

const char* const kUsage =
    "Usage: frameloom-cli optimize [--trim] [--merge-pixels] [--cleanup] [--color-tables] "
    "[--merge-palettes] [--all] [--lossy N] IN OUT\n"
    "  --merge-palettes  one global color table, when it can hold every color shown\n"
    "  --lossy N  0 (lossless, the default) to 200: colors may move about N/5 levels a channel\n";

bool ParseLossy(const std::string& text, int& lossy)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    lossy = std::stoi(text);
    return lossy <= 200;
}

} // namespace

int RunOptimize(const std::vector<std::string>& args)
{
    TGIFOptimizeOptions options = 0;
    bool mergePalettes = false;
    int lossy = 0;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--lossy") {
            if (i + 1 >= args.size() || !ParseLossy(args[++i], lossy)) {
                std::fprintf(stderr, "frameloom-cli optimize: --lossy takes a number from 0 to 200\n");
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else if (arg == "--trim") {
            options |= optimizeTrim;
        } else if (arg == "--merge-pixels") {
            options |= optimizeMergePixels;
        } else if (arg == "--cleanup") {
            options |= optimizeCleanup;
        } else if (arg == "--color-tables") {
            options |= optimizeColorTables;
        } else if (arg == "--merge-palettes") {
            mergePalettes = true;
        } else if (arg == "--all") {
            options |= optimizeAll;
            mergePalettes = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "frameloom-cli optimize: unknown option \"%s\"\n", arg.c_str());
            std::fputs(kUsage, stderr);
            return 2;
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
    std::error_code error;
    const auto before = std::filesystem::file_size(paths[0], error);
    uintmax_t after = 0;
    try {
        image.Optimize(options, lossy);
        // One global table only where it holds every color shown: merging
        // more would repaint the least used colors with others.
        if (mergePalettes && FitsOneColorMap(image)) {
            MergeColorMaps(image);
            if ((options & optimizeMergePixels) || lossy > 0)
                image.ChooseCodeSizes();
        } else if (mergePalettes) {
            std::printf("kept the local color tables: the frames show more colors than one table holds\n");
        }
        TMemoryStream optimized;
        image.SaveToStream(optimized);
        after = static_cast<uintmax_t>(optimized.Size());
        if (!error && after > before) {
            // Never larger: the file as it was is what the user gets.
            TMemoryStream original;
            original.LoadFromFile(paths[0]);
            ReplaceFileContents(paths[1], original.Data(), static_cast<size_t>(original.Size()));
            std::printf("kept the original: the optimized animation would be larger (%llu bytes)\n",
                        static_cast<unsigned long long>(after));
            after = before;
        } else {
            ReplaceFileContents(paths[1], optimized.Data(), static_cast<size_t>(optimized.Size()));
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s: %s\n", paths[1].c_str(), failure.what());
        return 1;
    }
    std::printf("before=%llu after=%llu\n", static_cast<unsigned long long>(before),
                static_cast<unsigned long long>(after));
    return 0;
}

} // namespace fl::cli
