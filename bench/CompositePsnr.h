// SPDX-License-Identifier: GPL-3.0-or-later
// How close a lossy animation plays to its original: the peak signal to
// noise ratio of the composited screens at every moment a frame is shown.
#pragma once

#include <optional>
#include <string>

namespace fl::bench {

// PSNR in dB over the red, green and blue channels of every screen the
// original shows, against what the other file shows at that moment; none
// when either cannot be played or their screens differ in size, and 99 for
// identical screens.
std::optional<double> CompositePsnr(const std::string& originalPath, const std::string& otherPath);

// The PSNR of a GIF's screens against a video's pictures: `rawPath` holds
// them as rgb24, one after another, `framesPerSecond` apart; each is
// compared with the screen the GIF shows at its time. Nothing when either
// cannot be read or the sizes differ.
std::optional<double> VideoPsnr(const std::string& rawPath, int width, int height, double framesPerSecond,
                                const std::string& gifPath);

} // namespace fl::bench
