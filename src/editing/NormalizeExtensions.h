// SPDX-License-Identifier: GPL-3.0-or-later
// Brings a frame's extensions into the shape the program writes: one control
// block per frame, a loop extension only on the first frame, no zero delays.
#pragma once

#include "editing/FrameSettings.h"

namespace fl {

class TGIFImage;

// For each frame in order: a frame without a control block gets one (delay
// 100, disposal 1); loop extensions of frames after the first are removed;
// of several control blocks only the last remains; a transparent frame
// after the first that is exactly as large as the animation is set to
// restore the background, unless leaveDisposal; a delay of 0 becomes the
// default delay. When a later frame lost a loop extension and the first
// frame has none, it gets one with the default loop count.
void NormalizeExtensions(TGIFImage& image, bool leaveDisposal, const TAnimationDefaults& defaults);

} // namespace fl
