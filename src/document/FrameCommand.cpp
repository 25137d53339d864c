// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FrameCommand.h"

#include <exception>

#include "document/CommandError.h"
#include "editing/ActiveFrames.h"
#include "editing/EditorHost.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

TGIFSubImage& RequireFrame(TGIFImage* image, int index)
{
    if (!image || index < 0 || index >= image->Frames.Count())
        throw ECommandError("Could not get GIFSubImage");
    return *image->Frames[index];
}

} // namespace

TFrame::TFrame(TEditorHost& host, TActionType action, int targetPosition, int frameIndex)
    : TCommand(action, frameIndex), targetPosition_(action == atMoved ? targetPosition : -1)
{
    TGIFImage* image = host.ActiveAnimation();
    const TGIFSubImage& frame = RequireFrame(image, frameIndex);
    animationHeight_ = image->Height();
    animationWidth_ = image->Width();
    left_ = static_cast<uint16_t>(frame.Left());
    top_ = static_cast<uint16_t>(frame.Top());
    width_ = static_cast<uint16_t>(frame.Width());
    height_ = static_cast<uint16_t>(frame.Height());
    interlaced_ = frame.Interlaced();
    if (action == atRemoved) {
        TBusyCursor busy(host.Messages());
        snapshot_ = std::make_unique<TAnimationSnapshot>(*image, host.ProgressReceiver());
    }
}

void TFrame::Undo(TEditorHost& host)
{
    switch (ActionType) {
    case atUnknown:
        ThrowUnknownActionType("TFrame");
    case atAdded:
        DeleteActiveFrame(host, FrameIndex);
        break;
    case atRemoved:
        RestoreRemovedFrame(host);
        break;
    case atChanged:
        RestoreGeometry(host);
        break;
    case atMoved:
        // A list that fails to follow still leaves the model moved back, so
        // the command is done either way.
        if (targetPosition_ != -1)
            MoveActiveFrame(host, targetPosition_, FrameIndex);
        break;
    default:
        break;
    }
}

void TFrame::RestoreRemovedFrame(TEditorHost& host)
{
    if (!snapshot_)
        throw ECommandError("TempFile name is empty");
    TGIFImage& image = RequireActiveAnimation(host);
    TBusyCursor busy(host.Messages());

    // The frame is copied as it was stored, its own extensions and its use
    // of the global colors included, so that the animation is exactly what
    // it was before the removal.
    TGIFImage saved;
    try {
        snapshot_->ReadInto(saved);
    } catch (const std::exception&) {
        // The file went away or was damaged behind our back: nothing to put
        // back.
        return;
    }
    if (FrameIndex < 0 || FrameIndex >= saved.Frames.Count() || FrameIndex > image.Frames.Count())
        return;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->CopyFrom(*saved.Frames[FrameIndex]);
    if (frame->IsEmpty())
        return;
    TGIFSubImage& restored = *frame;
    // Players read the frame list from their threads.
    image.StopAllPlayers();
    image.Frames.Insert(FrameIndex, std::move(frame));
    image.SignalChange();

    // The frame is back whatever the list does; a list that cannot follow
    // must not keep the command for a second insertion.
    try {
        TFrameListView& list = host.FrameList();
        list.InsertItem(FrameIndex, "Frame", FrameListPicture(restored));
        list.Select(FrameIndex);
    } catch (const std::exception&) {
    }
}

void TFrame::RestoreGeometry(TEditorHost& host)
{
    TGIFImage& image = RequireActiveAnimation(host);
    TGIFSubImage& frame = RequireFrame(&image, FrameIndex);
    image.StopAllPlayers();
    // The captured values are what the model held, so they are put back as
    // they were: growing the screen in between, or refusing a frame that
    // was already outside it, would change the animation.
    if (frame.Width() == width_ && frame.Height() == height_)
        frame.SetStoredGeometry(left_, top_, width_, height_);
    else
        frame.SetGeometry(left_, top_, width_, height_);
    frame.SetInterlaced(interlaced_);
    if (image.Height() != animationHeight_)
        image.Header.ScreenHeight = static_cast<uint16_t>(animationHeight_);
    if (image.Width() != animationWidth_)
        image.Header.ScreenWidth = static_cast<uint16_t>(animationWidth_);
    image.SignalChange();
}

} // namespace fl
