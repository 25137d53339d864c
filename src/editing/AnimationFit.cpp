// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/AnimationFit.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/Bitmap.h"

namespace fl {

namespace {

// The top-left area of a bitmap in a new one of the same format. Rows start
// at pixel 0, so even packed formats copy whole leading bytes.
TBitmap CroppedCopy(const TBitmap& source, int width, int height)
{
    TBitmap result(width, height, source.PixelFormat());
    result.SetPalette(source.Palette());
    const size_t bytes = (static_cast<size_t>(width) * static_cast<size_t>(source.BitsPerPixel()) + 7) / 8;
    for (int y = 0; y < height; ++y)
        std::memcpy(result.ScanLine(y), source.ScanLine(y), bytes);
    return result;
}

} // namespace

void CropBitmap(TBitmap& bitmap, int height, int width)
{
    width = std::clamp(width, 0, bitmap.Width());
    height = std::clamp(height, 0, bitmap.Height());
    if (width == bitmap.Width() && height == bitmap.Height())
        return;
    TBitmap cropped = CroppedCopy(bitmap, width, height);
    cropped.Transparent = bitmap.Transparent;
    if (const TBitmap* mask = bitmap.Mask(); mask && width > 0 && height > 0)
        cropped.SetMask(std::make_unique<TBitmap>(CroppedCopy(*mask, width, height)));
    // Assignment keeps the bitmap's own notification handlers.
    bitmap = std::move(cropped);
    bitmap.NotifyChanged();
}

void CropFramesToAnimation(TGIFImage& image, const TBitmap& newSize)
{
    const int width = newSize.Width();
    const int height = newSize.Height();
    bool stopped = false;
    for (const auto& item : image.Frames) {
        TGIFSubImage& frame = *item;
        if (frame.Left() + frame.Width() <= width && frame.Top() + frame.Height() <= height)
            continue;
        if (!stopped)
            image.StopAllPlayers();
        stopped = true;
        // A frame cut on one side only keeps its own size on the other.
        const int keptWidth = std::clamp(width - frame.Left(), 0, frame.Width());
        const int keptHeight = std::clamp(height - frame.Top(), 0, frame.Height());
        if (keptWidth == 0 || keptHeight == 0 || frame.IsEmpty()) {
            frame.FreePixels();
            frame.SetGeometry(0, 0, 0, 0);
            continue;
        }
        // Frames keep one index per byte with no row padding.
        const int oldWidth = frame.Width();
        std::vector<uint8_t> kept(static_cast<size_t>(keptWidth) * static_cast<size_t>(keptHeight));
        for (int y = 0; y < keptHeight; ++y)
            std::memcpy(&kept[static_cast<size_t>(y) * static_cast<size_t>(keptWidth)],
                        frame.Pixels() + static_cast<size_t>(y) * static_cast<size_t>(oldWidth),
                        static_cast<size_t>(keptWidth));
        frame.SetGeometry(frame.Left(), frame.Top(), keptWidth, keptHeight);
        std::memcpy(frame.Pixels(), kept.data(), kept.size());
        // The cached rendering shows the old pixels.
        frame.ReplaceBitmap(nullptr);
        frame.MaskPending = true;
    }
    if (stopped)
        image.SignalChange();
}

void FitImageToAnimation(TGIFImage& image, TBitmap& bitmap, TFitMode mode)
{
    if (bitmap.Empty())
        return;
    switch (mode) {
    case TFitMode::ResizeAnimation:
        CropFramesToAnimation(image, bitmap);
        image.SetWidth(bitmap.Width());
        image.SetHeight(bitmap.Height());
        break;
    case TFitMode::CropImage:
        if (image.Width() > 0 && image.Height() > 0)
            CropBitmap(bitmap, std::min(bitmap.Height(), image.Height()),
                       std::min(bitmap.Width(), image.Width()));
        break;
    }
}

void MoveEmptyFramesToEnd(TGIFImage& image)
{
    const int last = image.Frames.Count() - 1;
    int unsorted = image.Frames.Count();
    for (int i = 0; i < unsorted;) {
        if (image.Frames[i]->IsEmpty()) {
            image.Frames.Move(i, last);
            --unsorted;
        } else {
            ++i;
        }
    }
}

} // namespace fl
