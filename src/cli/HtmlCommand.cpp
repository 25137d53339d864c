// SPDX-License-Identifier: GPL-3.0-or-later
// `html`: the web page showing a GIF file at its logical size.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "io/HtmlPage.h"

namespace fl::cli {

namespace {

// The page names the image without a folder, so it shows the image only
// when it lies beside it.
bool SameFolder(const std::string& first, const std::string& second)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path a = fs::weakly_canonical(fs::absolute(first, error).parent_path(), error);
    if (error)
        return false;
    const fs::path b = fs::weakly_canonical(fs::absolute(second, error).parent_path(), error);
    return !error && a == b;
}

} // namespace

int RunHtml(const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "frameloom-cli html: unknown option \"%s\"\n", arg.c_str());
            return 2;
        }
    if (args.size() != 2) {
        std::fputs("Usage: frameloom-cli html IN.gif OUT.html\n", stderr);
        return 2;
    }
    const std::string& input = args[0];
    const std::string& output = args[1];

    TGIFImage image;
    if (!LoadAnimation(image, input))
        return 1;
    // The window offers the export only for an animation with frames.
    if (image.Frames.Count() == 0) {
        std::fprintf(stderr, "%s: the animation has no frames\n", input.c_str());
        return 1;
    }
    try {
        WriteHtmlPage(output, HtmlPageText(input, image.Height(), image.Width()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    if (!SameFolder(input, output))
        std::fprintf(stderr,
                     "warning: the page refers to \"%s\" without a folder; it shows the image only "
                     "when saved beside it\n",
                     FileNameWithoutFolder(input).c_str());
    return 0;
}

} // namespace fl::cli
