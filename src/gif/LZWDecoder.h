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
// the data does not reach keep. Leaves the stream after the data's
// terminator, whatever data follows the last pixel. Answers how many pixels
// the data gave; for fewer than the frame has, the warning ("Frame data
// ended early: ..." or "Frame data holds a code not in the table: ...") says
// how many keep the fill value. Throws GIFException ("Circular decoder table
// entry") for data whose code table runs in a cycle.
size_t DecodeFramePixels(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                         const TDecoderWarning& warn);

} // namespace fl
