// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ActiveAnimationCommand.h"

#include "editing/EditorHost.h"

namespace fl {

TActiveAnimation::TActiveAnimation(TEditorHost& host, TActionType action, int frameIndex)
    : TCommand(action, frameIndex)
{
    TGIFImage& image = RequireActiveAnimation(host);
    settings_ = {image.PaintFlags(), image.ReductionMethod, image.ReductionDepth(), image.Dithering,
                 image.Encoding,     image.PlayPriority,    image.PlaySpeed,        image.BackdropColor};
    snapshot_ = std::make_unique<TAnimationSnapshot>(image, TProgressEvent());
}

void TActiveAnimation::Undo(TEditorHost& host)
{
    TGIFImage& image = RequireActiveAnimation(host);
    snapshot_->RestoreInto(image);
    // Loading keeps the document's handlers; the settings a file does not
    // hold come from the command.
    image.SetPaintFlags(settings_.PaintFlags);
    image.ReductionMethod = settings_.ReductionMethod;
    image.SetReductionDepth(settings_.ReductionDepth);
    image.Dithering = settings_.Dithering;
    image.Encoding = settings_.Encoding;
    image.PlayPriority = settings_.PlayPriority;
    image.PlaySpeed = settings_.PlaySpeed;
    image.BackdropColor = settings_.BackdropColor;
    image.SignalChange();
}

} // namespace fl
