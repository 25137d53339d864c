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
    "[--merge-palettes] [--all] IN OUT\n";

} // namespace

int RunOptimize(const std::vector<std::string>& args)
{
    TGIFOptimizeOptions options = 0;
    bool mergePalettes = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--trim") {
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
        image.Optimize(options);
        if (mergePalettes) {
            MergeColorMaps(image);
            if (options & optimizeMergePixels)
                image.ChooseCodeSizes();
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
