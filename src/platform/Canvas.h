// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing surfaces: a canvas draws on one of the engine's bitmaps, kept at 32
// bits per pixel (blue, green, red, unused), with the few operations the
// player and the editor need: fill, copy and stretch between canvases, draw
// a bitmap of any format, and draw one through a transparency mask.
//
// Stretching takes the nearest source pixel, as the platform's default stretch
// mode does for color images: target column x of a destination rectangle D
// reads source column S.Left + (x - D.Left) * S.Width / D.Width (rounded
// down), rows likewise. Every operation is clipped to the target bitmap and
// to the source's bounds; rectangles without area draw nothing.
#pragma once

#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Rect.h"

namespace fl {

// Identifies a canvas for as long as it exists; never reused.
using TCanvasHandle = uint64_t;

// Whether a canvas with this handle still exists (any thread may ask).
bool IsDeviceContext(TCanvasHandle handle);

// A color value laid out 0x00BBGGRR (the model's TColor).
using TCanvasColor = uint32_t;

class TCanvas {
public:
    // Draws on the bitmap, which is converted to 32 bits per pixel when it
    // has another format; the bitmap must outlive the canvas.
    explicit TCanvas(TBitmap& target);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBitmap& Bitmap() const { return target_; }
    TCanvasHandle Handle() const { return handle_; }
    // The whole bitmap.
    TRect ClipRect() const { return {0, 0, target_.Width(), target_.Height()}; }

    // The solid brush FillRect uses.
    TCanvasColor BrushColor = 0x00FFFFFF;

    void FillRect(const TRect& rect) { FillRect(rect, BrushColor); }
    void FillRect(const TRect& rect, TCanvasColor color);
    // Copies sourceRect of the source canvas onto rect, stretched; the source
    // may be this canvas when the rectangles do not overlap.
    void CopyRect(const TRect& rect, const TCanvas& source, const TRect& sourceRect);
    // Draws the whole bitmap (any pixel format; indexed formats through its
    // palette) stretched onto rect.
    void StretchDraw(const TRect& rect, const TBitmap& bitmap);
    // Draws the bitmap unscaled with its top-left corner at (x, y).
    void Draw(int x, int y, const TBitmap& bitmap);
    // Draws the bitmap stretched onto rect through the mask (a bitmap of the
    // same size, bit 1 = transparent, or any format where a non-black pixel
    // is transparent): transparent pixels leave the target as it was.
    void MaskedStretchDraw(const TRect& rect, const TBitmap& bitmap, const TBitmap& mask);

    // Draws rows of 8-bit color indices (stride bytes apart) unscaled with
    // their top-left corner at (x, y), through the palette (indices past its
    // end show black); pixels equal to skipIndex (when 0..255) leave the
    // target as it was. Frames are drawn this way straight from their pixels.
    void DrawIndexed(int x, int y, const uint8_t* pixels, int width, int height, size_t stride,
                     const TPalette* palette, int skipIndex);

    // Tells the bitmap's holder that the canvas changed (its OnChange).
    void Changed();

private:
    TBitmap& target_;
    TCanvasHandle handle_;
};

} // namespace fl
