// SPDX-License-Identifier: GPL-3.0-or-later
// Palette entries of the global and local tables: whether one may be
// deleted without changing what a frame shows (the global palette editor
// and the frame inspector's local palette both ask), and frames moved
// between the tables.
#pragma once

#include "gif/ColorMap.h"

namespace fl {

// Said when an entry the picture needs is to be deleted.
inline constexpr const char* ColorRequiredMessage = "This color is required by the image and cannot be removed.";

class TGIFImage;
class TGIFSubImage;

// An entry whose color occurs elsewhere in the table may always go.
// Otherwise, for a frame (frameIndex >= 0) the entry may go when none of
// that frame's pixels uses it; for the global table (frameIndex -1) when no
// frame drawn with the global colors uses it. `colors` may be a working copy
// of the table: its entries decide, the animation's pixels are counted.
bool IsEntryRemovable(TGIFImage& image, TGIFColorMap& colors, int index, int frameIndex);

// The two halves of that rule, for a working copy whose entries have moved
// away from the indices the pixels use: whether another entry has the same
// color, and whether the pixels of the frame (or of the frames drawn with
// the global colors, for -1) use the index.
bool HasTwinEntry(TGIFColorMap& colors, int index);
bool PixelsUseEntry(TGIFImage& image, int index, int frameIndex);

// For each entry of `from`, the entry of `to` with the same or the nearest
// color; indices beyond `from` map to themselves.
TColorRemapTable NearestEntries(TGIFColorMap& from, TGIFColorMap& to);
// Gives the frame's pixels and transparent index their new entries.
void RemapFrame(TGIFSubImage& frame, const TColorRemapTable& table);

// Gives a frame drawn with the global colors a local table of them (sorted
// by use, its pixels following), so that it looks the same. False, changing
// nothing, when it has one already or there are no global colors.
bool GiveLocalPalette(TGIFImage& image, TGIFSubImage& frame);
// Takes the frame's local table away, its pixels moving to the nearest
// global colors. False, changing nothing, when it has none or there are no
// global colors to draw it with.
bool DropLocalPalette(TGIFImage& image, TGIFSubImage& frame);

} // namespace fl
