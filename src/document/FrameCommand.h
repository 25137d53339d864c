// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of frame edits: frames added, removed, moved, and changes of a
// frame's place or interlacing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/Command.h"
#include "document/CommandSupport.h"

namespace fl {

class TFrame final : public TCommand {
public:
    // targetPosition is where a moved frame went (-1 for other actions). A
    // frame the active animation does not have throws "Could not get
    // GIFSubImage"; a removal also saves the whole animation to a temporary
    // file, and throws when that fails.
    TFrame(TEditorHost& host, TActionType action, int targetPosition, int frameIndex);

    void Undo(TEditorHost& host) override;

    int TargetPosition() const { return targetPosition_; }
    // Empty unless a removal was recorded.
    std::string TempFileName() const { return snapshot_ ? snapshot_->Path() : std::string(); }

private:
    void RestoreRemovedFrame(TEditorHost& host);
    void RestoreGeometry(TEditorHost& host);

    int animationHeight_ = 0;
    int animationWidth_ = 0;
    uint16_t left_ = 0;
    uint16_t top_ = 0;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
    bool interlaced_ = false;
    int targetPosition_ = -1;
    std::unique_ptr<TAnimationSnapshot> snapshot_;
};

} // namespace fl
