// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing one frame on a canvas.
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "platform/Canvas.h"
#include "platform/MulDiv.h"

namespace fl {

void TransparentStretchBlit(TCanvas& canvas, const TRect& rect, const TBitmap& bitmap, const TBitmap& mask)
{
    canvas.MaskedStretchDraw(rect, bitmap, mask);
}

void TGIFSubImage::PaintOn(TCanvas& canvas, const TRect& rect, bool tile, bool transparent)
{
    if (!RenderBitmap())
        return;
    TGIFImage* image = Image();
    const int screenWidth = image ? image->Width() : width_;
    const int screenHeight = image ? image->Height() : height_;
    if (screenWidth <= 0 || screenHeight <= 0)
        return;

    // Without tiling: the frame's place on the screen scaled into rect.
    const TRect place{rect.Left + MulDiv(left_, rect.Width(), screenWidth),
                      rect.Top + MulDiv(top_, rect.Height(), screenHeight),
                      rect.Left + MulDiv(left_ + width_, rect.Width(), screenWidth),
                      rect.Top + MulDiv(top_ + height_, rect.Height(), screenHeight)};
    // With tiling: unscaled copies at logical-screen steps from rect's corner.
    auto forEachTile = [&](auto&& draw) {
        for (int top = rect.Top; top < rect.Bottom; top += screenHeight)
            for (int left = rect.Left; left < rect.Right; left += screenWidth)
                draw(MakeRect(left + left_, top + top_, width_, height_));
    };

    // MaskAvailable may render again: take the bitmap after it.
    const bool masked = transparent && Transparent && MaskAvailable();
    if (!bitmap_)
        return;
    const TBitmap& bitmap = *bitmap_;
    if (masked && bitmap.Mask()) {
        const TBitmap& mask = *bitmap.Mask();
        if (!tile)
            TransparentStretchBlit(canvas, place, bitmap, mask);
        else
            forEachTile([&](const TRect& at) { TransparentStretchBlit(canvas, at, bitmap, mask); });
    } else if (!tile) {
        canvas.StretchDraw(place, bitmap);
    } else {
        forEachTile([&](const TRect& at) { canvas.Draw(at.Left, at.Top, bitmap); });
    }
    canvas.Changed();
}

} // namespace fl
