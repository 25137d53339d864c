// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Stream.h"

namespace fl {

// Receives the decoder's warnings ("Premature end of data", "Decoder bit
// buffer under-run", "Invalid minimum code size"); called rarely, never per
// pixel. It may itself decode another frame.
using TDecoderWarning = std::function<void(const char* message)>;

// Decodes the image data of one frame, starting at the minimum code size byte.
// `pixels` holds width*height bytes already filled with the value that pixels
// the data does not reach keep. Leaves the stream where the data ends (after
// the terminator when the end code was met). Throws GIFException
// ("Circular decoder table entry") for data whose code table runs in a cycle.
void DecodeFramePixels(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                       const TDecoderWarning& warn);

} // namespace fl
