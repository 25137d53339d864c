// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "gif/ColorMap.h"
#include "gif/Extensions.h"
#include "gif/GIFItem.h"
#include "gif/GIFList.h"
#include "platform/Bitmap.h"
#include "platform/Palette.h"
#include "platform/Rect.h"

namespace fl {

class TCanvas;
class TGIFSubImage;

using TGIFRect = TRect;

// The extensions of one frame, in file order.
class TGIFExtensionList final : public TGIFList<TGIFExtension> {
public:
    TGIFExtensionList(TGIFImage* image, TGIFSubImage& frame) : TGIFList(image), frame_(frame) {}
    void WriteAll(TStream& stream) override;
    void ReadAll(TStream& stream, TGIFSubImage& frame);

    // The first extension of the given class, or null.
    template <class E>
    E* Find() const
    {
        for (const auto& extension : *this)
            if (auto* found = dynamic_cast<E*>(extension.get()))
                return found;
        return nullptr;
    }

private:
    TGIFSubImage& frame_;
};

// One frame: its image descriptor as stored, its pixels (one color index per
// byte, rows top to bottom, no padding), its local colors and extensions.
class TGIFSubImage final : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetGeometry(value, top_, width_, height_); }
    void SetTop(int value) { SetGeometry(left_, value, width_, height_); }
    void SetWidth(int value) { SetGeometry(left_, top_, value, height_); }
    void SetHeight(int value) { SetGeometry(left_, top_, width_, value); }
    // Stores the geometry; a new size reallocates the pixels (zero), and a
    // frame outside the logical screen grows the screen.
    void SetGeometry(int left, int top, int width, int height);
    TGIFRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

    uint8_t Separator = 0x2C;
    uint8_t FrameFlags = 0;
    // The LZW minimum code size the optimizer found enough for the frame's
    // indices; 0 writes the color table's depth, as does a frame whose
    // pixels came to need more since.
    uint8_t CodeSize = 0;
    bool Interlaced() const { return FrameFlags & 0x40; }
    void SetInterlaced(bool value);

    TGIFLocalColorMap LocalColors;
    TGIFExtensionList Extensions;
    // Mirror of the transparency bit of the control block.
    bool Transparent = false;
    TGIFGraphicControlExtension* ControlBlock = nullptr;
    bool MaskPending = true;

    TGIFColorMap& ActiveColors();
    int Depth() const { return LocalColors.Depth(); }
    int ColorResolution() const { return Depth() - 1; }

    bool IsEmpty() const { return pixels_.empty() || width_ == 0 || height_ == 0; }
    // Whether every pixel is below 2 to the power codeSize.
    bool IndicesFit(int codeSize) const;
    uint8_t* Pixels() { return pixels_.empty() ? nullptr : pixels_.data(); }
    const uint8_t* Pixels() const { return pixels_.empty() ? nullptr : pixels_.data(); }
    size_t PixelBytes() const { return pixels_.size(); }
    void AllocPixels();
    void FreePixels();
    void EnsurePixels();
    uint8_t* RowAt(int y);
    uint8_t PixelAt(int x, int y);

    TGIFVersion Version() const override;
    void Reset();
    // Frame palette: cached, the 216-color cube when dithering, the
    // document's palette without local colors, else the local colors.
    TPaletteHandle PaletteHandle();
    void SetPaletteHandle(TPaletteHandle palette);

    // A deep copy of another frame (of any document); an empty source leaves
    // this frame reset, without extensions.
    void CopyFrom(const TGIFSubImage& source);

    // Frame and bitmap conversion.
    //
    // The cached rendering: an 8-bit bitmap with the frame's palette and,
    // when some pixel is transparent, a mask (bit 1 = transparent). Rendered
    // when missing; null for an empty frame.
    TBitmap* RenderBitmap();
    // The cached rendering as it is, without rendering; may be null.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    // Renders again when the mask is still pending for a transparent frame;
    // answers whether a mask exists.
    bool MaskAvailable();
    // Drops the cached rendering and, when a bitmap is given, converts it
    // into the frame.
    void ReplaceBitmap(const TBitmap* bitmap);
    // Drops the cached rendering and its mask, to save their memory; the
    // next RenderBitmap makes both again.
    void ReleaseRendering();
    // The frame made from a bitmap: its pixels, colors (reduced through the
    // document's reduction settings beyond 8 bits) and transparency mask.
    void CopyFrom(const TBitmap& bitmap);
    // From a bitmap, an icon or a document; any other graphic fails with
    // EConvertError.
    void CopyFrom(TGraphic& graphic);
    // A bitmap target receives the rendering; others fail with EConvertError.
    void CopyToGraphic(TGraphic& target);
    // Makes the pixels where the mask is non-zero transparent, in a new
    // color appended to LocalColors (black).
    void ImportMask(const TBitmap& mask);

    // Draws the frame at its place on the logical screen scaled into rect,
    // or unscaled in logical-screen tiles from rect's corner; transparent
    // pixels are left out when asked and the frame has a mask.
    void PaintOn(TCanvas& canvas, const TRect& rect, bool tile, bool transparent);
    // Whether PaintOn draws straight from the pixels, without the cached
    // rendering: unscaled, untiled and not dithered.
    bool PaintsFromPixels(const TRect& rect, bool tile);

    // Optimization: crops the transparent border (a frame without any
    // opaque pixel is reset); makes the pixels that show the same color as
    // the previous frame transparent.
    void TrimToContent();
    void RemoveDuplicatePixels(TGIFSubImage* previous);

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    // Reads the frame, refusing pixels beyond what is left of the budget of
    // the whole load; the frame's pixels are taken from it.
    void LoadFromStream(TStream& stream, uint64_t& pixelBudget);

    // Stores the descriptor fields as read, without any check or growth.
    void SetStoredGeometry(uint16_t left, uint16_t top, uint16_t width, uint16_t height);

private:
    void KeepDamagedPixelsInTable(uint8_t fill);

    uint16_t left_ = 0;
    uint16_t top_ = 0;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
    std::vector<uint8_t> pixels_;
    TPaletteHandle palette_;
    std::unique_ptr<TBitmap> bitmap_;
};

// Copies bitmap through mask (bit 1 = transparent) onto rect of the canvas,
// stretched; transparent pixels leave the canvas unchanged.
void TransparentStretchBlit(TCanvas& canvas, const TRect& rect, const TBitmap& bitmap, const TBitmap& mask);

// The frames of a document in display order.
class TGIFImageList final : public TGIFList<TGIFSubImage> {
public:
    using TGIFList::TGIFList;
    void WriteAll(TStream& stream) override;
    void ReadAll(TStream& stream);
};

} // namespace fl
