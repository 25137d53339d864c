// SPDX-License-Identifier: GPL-3.0-or-later
// Edits recorded as a snapshot of the whole animation: the animation-wide
// commands, and the palette edits whose pixels move with the entries.
#pragma once

#include "document/Command.h"
#include "document/Document.h"

namespace fl {

class TEditorContext;

// After an edit of the whole animation: the edit is kept, every thumbnail
// drawn again and the selected frame shown.
void FinishWholeAnimationEdit(TEditorContext& context, TDocument& document);

// Records the undo step, then makes the change. A change that fails half
// way (a warning the user aborted, memory running out) is undone at once, so
// the animation is never left half changed, and the error goes on.
template <typename Change>
void RecordAndChange(TEditorContext& context, TDocument& document, TCommandKind kind, TActionType action,
                     int frameIndex, const char* name, Change&& change)
{
    document.AddCommand(kind, action, 0, 0, frameIndex, name);
    try {
        change();
    } catch (...) {
        if (document.History().Count() > 0 && document.History().LastName() == name)
            document.RollBack();
        throw;
    }
    FinishWholeAnimationEdit(context, document);
}

} // namespace fl
