// SPDX-License-Identifier: GPL-3.0-or-later
// The names edits are recorded under. They are shown in the Undo command
// ("&Undo Move Frame") and decide which inspector row an undo selects.
#pragma once

namespace fl {

inline constexpr const char* ActionMoveFrame = "Move Frame";
inline constexpr const char* ActionDeleteFrame = "Delete Frame";
inline constexpr const char* ActionAddFrame = "Add Frame";
inline constexpr const char* ActionDragAndDropImage = "Drag and Drop Image";
// "Change %s" with an inspector row label: "X-Offset", "Y-Offset", "Delay",
// "Disposal".
inline constexpr const char* ActionChangeRowFormat = "Change %s";
// "%s" or "Non-%s" with the row label "Interlaced".
inline constexpr const char* ActionNonRowFormat = "Non-%s";
inline constexpr const char* ActionAddLocalPalette = "Add Local Palette";
// "Add %s" / "Remove %s" with the row label "Local Palette".
inline constexpr const char* ActionAddRowFormat = "Add %s";
inline constexpr const char* ActionRemoveRowFormat = "Remove %s";
inline constexpr const char* ActionAddColorEntry = "Add Color Palette Entry";
inline constexpr const char* ActionChangeColorEntry = "Change Color Palette Entry";
inline constexpr const char* ActionDeleteColorEntry = "Delete Color Palette Entry";
inline constexpr const char* ActionChangeGlobalPalette = "Change Global Palette";
inline constexpr const char* ActionAddComment = "Add GIF Comment";
inline constexpr const char* ActionChangeComment = "Change GIF Comment";
inline constexpr const char* ActionDeleteComment = "Delete GIF Comment";
inline constexpr const char* ActionChangeLoop = "Change Animation Loop";
inline constexpr const char* ActionChangeSize = "Change Animation Size";
inline constexpr const char* ActionGlobalProperties = "Global Properties Change";
inline constexpr const char* ActionReverseFrames = "Reverse Frame Order";
inline constexpr const char* ActionOptimize = "GIF Optimization";

// The frame inspector's row labels in row order. After an undo the first
// label that occurs in the undone command's name selects its row.
inline constexpr const char* InspectorRowLabels[] = {
    "Dimensions & Offsets", "Height", "Width",         "X-Offset",      "Y-Offset", "Display Settings",
    "Interlaced",           "Transparent", "Local Palette", "Frame Playing", "Delay",    "Disposal"};
inline constexpr int InspectorRowCount = 12;

} // namespace fl
