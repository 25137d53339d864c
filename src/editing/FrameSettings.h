// SPDX-License-Identifier: GPL-3.0-or-later
// Per-frame settings the editor applies to new and saved frames: delay,
// disposal, loop extension and comments.
#pragma once

#include <string>

namespace fl {

class TGIFImage;
class TGIFSubImage;

// The comment the first frame of a new animation carries.
inline constexpr const char* CreatorComment = "Created with Quillmark Frameloom 4.0";

// The program options' defaults for new animations. The editor keeps the
// options; the routines here only receive the values.
struct TAnimationDefaults {
    int FrameDelay = 100; // hundredths of a second ("DefaultDelay")
    int LoopCount = 0;    // as the user counts loops, 0 = forever ("DefaultNSLoop")
};

// Gives the frame a graphic control extension when it has none, sets its
// delay (hundredths of a second, kept within 0..65535) and disposal 1
// (leave the frame in place).
void SetFrameDelay(TGIFSubImage& frame, int delay);

// Readies a frame made by the editor: the animation gets a loop extension
// with the count when it has none (on its first frame, or on this frame
// while the animation has no frames yet), the frame gets the delay, its own
// colors are sorted by use, and an animation without global colors takes
// the frame's, sorted by use. The frame must belong to an animation.
void PrepareNewFrame(TGIFSubImage& frame, int loopCount, int delay);

// Appends a comment extension holding the text to the frame's extensions.
void AddFrameComment(TGIFSubImage& frame, const std::string& text);

} // namespace fl
