// SPDX-License-Identifier: GPL-3.0-or-later
// Merging all color maps of an animation into one global map.
#pragma once

namespace fl {

class TGIFImage;

// Replaces every color map of the animation by one global map of at most
// 256 colors: identical colors merge, the least used colors map onto kept
// ones when there are too many, and one slot is kept for transparency when a
// frame shows transparent pixels. Stops every player first.
void MergeColorMaps(TGIFImage& image);

// Whether every color the frames show (transparent pixels aside) fits one
// table of 256 entries, with a slot for transparency when a frame shows
// transparent pixels: then MergeColorMaps changes no pixel's color.
bool FitsOneColorMap(TGIFImage& image);

} // namespace fl
