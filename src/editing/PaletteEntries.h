// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a palette entry may be deleted without changing what a frame
// shows; the global palette editor and the frame inspector's local palette
// both ask.
#pragma once

namespace fl {

class TGIFColorMap;
class TGIFImage;

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

} // namespace fl
