// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/AnimationPalettes.h"

#include "gif/ColorMapOptimizer.h"
#include "gif/GIFImage.h"

namespace fl {

void OptimizeAnimationPalettes(TGIFImage& image)
{
    // Trimmed tables first: merging then has fewer unused colors to place.
    image.Optimize(optimizeColorTables);
    MergeColorMaps(image);
}

} // namespace fl
