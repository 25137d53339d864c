// SPDX-License-Identifier: GPL-3.0-or-later
// The animation-wide edits behind the prompts and the palette editor, without
// their dialogs: each records its undo step on the active document, changes
// the active animation, marks the document modified (its working copy is
// written) and shows the selected frame again. Without an active document
// they do nothing.
#pragma once

#include <string>
#include <vector>

#include "gif/GIFTypes.h"

namespace fl {

class TEditorContext;
class TGIFColorMap;

// One check box of the Global Change prompt: whether the user changed it,
// its state, and whether its caption offered to make (rather than remove)
// the property.
struct TGlobalToggle {
    bool Changed = false;
    bool Checked = false;
    bool MakeCaption = true;
};

// What the Global Change prompt collected. Texts are as typed: an empty one
// or one that is not a number leaves the property as it is.
struct TGlobalFrameChange {
    std::string XOffset;
    std::string YOffset;
    std::string Delay;
    // Play speed in percent of the delays (after Delay): 200 plays twice as
    // fast. A delay that was not 0 stays at least 1.
    std::string Speed;
    TGlobalToggle Transparent;
    TGlobalToggle Interlaced;
    TGlobalToggle LocalPalette;
    // The transparent color chosen in the palette editor.
    TColor TransparentColor = 0;
    // 0..3 (None, Remove, Background, Previous) or -1 for no choice.
    int Disposal = -1;
};

// Global Frame Properties: applies the change to every frame, as one
// "Global Properties Change" step.
void ApplyGlobalFrameChange(TEditorContext& context, const TGlobalFrameChange& change);

// Animation Information: the chosen number of plays (0 forever, 1 once,
// n times). Records "Change Animation Loop" when it differs from the
// animation's; answers whether anything changed.
bool ChangeAnimationLoop(TEditorContext& context, int plays);

// Resize: every frame becomes the picture so far at the new size. Sizes
// below 1 become 10, above 1000 become 1000. Answers false, recording
// nothing, when the size asked is the current one.
bool ResizeAnimation(TEditorContext& context, int width, int height);

// Reverse Frame Order: the frames with pixels in reverse order, the empty
// ones behind them in their order, the loop extension on the new first
// frame. With fewer than two frames with pixels it only beeps (false).
bool ReverseFrameOrder(TEditorContext& context);

// Global Palette: the edited table replaces the global colors, as
// "Change Global Palette"; every frame and thumbnail is drawn again.
// origins[j] is the entry of the old table that entry j was edited from
// (-1 for an added one): when entries were deleted, the pixels drawn with
// the global colors follow their entries to the new places (and the step
// keeps the whole animation, so that Undo puts the pixels back too).
void ReplaceGlobalPalette(TEditorContext& context, TGIFColorMap& colors, const std::vector<int>& origins);

} // namespace fl
