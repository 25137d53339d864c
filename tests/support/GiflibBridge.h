// SPDX-License-Identifier: GPL-3.0-or-later
// giflib as an independent reader and writer: GIF bytes in memory to a plain
// description and back, and the description our own model should produce.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace fl::test {

struct RefColor {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const RefColor&, const RefColor&) = default;
};
using RefColorTable = std::vector<RefColor>; // always a power of two, 2..256 entries

// One extension sub-block as giflib's saved-image lists keep it: the first
// sub-block carries the extension label, the following ones the function 0.
struct RefBlock {
    int function = 0;
    std::vector<uint8_t> bytes;
    friend bool operator==(const RefBlock&, const RefBlock&) = default;
};

struct RefImage {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::optional<RefColorTable> colors;
    bool sorted = false;
    std::vector<uint8_t> pixels; // row after row, whatever the interlace flag says
    std::vector<RefBlock> extensions;
};

struct RefGif {
    int width = 0, height = 0;
    int colorResolution = 8;
    int background = 0;
    uint8_t aspect = 0;
    std::optional<RefColorTable> colors;
    bool sorted = false;
    std::vector<RefImage> images;
    std::vector<RefBlock> trailing; // extensions after the last image
};

// DGifSlurp over the bytes. On failure answers false and giflib's error text.
bool DecodeWithGiflib(const std::vector<uint8_t>& bytes, RefGif& out, std::string& error);

// Writes the description with giflib's encoder (version 89a; interlaced
// images in pass order). Color tables must have power-of-two sizes.
std::vector<uint8_t> EncodeWithGiflib(const RefGif& gif);

// What a standard reader should see in the stream our writer makes of
// `image` (call it after the save, whose recomputed flag bytes it uses):
// tables padded to a power of two, extensions of empty frames joined to the
// next image's. (A comment without text is a bare terminator, which giflib
// 5.2 cannot read at all; such documents have no description.)
RefGif DescribeAsWritten(const TGIFImage& image);

testing::AssertionResult SameRef(const RefGif& expected, const RefGif& actual);

} // namespace fl::test
