// SPDX-License-Identifier: GPL-3.0-or-later
// Importing an AVI video as an animation: one frame per stream position,
// the video's frame duration as every frame's delay.
#pragma once

#include <cstdint>
#include <string>

namespace fl {

class TGIFImage;

// Bounds on what one import may make; a stream asking for more fails with
// EAviError "Too many frames in AVI stream" (frames) or GIFException "Image
// is too large" (pixels, as GIFMemoryLimits bounds a load).
struct TAviImportLimits {
    int MaxFrames = 100000;
};
extern TAviImportLimits AviImportLimits;

// The delay in hundredths of a second of a frame lasting scale / rate
// seconds, rounded to the nearest; a zero rate gives scale / 100 without
// the remainder. Kept within the 16 bits a delay has.
int AviFrameDelay(uint32_t scale, uint32_t rate);

// Fills the empty animation from the first video stream of the file: frames
// reduced to the web-safe cube with error diffusion, a loop extension on the
// first frame, every frame's delay, then one global palette and the
// creator's comment. Packets the decoder refuses are warned about through
// the animation's warning handler and show the previous picture. Throws
// EAviError with the message of the step that failed; what was imported
// until then stays in the animation.
void ImportAvi(TGIFImage& image, const std::string& path);

} // namespace fl
