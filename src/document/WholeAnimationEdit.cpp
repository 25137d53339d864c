// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/WholeAnimationEdit.h"

#include <algorithm>

#include "document/EditorContext.h"
#include "gif/GIFImage.h"

namespace fl {

void FinishWholeAnimationEdit(TEditorContext& context, TDocument& document)
{
    const int selected = context.Frames().Selected();
    document.MarkModified(true);
    for (int i = 0; i < context.Animation().Frames.Count(); ++i)
        context.Animation().Frames[i]->ReleaseRendering();
    context.FillFrameList();
    context.ShowFrame(std::clamp(selected, 0, std::max(context.Frames().Count() - 1, 0)));
    document.RefreshUndoState();
}

} // namespace fl
