// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/PixelEncoder.h"

#include <algorithm>

#include "gif/GIFWriter.h"
#include "gif/LZWEncoder.h"
#include "gif/PixelCursor.h"
#include "gif/RLEEncoder.h"

namespace fl {

void EncodeFramePixels(TStream& stream, const uint8_t* pixels, int width, int height, bool interlaced,
                       int depth, int validCount, uint8_t encoding)
{
    // GIF needs at least 2 bits; byte pixels never need more than 8.
    const int minCodeSize = std::clamp(depth, 2, 8);
    // Indices at or above the clear code would corrupt the code stream, so
    // they fail the range check whatever the caller's count says.
    const int valid = std::min(validCount, 1 << minCodeSize);
    stream.WriteByte(static_cast<uint8_t>(minCodeSize));
    {
        TGIFWriter writer(stream);
        TCodeOutput output(writer, minCodeSize);
        if (pixels != nullptr && width > 0 && height > 0) {
            TPixelCursor cursor(pixels, width, height, interlaced, valid);
            if (encoding == encodeRunLength)
                TRLEEncoder(output).Compress(cursor);
            else
                TLZWEncoder(output).Compress(cursor);
        }
        output.PutEnd();
        writer.Finish();
    }
    stream.WriteByte(0);
}

} // namespace fl
