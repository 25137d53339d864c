// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector's edits without its window: what the property rows
// show, a typed or chosen value committed to the frame, the frame's local
// palette and the animation's comments. Each edit records its undo step on
// the active document before the model changes, marks the document
// modified (its working copy is written) and shows the frame again where
// its picture changed. Refusals are said through the message service.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "document/RecordedActions.h"
#include "editing/PaletteEntries.h"
#include "gif/GIFTypes.h"

namespace fl {

class TEditorContext;
class TGIFImage;

// The property grid's rows (see InspectorRowLabels).
enum TInspectorRow : int {
    irDimensions = 0,
    irHeight,
    irWidth,
    irXOffset,
    irYOffset,
    irDisplaySettings,
    irInterlaced,
    irTransparent,
    irLocalPalette,
    irFramePlaying,
    irDelay,
    irDisposal,
};

inline constexpr const char* FrameInspectorCaption = "Frame Inspector";
inline constexpr const char* NumberRequiredMessage = "This field requires a number value.";
inline constexpr const char* AcceptedValuesPrefix = "Accepted values for this field are: ";
inline constexpr const char* OffsetTooLargeMessage =
    "The frame would reach past %s pixels, the largest position a GIF image can store.";
inline constexpr const char* NoLocalPaletteQuestion =
    "Currently there is no local color map. Would you like to add one?";
inline constexpr const char* GlobalPaletteRequiredMessage =
    "Could not to create local color map. A global color map is required.";
inline constexpr const char* GlobalPaletteToDrawMessage =
    "Could not remove the local color map. A global color map is required to draw the frame.";
inline constexpr const char* PaletteOptimizedMessage =
    "The palette is already optimized to the minimum number of colors used. Use the optimization wizard to "
    "remove the local palette.";
// The comment memo's limit, in characters.
inline constexpr int MaxCommentLength = 255;

// Row kinds: bands group the rows, read-only rows only show.
bool IsGroupRow(int row);
bool IsTypedRow(int row);    // X-Offset, Y-Offset, Local Palette, Delay
bool IsDropDownRow(int row); // Interlaced, Local Palette, Disposal
// The drop-down's choices for a row: "Yes"/"No" or the disposal names.
std::vector<std::string> DropDownChoices(int row);

// What the rows show for a frame; bands and unknown frames show nothing.
struct TInspectorValues {
    std::array<std::string, InspectorRowCount> Text;
    bool Transparent = false;
    TColor TransparentColor = 0;
};
TInspectorValues InspectorValues(TEditorContext& context, int frameIndex);

// One line of the frame box per frame with pixels: "Frame 3: [h x w]".
std::vector<std::string> InspectorFrameLines(TGIFImage& image);

// Commits the text typed or chosen for the row of the frame. Answers the
// text the value cell shows afterwards (normalised: "true" becomes "Yes"),
// also when the model already held the value and nothing was recorded; or
// nothing when the text was refused (the message was shown) and the cell
// takes its previous value back. Read-only rows and bands are never
// committed.
std::optional<std::string> CommitInspectorRow(TEditorContext& context, int frameIndex, int row,
                                              const std::string& text);

// The frame's local palette. Each answers whether it changed anything.
//
// "Add Local Palette" after asking; refused without global colors.
bool AddLocalPalette(TEditorContext& context, int frameIndex);
// Appends the color ("Add Color Palette Entry"); a full table refuses.
bool AddLocalColor(TEditorContext& context, int frameIndex, TColor color);
// "Change Color Palette Entry".
bool ChangeLocalColor(TEditorContext& context, int frameIndex, int index, TColor color);
// "Delete Color Palette Entry", when the entry may go: the frame's pixels
// and transparent index follow their entries, so the frame looks the same.
bool DeleteLocalColor(TEditorContext& context, int frameIndex, int index);

// The animation's comments: every comment extension of every frame, in
// frame order and then extension order.
struct TCommentEntry {
    int FrameIndex = 0;
    int ExtensionIndex = 0;
    std::string Text;
};
std::vector<TCommentEntry> AnimationComments(TGIFImage& image);
// A new comment "Comment n" on the first frame, n its place in the list
// ("Add GIF Comment"); nothing without a frame.
std::optional<TCommentEntry> AddComment(TEditorContext& context);
// "Change GIF Comment" when the text differs (at most 255 characters kept).
bool ChangeComment(TEditorContext& context, const TCommentEntry& comment, const std::string& text);
// "Delete GIF Comment".
bool RemoveComment(TEditorContext& context, const TCommentEntry& comment);

} // namespace fl
