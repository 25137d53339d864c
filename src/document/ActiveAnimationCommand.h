// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of edits that change the animation as a whole (size, global
// properties, frame order, optimization): a copy of all of it.
#pragma once

#include <memory>
#include <string>

#include "document/Command.h"
#include "document/CommandSupport.h"
#include "gif/GIFImage.h"

namespace fl {

class TActiveAnimation final : public TCommand {
public:
    // Saves the active animation to a temporary file; the frame index is
    // kept but not used.
    TActiveAnimation(TEditorHost& host, TActionType action, int frameIndex);

    // Replaces the active animation's contents with the saved copy. A copy
    // that cannot be read throws, leaving the animation as it was.
    void Undo(TEditorHost& host) override;

    const std::string& TempFileName() const { return snapshot_->Path(); }

private:
    std::unique_ptr<TAnimationSnapshot> snapshot_;
    // What the animation holds beyond its file: a GIF file cannot bring
    // these back.
    struct TSettings {
        TGIFPaintFlags PaintFlags;
        TColorReductionMethod ReductionMethod;
        int ReductionDepth;
        TDitherMode Dithering;
        uint8_t Encoding;
        int PlayPriority;
        int PlaySpeed;
        TColor BackdropColor;
    };
    TSettings settings_;
};

} // namespace fl
