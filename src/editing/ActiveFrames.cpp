// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ActiveFrames.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "editing/AnimationFiles.h"
#include "editing/EditorHost.h"
#include "editing/LoopCount.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

// The first frame's loop extension, taken off; its stored value if it had one.
std::optional<uint16_t> TakeLoopExtension(TGIFImage& image)
{
    if (image.Frames.Count() == 0)
        return std::nullopt;
    TGIFSubImage& first = *image.Frames[0];
    TGIFAppExtNSLoop* loop = FindLoopExtension(first);
    if (!loop)
        return std::nullopt;
    const uint16_t stored = loop->LoopCount;
    first.Extensions.Delete(first.Extensions.IndexOf(loop));
    return stored;
}

} // namespace

const TBitmap& FrameListPicture(TGIFSubImage& frame)
{
    // A frame is in the animation by then, so a rendering that fails must
    // not stop what put it there.
    try {
        if (const TBitmap* rendering = frame.RenderBitmap(); rendering && !rendering->Empty())
            return *rendering;
    } catch (const std::exception&) {
    }
    thread_local TBitmap blank;
    try {
        blank = TBitmap(std::max(0, frame.Width()), std::max(0, frame.Height()), TPixelFormat::pf1bit);
        if (!blank.Empty())
            std::fill_n(blank.Bits(), blank.RowBytes() * static_cast<size_t>(blank.Height()), uint8_t(0xFF));
    } catch (const std::exception&) {
        blank = TBitmap();
    }
    return blank;
}

bool MoveActiveFrame(TEditorHost& host, int from, int to)
{
    TGIFImage* image = host.ActiveAnimation();
    if (from == -1 || !image)
        return false;
    const int count = image->Frames.Count();
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;

    // Players read the frame list from their threads.
    image->StopAllPlayers();
    // The loop count belongs to whichever frame ends up first.
    std::optional<uint16_t> loop;
    if (from == 0 || to == 0)
        loop = TakeLoopExtension(*image);
    image->Frames.Move(from, to);
    if (loop)
        InsertStoredLoopExtension(*image->Frames[0], *loop);
    image->SignalChange();

    // The model has moved; a list that fails to follow is reported through
    // the result, and its updates are switched back on in any case.
    TFrameListView& list = host.FrameList();
    list.BeginUpdate();
    bool moved = true;
    try {
        list.MoveItem(from, to);
    } catch (const std::exception&) {
        moved = false;
    }
    list.EndUpdate();
    if (moved)
        list.Select(to);
    return moved;
}

bool DeleteActiveFrame(TEditorHost& host, int index)
{
    TGIFImage* image = host.ActiveAnimation();
    bool deleted = false;
    if (image && index >= 0 && index < image->Frames.Count()) {
        image->StopAllPlayers();
        image->Frames.Delete(index);
        image->SignalChange();
        deleted = true;
    }
    TFrameListView& list = host.FrameList();
    if (deleted) {
        try {
            list.DeleteItem(index);
            list.Select(index == 0 ? 0 : index - 1);
        } catch (const std::exception&) {
            deleted = false;
        }
    }
    list.RefreshSelected();
    return deleted;
}

bool InsertFrameFromFile(TEditorHost& host, const std::string& path, int index)
{
    TGIFImage* image = host.ActiveAnimation();
    if (!image)
        return false;
    TBusyCursor busy(host.Messages());
    TGIFImage source;
    source.OnProgress = host.ProgressReceiver();
    if (!LoadAnimationFile(host.Messages(), source, path))
        return false;
    if (index < 0 || index >= source.Frames.Count() || index > image->Frames.Count())
        return false;
    const TGIFSubImage& original = *source.Frames[index];
    if (original.IsEmpty())
        return false;
    try {
        auto frame = std::make_unique<TGIFSubImage>(image);
        frame->CopyFrom(original);
        // A frame drawn with its file's global colors keeps them as its own:
        // the active animation's global colors are others.
        if (frame->LocalColors.Count() == 0)
            frame->LocalColors.CopyFrom(source.GlobalColors());
        TGIFSubImage* inserted = frame.get();
        image->StopAllPlayers();
        image->Frames.Insert(index, std::move(frame));
        image->SignalChange();
        TFrameListView& list = host.FrameList();
        list.InsertItem(index, "Frame", FrameListPicture(*inserted));
        list.Select(index);
        return true;
    } catch (const std::exception& error) {
        ShowErrorMessage(host.Messages(), error.what());
        return false;
    }
}

} // namespace fl
