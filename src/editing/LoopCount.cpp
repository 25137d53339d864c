// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/LoopCount.h"

#include <memory>

#include "gif/Extensions.h"
#include "gif/GIFImage.h"

namespace fl {

int LoopCountFromStored(uint16_t stored)
{
    // Some writers store 65535 for "forever".
    return stored == 0 || stored == 0xFFFF ? 0 : stored + 1;
}

uint16_t StoredLoopCount(int count)
{
    if (count <= 0)
        return 0;
    return static_cast<uint16_t>(count - 1 < 0xFFFE ? count - 1 : 0xFFFE);
}

TGIFAppExtNSLoop* FindLoopExtension(const TGIFSubImage& frame)
{
    return frame.Extensions.Find<TGIFAppExtNSLoop>();
}

bool HasLoopExtension(const TGIFImage& image)
{
    return image.Frames.Count() > 0 && FindLoopExtension(*image.Frames[0]);
}

int GetLoopCount(const TGIFImage& image)
{
    if (image.Frames.Count() == 0)
        return 1;
    const TGIFAppExtNSLoop* loop = FindLoopExtension(*image.Frames[0]);
    return loop ? LoopCountFromStored(loop->LoopCount) : 1;
}

void InsertStoredLoopExtension(TGIFSubImage& frame, uint16_t stored)
{
    auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = stored;
    frame.Extensions.Insert(0, std::move(loop));
}

void AddLoopExtension(TGIFImage& image, int frameIndex, int count)
{
    TGIFSubImage& frame = *image.Frames.Item(frameIndex);
    if (count == 1)
        return;
    InsertStoredLoopExtension(frame, StoredLoopCount(count));
}

bool SetLoopCount(TGIFImage& image, int count)
{
    if (count == 1 || image.Frames.Count() == 0)
        return false;
    if (TGIFAppExtNSLoop* loop = FindLoopExtension(*image.Frames[0])) {
        loop->LoopCount = StoredLoopCount(count);
        return true;
    }
    AddLoopExtension(image, 0, count);
    return false;
}

} // namespace fl
