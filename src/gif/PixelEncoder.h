// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/Stream.h"

namespace fl {

// Pixel encodings of a document (its `Encoding` field).
constexpr uint8_t encodeLZW = 0;
constexpr uint8_t encodeRunLength = 1;

// Writes the image data of one frame: the minimum code size byte (depth, at
// least 2), the compressed data as sub-blocks, the terminator. `pixels` may be
// null (or the size 0): then only the end code is written. Pixels are taken
// row by row, or in the four interlace passes. An index not below
// `validCount` throws GIFException("Color not in color table").
void EncodeFramePixels(TStream& stream, const uint8_t* pixels, int width, int height, bool interlaced,
                       int depth, int validCount, uint8_t encoding);

} // namespace fl
