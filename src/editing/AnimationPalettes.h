// SPDX-License-Identifier: GPL-3.0-or-later
// Shrinking an animation's color tables to one shared palette.
#pragma once

namespace fl {

class TGIFImage;

// Sorts and trims the animation's color tables (the color-table part of its
// optimization only) and then merges them into one global color map.
void OptimizeAnimationPalettes(TGIFImage& image);

} // namespace fl
