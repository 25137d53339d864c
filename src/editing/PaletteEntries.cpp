// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/PaletteEntries.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "gif/GIFImage.h"

namespace fl {

namespace {

bool FrameUsesIndex(const TGIFSubImage& frame, int index)
{
    const uint8_t* pixels = frame.Pixels();
    return pixels && std::memchr(pixels, index, frame.PixelBytes()) != nullptr;
}

int ColorDistance(TColor a, TColor b)
{
    const int red = RedOf(a) - RedOf(b);
    const int green = GreenOf(a) - GreenOf(b);
    const int blue = BlueOf(a) - BlueOf(b);
    return red * red + green * green + blue * blue;
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

TColorRemapTable NearestEntries(TGIFColorMap& from, TGIFColorMap& to)
{
    TColorRemapTable table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < from.Count(); ++i) {
        int best = 0;
        int bestDistance = INT_MAX;
        for (int j = 0; j < to.Count() && bestDistance > 0; ++j) {
            const int distance = ColorDistance(from.ColorAt(i), to.ColorAt(j));
            if (distance < bestDistance) {
                best = j;
                bestDistance = distance;
            }
        }
        table[static_cast<size_t>(i)] = static_cast<uint8_t>(best);
    }
    return table;
}

void RemapFrame(TGIFSubImage& frame, const TColorRemapTable& table)
{
    if (uint8_t* pixels = frame.Pixels())
        std::transform(pixels, pixels + frame.PixelBytes(), pixels,
                       [&table](uint8_t pixel) { return table[pixel]; });
    if (frame.ControlBlock)
        frame.ControlBlock->SetTransparentIndex(table[frame.ControlBlock->TransparentIndex()]);
}

bool GiveLocalPalette(TGIFImage& image, TGIFSubImage& frame)
{
    TGIFColorMap& global = image.GlobalColors();
    if (frame.LocalColors.Count() > 0 || global.Count() == 0)
        return false;
    // The frame's pixels index the global colors, so a copy of them shows
    // it unchanged; sorting by use remaps pixels and the transparent index
    // together.
    frame.LocalColors.CopyFrom(global);
    // Pixels may use the entries the global table is padded with when
    // written (up to a power of two): the copy has them too.
    while (frame.LocalColors.Count() < (1 << global.Depth()))
        frame.LocalColors.Add(0);
    frame.LocalColors.SortColorMapByUse();
    return true;
}

bool DropLocalPalette(TGIFImage& image, TGIFSubImage& frame)
{
    TGIFColorMap& global = image.GlobalColors();
    if (frame.LocalColors.Count() == 0 || global.Count() == 0)
        return false;
    // The pixels move to the global entries of their colors, so that the
    // frame keeps its look as far as the global colors allow.
    const TColorRemapTable table = NearestEntries(frame.LocalColors, global);
    frame.LocalColors.Reset();
    RemapFrame(frame, table);
    return true;
}

} // namespace fl
