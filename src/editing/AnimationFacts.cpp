// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/AnimationFacts.h"

#include "gif/GIFImage.h"
#include "platform/Stream.h"

namespace fl {

int64_t SavedSize(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Size();
}

int64_t TotalDelay(const TGIFImage& image)
{
    int64_t total = 0;
    for (const auto& frame : image.Frames)
        if (frame->ControlBlock)
            total += frame->ControlBlock->Delay;
    return total;
}

bool HasSeveralFrames(const TGIFImage& image)
{
    int shown = 0;
    for (const auto& frame : image.Frames)
        if (!frame->IsEmpty() && ++shown == 2)
            return true;
    return false;
}

} // namespace fl
