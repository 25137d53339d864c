// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/NormalizeExtensions.h"

#include <algorithm>
#include <vector>

#include "editing/LoopCount.h"
#include "gif/GIFImage.h"

namespace fl {

namespace {

// Deletes every extension of the frame for which drop answers true;
// answers how many went.
template <class Predicate> int DeleteExtensions(TGIFSubImage& frame, Predicate drop)
{
    int deleted = 0;
    for (int index = frame.Extensions.Count() - 1; index >= 0; --index)
        if (drop(frame.Extensions[index])) {
            frame.Extensions.Delete(index);
            ++deleted;
        }
    return deleted;
}

} // namespace

void NormalizeExtensions(TGIFImage& image, bool leaveDisposal, const TAnimationDefaults& defaults)
{
    bool playersStopped = false;
    // Players read the extensions; none may run while one is freed.
    auto stopPlayers = [&] {
        if (!playersStopped)
            image.StopAllPlayers();
        playersStopped = true;
    };

    bool loopRemoved = false;
    for (int index = 0; index < image.Frames.Count(); ++index) {
        TGIFSubImage& frame = *image.Frames[index];
        if (index > 0 && FindLoopExtension(frame)) {
            stopPlayers();
            DeleteExtensions(frame, [](TGIFExtension* e) { return dynamic_cast<TGIFAppExtNSLoop*>(e); });
            loopRemoved = true;
        }

        std::vector<TGIFGraphicControlExtension*> blocks;
        for (const auto& extension : frame.Extensions)
            if (auto* block = dynamic_cast<TGIFGraphicControlExtension*>(extension.get()))
                blocks.push_back(block);
        if (blocks.empty()) {
            // The control block pointer follows the list; a block that is
            // not in it cannot be written.
            frame.ControlBlock = nullptr;
            SetFrameDelay(frame, 100);
            blocks.push_back(frame.ControlBlock);
        }
        TGIFGraphicControlExtension* kept = blocks.back();
        if (blocks.size() > 1) {
            stopPlayers();
            DeleteExtensions(frame, [kept](TGIFExtension* e) {
                return e != kept && dynamic_cast<TGIFGraphicControlExtension*>(e);
            });
            // A freed block unlinks itself from the frame; the survivor takes over.
            frame.ControlBlock = kept;
            frame.Transparent = kept->Transparent();
            frame.MaskPending = true;
            frame.ReplaceBitmap(nullptr);
        }

        if (index > 0 && !leaveDisposal && kept->Transparent() && frame.Width() == image.Width() &&
            frame.Height() == image.Height())
            kept->SetDisposal(disposeBackground);
        if (kept->Delay == 0)
            kept->Delay = static_cast<uint16_t>(std::clamp(defaults.FrameDelay, 0, 0xFFFF));
    }

    // The loop count belongs to the first frame. A second loop extension in
    // front of one it already has would only confuse readers.
    if (loopRemoved && image.Frames.Count() > 0 && !HasLoopExtension(image))
        AddLoopExtension(image, 0, defaults.LoopCount);
}

} // namespace fl
