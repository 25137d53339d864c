// SPDX-License-Identifier: GPL-3.0-or-later
// What a test reads back from files it had the editor write: their bytes
// and their frame count. No test framework needed, so that the engine and
// the window tests share it.
#pragma once

#include <cstdint>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace fl::test {

// A file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Frame count of a GIF file, -1 when it cannot be read.
inline int FramesInFile(const std::string& path)
{
    try {
        TGIFImage image;
        image.LoadFromFile(path);
        return image.Frames.Count();
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace fl::test
