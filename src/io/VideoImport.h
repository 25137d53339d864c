// SPDX-License-Identifier: GPL-3.0-or-later
// A video (or animated image) as an animation: the pictures of a time range
// at the video's own times or at a chosen frame rate, one palette made from
// all of them, each mapped to it with error diffusion.
#pragma once

#include <functional>

#include "io/VideoDecoder.h"

namespace fl {

class TGIFImage;

struct TVideoImportOptions {
    // The range, in seconds from the video's start; To at or below From
    // means to the end.
    double From = 0;
    double To = 0;
    // Frames a second; 0 takes every picture at its own time.
    double FramesPerSecond = 0;
    // Pixels that repeat the frame before made transparent, and frames
    // trimmed to what changes (the animation's lossless optimization).
    bool Optimize = true;
    // Progress from 0 to 100; answering false cancels the import.
    std::function<bool(int percent)> Progress;
};

// The most frames one import makes.
inline constexpr int MaxVideoFrames = 100000;

// The delays, in hundredths of a second, of frames shown from the given
// start times until `end`: each frame lasts from its start, rounded, to the
// next frame's, rounded, so that the total stays true to the video; at
// least 1 each.
std::vector<int> VideoFrameDelays(const std::vector<double>& starts, double end);

// Fills the empty animation from the source: a loop extension and the
// creator's comment on the first frame, every frame's delay, one global
// palette. Answers false, with the animation emptied, when cancelled.
// Throws EVideoError when no picture lies in the range, and GIFException
// "Image is too large" beyond the memory limits.
bool ImportVideo(TGIFImage& image, TVideoSource& source, const TVideoImportOptions& options);

} // namespace fl
