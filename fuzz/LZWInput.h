// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/LZWDecoder.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl::fuzz {

// Inputs larger than this are ignored, so one run stays short: the frame is at
// most 255 x 255 and the data no longer than this.
constexpr size_t kMaxLZWInput = 64 * 1024;

enum class LZWOutcome { Ignored, Decoded, Rejected };

// Runs one input of the LZW decoder fuzz target. Layout: width byte, height
// byte, flags byte (bit 0: interlaced), then the image data as it follows an
// image descriptor, starting at the minimum code size byte. Width or height 0
// stays 0: empty frames occur in real files. Exceptions other than
// GIFException escape.
inline LZWOutcome DecodeLZWInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > kMaxLZWInput)
        return LZWOutcome::Ignored;
    const int width = data[0];
    const int height = data[1];
    const bool interlaced = (data[2] & 1) != 0;
    // Exactly width*height bytes, so the address sanitizer sees any write past the frame.
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    TMemoryStream stream(data + 3, size - 3);
    try {
        DecodeFramePixels(stream, pixels.data(), width, height, interlaced, [](const char*) {});
    } catch (const GIFException&) {
        return LZWOutcome::Rejected;
    }
    return LZWOutcome::Decoded;
}

} // namespace fl::fuzz
