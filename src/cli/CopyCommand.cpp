// SPDX-License-Identifier: GPL-3.0-or-later
// `copy`: load a GIF and save it again, with either pixel encoder.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"

namespace fl::cli {

int RunCopy(const std::vector<std::string>& args)
{
    uint8_t encoding = encodeLZW;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--encoding" && i + 1 < args.size()) {
            const std::string& name = args[++i];
            if (name == "lzw")
                encoding = encodeLZW;
            else if (name == "rle")
                encoding = encodeRunLength;
            else {
                std::fprintf(stderr, "frameloom-cli copy: unknown encoding \"%s\" (lzw or rle)\n", name.c_str());
                return 2;
            }
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) {
        std::fputs("Usage: frameloom-cli copy [--encoding lzw|rle] IN OUT\n", stderr);
        return 2;
    }

    TGIFImage image;
    if (!LoadAnimation(image, paths[0]))
        return 1;
    image.Encoding = encoding;
    try {
        image.SaveToFile(paths[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", paths[1].c_str(), error.what());
        return 1;
    }
    return 0;
}

} // namespace fl::cli
