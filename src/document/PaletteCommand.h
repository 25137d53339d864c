// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of palette edits: a frame's local colors, or the global colors for
// frame index -1.
#pragma once

#include <memory>

#include "document/CmdColorMap.h"
#include "document/Command.h"
#include "gif/GIFTypes.h"

namespace fl {

class TCommandPalette final : public TCommand {
public:
    // colorIndex is the entry concerned (new, changed or deleted); color is
    // the old value of a changed entry and is ignored for other actions.
    // Deleting an entry throws ECommandError for index -1 or an index the
    // palette does not have.
    TCommandPalette(TEditorHost& host, TActionType action, int colorIndex, TColor color, int frameIndex);

    void Undo(TEditorHost& host) override;

    // The palette as it was, for removals and changes; may be absent.
    const TCmdColorMap* SavedColors() const { return colorMap_.get(); }
    int ColorIndex() const { return colorIndex_; }
    TColor ColorValue() const { return colorValue_; }

private:
    std::unique_ptr<TCmdColorMap> colorMap_;
    int colorIndex_;
    TColor colorValue_;
};

} // namespace fl
