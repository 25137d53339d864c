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

namespace {

// The frame's place on the logical screen scaled into rect.
TRect ScaledPlace(const TRect& rect, const TRect& bounds, int screenWidth, int screenHeight)
{
    return {rect.Left + MulDiv(bounds.Left, rect.Width(), screenWidth),
            rect.Top + MulDiv(bounds.Top, rect.Height(), screenHeight),
            rect.Left + MulDiv(bounds.Right, rect.Width(), screenWidth),
            rect.Top + MulDiv(bounds.Bottom, rect.Height(), screenHeight)};
}

} // namespace

bool TGIFSubImage::PaintsFromPixels(const TRect& rect, bool tile)
{
    TGIFImage* image = Image();
    if (tile || !image || image->DitheringInEffect() || IsEmpty() ||
        PixelBytes() < size_t(width_) * size_t(height_))
        return false;
    const TRect place = ScaledPlace(rect, BoundsRect(), image->Width(), image->Height());
    return place.Width() == width_ && place.Height() == height_;
}

void TGIFSubImage::PaintOn(TCanvas& canvas, const TRect& rect, bool tile, bool transparent)
{
    TGIFImage* image = Image();
    const int screenWidth = image ? image->Width() : width_;
    const int screenHeight = image ? image->Height() : height_;
    if (IsEmpty() || screenWidth <= 0 || screenHeight <= 0)
        return;
    const TRect place = ScaledPlace(rect, BoundsRect(), screenWidth, screenHeight);

    // Drawn at its own size, the frame's indices go straight onto the
    // canvas: the same pixels as its rendering and mask would give, without
    // making them. Pixels of the transparent index are what the mask leaves out.
    if (PaintsFromPixels(rect, tile)) {
        const int skip = transparent && Transparent && ControlBlock ? ControlBlock->TransparentIndex() : -1;
        const TPaletteHandle palette = PaletteHandle();
        canvas.DrawIndexed(place.Left, place.Top, Pixels(), width_, height_, size_t(width_), palette.get(), skip);
        canvas.Changed();
        return;
    }
    if (!RenderBitmap())
        return;
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
