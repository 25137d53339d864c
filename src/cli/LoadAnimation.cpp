// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>

#include "cli/Commands.h"
#include "gif/GIFImage.h"

namespace fl::cli {

bool LoadAnimation(TGIFImage& image, const std::string& path)
{
    image.WarningHandler = [](TGIFImage&, TGIFItem*, int, const std::string& message) {
        std::fprintf(stderr, "warning: %s\n", message.c_str());
    };
    try {
        image.LoadFromFile(path);
        return true;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.what());
        return false;
    }
}

} // namespace fl::cli
