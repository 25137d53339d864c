// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of edits to a frame's extensions: the loop count, the graphic control
// block (delay, disposal, transparency) and comments.
#pragma once

#include <cstdint>
#include <string>

#include "document/Command.h"
#include "gif/Extensions.h"
#include "gif/GIFTypes.h"

namespace fl {

class TFrameExtension : public TCommand {
public:
    TFrameExtension(TActionType action, int extensionIndex, int frameIndex)
        : TCommand(action, frameIndex), ExtensionIndex(extensionIndex)
    {
    }

    // Position in the frame's extension list.
    int ExtensionIndex;
};

// The loop extension; callers give frame 0, the frame that carries it.
class TNSLoop final : public TFrameExtension {
public:
    // A frame the animation does not have throws the model's list error.
    TNSLoop(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex);

    void Undo(TEditorHost& host) override;

    // The stored loop count, 1 when the frame had no loop extension.
    uint16_t LoopCount = 1;
    // Whether there was one: a stored count of 1 (play twice) is a real
    // extension that undo must keep.
    bool HadExtension = false;

private:
    // The extension's identity, so that one put back is written as it was.
    TGIFApplicationId appId_{};
    uint32_t bufferSize_ = 0;
};

// The graphic control extension (TGIFSubImage::ControlBlock).
class TGCExt final : public TFrameExtension {
public:
    // All values are zero when the frame has no control block or does not
    // exist.
    TGCExt(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex);

    void Undo(TEditorHost& host) override;

    bool UserInput = false;
    bool Transparent = false;
    uint8_t TransparentColorIndex = 0;
    uint8_t Disposal = 0;
    uint16_t Delay = 0;
    TColor TransparentColor = 0;

private:
    void WriteInto(TGIFGraphicControlExtension& block) const;

    // The frame had colors to take the transparent color from.
    bool transparentColorKnown_ = false;
};

class TCommentExt final : public TFrameExtension {
public:
    // Removals and changes need a comment at the extension index: another
    // extension throws "Invalid class typecast", a missing frame or index
    // the model's list error.
    TCommentExt(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex);

    void Undo(TEditorHost& host) override;

    // The comment's lines joined with line breaks.
    std::string Text() const;
    // Kept line by line: lines may hold line breaks of their own, and the
    // lines are the sub-blocks the comment is written in.
    TGIFLines Lines;
};

} // namespace fl
