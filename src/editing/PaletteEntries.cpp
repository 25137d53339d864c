// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/PaletteEntries.h"

#include <cstring>

#include "gif/GIFImage.h"

namespace fl {

namespace {

bool FrameUsesIndex(const TGIFSubImage& frame, int index)
{
    const uint8_t* pixels = frame.Pixels();
    return pixels && std::memchr(pixels, index, frame.PixelBytes()) != nullptr;
}

} // namespace

bool HasTwinEntry(TGIFColorMap& colors, int index)
{
    const TColor color = colors.ColorAt(index);
    for (int other = 0; other < colors.Count(); ++other)
        if (other != index && colors.ColorAt(other) == color)
            return true;
    return false;
}

bool PixelsUseEntry(TGIFImage& image, int index, int frameIndex)
{
    if (frameIndex >= 0)
        return frameIndex < image.Frames.Count() && FrameUsesIndex(*image.Frames[frameIndex], index);
    for (int i = 0; i < image.Frames.Count(); ++i) {
        TGIFSubImage& frame = *image.Frames[i];
        if (&frame.ActiveColors() == &image.GlobalColors() && FrameUsesIndex(frame, index))
            return true;
    }
    return false;
}

bool IsEntryRemovable(TGIFImage& image, TGIFColorMap& colors, int index, int frameIndex)
{
    if (index < 0 || index >= colors.Count())
        return false;
    return HasTwinEntry(colors, index) || !PixelsUseEntry(image, index, frameIndex);
}

} // namespace fl
