// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: playing an animation onto a picture of its logical
// screen with the real bitmap limits, so that a huge screen declared by a
// few bytes is reached (see RenderOnScreen).
#include "GIFRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size <= fl::fuzz::kMaxGIFInput)
        fl::fuzz::RenderOnScreen(data, size);
    return 0;
}
