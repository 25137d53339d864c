// SPDX-License-Identifier: GPL-3.0-or-later
// Figures about a whole animation that the editor shows or decides on.
#pragma once

#include <cstdint>

namespace fl {

class TGIFImage;

// The byte size of the animation written as GIF (written to memory and
// measured). Errors of the writer pass through.
int64_t SavedSize(TGIFImage& image);
// The sum of all frame delays in hundredths of a second; frames without a
// control block count 0.
int64_t TotalDelay(const TGIFImage& image);
// Whether at least two frames have pixels.
bool HasSeveralFrames(const TGIFImage& image);

} // namespace fl
