// SPDX-License-Identifier: GPL-3.0-or-later
// The loop count as the user sees it: how many times the animation plays.
// 1 means no loop extension, 0 plays forever, and n >= 2 is a loop extension
// on the first frame storing n - 1. A stored 0 or 65535 reads back as 0.
#pragma once

#include <cstdint>

namespace fl {

class TGIFImage;
class TGIFSubImage;
class TGIFAppExtNSLoop;

// The loop count a stored value stands for, and the value a count stores.
// Counts beyond what 16 bits can say are kept at the largest finite count,
// since 65535 would read back as "forever"; negative counts mean forever.
int LoopCountFromStored(uint16_t stored);
uint16_t StoredLoopCount(int count);

// The first loop extension of the frame, or null.
TGIFAppExtNSLoop* FindLoopExtension(const TGIFSubImage& frame);
// Whether the first frame carries a loop extension.
bool HasLoopExtension(const TGIFImage& image);
// 1 without a loop extension on the first frame (or without frames).
int GetLoopCount(const TGIFImage& image);

// Puts a loop extension storing count - 1 at the front of the frame's
// extensions; a count of 1 adds nothing. An index outside the frames fails
// with GIFException.
void AddLoopExtension(TGIFImage& image, int frameIndex, int count);
// Inserts a loop extension storing the value as it is at the front of the
// frame's extensions (a moved extension keeps exactly what it stored).
void InsertStoredLoopExtension(TGIFSubImage& frame, uint16_t stored);
// Sets the loop count: the first frame's loop extension stores it and the
// answer is true; without one, one is added (answer false). A count of 1
// changes nothing and answers false, as does an animation without frames.
bool SetLoopCount(TGIFImage& image, int count);

} // namespace fl
