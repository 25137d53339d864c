// SPDX-License-Identifier: GPL-3.0-or-later
// One recorded edit: what it changed and the state needed to put the old
// one back into the active animation.
#pragma once

#include <cstdint>
#include <string>

namespace fl {

class TEditorHost;

// What an edit did; the same numbers for every kind of command.
using TActionType = uint8_t;
inline constexpr TActionType atUnknown = 0; // undo fails
inline constexpr TActionType atAdded = 1;
inline constexpr TActionType atRemoved = 2;
inline constexpr TActionType atChanged = 3;
inline constexpr TActionType atMoved = 4;
inline constexpr TActionType atColorAdded = 5;
inline constexpr TActionType atColorDeleted = 6;
inline constexpr TActionType atColorChanged = 7;
inline constexpr TActionType atWholeAnimation = 8;

// Which command class records an edit. Other values record nothing.
using TCommandKind = int;
inline constexpr TCommandKind ckActiveAnimation = 1;
inline constexpr TCommandKind ckPalette = 2;
inline constexpr TCommandKind ckFrame = 3;
inline constexpr TCommandKind ckComment = 4;
inline constexpr TCommandKind ckGraphicControl = 5;
inline constexpr TCommandKind ckLoop = 7;

class TCommand {
public:
    TCommand(TActionType action, int frameIndex) : ActionType(action), FrameIndex(frameIndex) {}
    virtual ~TCommand() = default;
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    // Puts the captured state back into the host's active animation.
    // Failures throw ECommandError (or the model's own errors).
    virtual void Undo(TEditorHost& host) = 0;

    std::string ActionName = "Unindentified Action";
    TActionType ActionType = atUnknown;
    // The frame the edit concerns; for palette commands -1 is the global
    // color map.
    int FrameIndex = -1;
};

} // namespace fl
