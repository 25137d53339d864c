// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/FrameSettings.h"

#include <memory>

#include "editing/LoopCount.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl {

void SetFrameDelay(TGIFSubImage& frame, int delay)
{
    if (!frame.ControlBlock) {
        // The new extension makes itself the frame's control block.
        frame.Extensions.Append(std::make_unique<TGIFGraphicControlExtension>(frame));
    }
    frame.ControlBlock->Delay = static_cast<uint16_t>(delay < 0 ? 0 : delay > 0xFFFF ? 0xFFFF : delay);
    frame.ControlBlock->SetDisposal(disposeKeep);
}

void PrepareNewFrame(TGIFSubImage& frame, int loopCount, int delay)
{
    TGIFImage* image = frame.Image();
    if (!image)
        throw GIFException("Object type not supported for operation");
    if (!HasLoopExtension(*image) && loopCount != 1) {
        // A frame not yet in an empty animation becomes its first frame.
        TGIFSubImage& first = image->Frames.Count() > 0 ? *image->Frames[0] : frame;
        InsertStoredLoopExtension(first, StoredLoopCount(loopCount));
    }
    SetFrameDelay(frame, delay);
    if (frame.LocalColors.Count() > 0)
        frame.LocalColors.SortColorMapByUse();
    TGIFGlobalColorMap& global = image->GlobalColors();
    if (global.Count() == 0 && frame.LocalColors.Count() > 0) {
        global.CopyFrom(frame.LocalColors);
        global.SortColorMapByUse();
    }
}

void AddFrameComment(TGIFSubImage& frame, const std::string& text)
{
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    comment->Lines.push_back(text);
    frame.Extensions.Append(std::move(comment));
}

} // namespace fl
