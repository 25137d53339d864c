// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/SubImage.h"

#include "color/FixedPalettes.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl {

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), LocalColors(*this), Extensions(image, *this)
{
}

TGIFSubImage::~TGIFSubImage()
{
    // Extensions refer back to the frame while they go.
    Extensions.ClearAll();
}

void TGIFSubImage::SetStoredGeometry(uint16_t left, uint16_t top, uint16_t width, uint16_t height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TGIFSubImage::SetGeometry(int left, int top, int width, int height)
{
    auto fits16 = [](int value) { return value >= 0 && value <= 0xFFFF; };
    if (!fits16(left) || !fits16(top) || !fits16(width) || !fits16(height))
        throw GIFException("Invalid pixel coordinates");
    // The logical screen is 16 bits wide too: a frame reaching past 65535
    // could never be written.
    if (left + width > 0xFFFF || top + height > 0xFFFF)
        throw GIFException("Image exceeds Logical Screen size");

    const bool sizeChanged = width != width_ || height != height_;
    SetStoredGeometry(uint16_t(left), uint16_t(top), uint16_t(width), uint16_t(height));
    if (sizeChanged) {
        // The rendering and its mask belong to the old size.
        bitmap_.reset();
        MaskPending = true;
        AllocPixels();
    }

    TGIFImage* image = Image();
    if (!image)
        return;
    bool warned = false;
    if (image->Width() < left + width) {
        if (image->Width() > 0) {
            Warn(wsWarning, "Image width too small for contained frames");
            warned = true;
        }
        image->SetWidth(left + width);
    }
    if (image->Height() < top + height) {
        if (image->Height() > 0) {
            Warn(wsWarning, "Image height too small for contained frames");
            warned = true;
        }
        image->SetHeight(top + height);
    }
    if (warned)
        Warn(wsWarning, "Image exceeds Logical Screen size");
}

void TGIFSubImage::SetInterlaced(bool value)
{
    FrameFlags = static_cast<uint8_t>(value ? FrameFlags | 0x40 : FrameFlags & ~0x40);
}

TGIFColorMap& TGIFSubImage::ActiveColors()
{
    if (LocalColors.Count() > 0)
        return LocalColors;
    if (Image() && Image()->GlobalColors().Count() > 0)
        return Image()->GlobalColors();
    return LocalColors;
}

void TGIFSubImage::AllocPixels()
{
    FreePixels();
    const uint64_t count = uint64_t(width_) * height_;
    if (count == 0)
        return;
    if (count > GIFMemoryLimits.MaxFramePixels)
        throw GIFException("Image is too large");
    try {
        pixels_.assign(static_cast<size_t>(count), 0);
    } catch (const std::bad_alloc&) {
        throw GIFException("Image is too large");
    }
}

void TGIFSubImage::FreePixels()
{
    std::vector<uint8_t>().swap(pixels_);
}

void TGIFSubImage::EnsurePixels()
{
    if (pixels_.empty())
        AllocPixels();
    if (pixels_.empty())
        throw GIFException("Image is empty");
}

uint8_t* TGIFSubImage::RowAt(int y)
{
    if (y < 0 || y >= height_)
        throw GIFException("Invalid pixel coordinates");
    EnsurePixels();
    return pixels_.data() + static_cast<size_t>(y) * width_;
}

uint8_t TGIFSubImage::PixelAt(int x, int y)
{
    if (x < 0 || x >= width_)
        throw GIFException("Invalid pixel coordinates");
    return RowAt(y)[x];
}

TGIFVersion TGIFSubImage::Version() const
{
    return LocalColors.Sorted() || Extensions.Count() > 0 ? TGIFVersion::GIF89a : TGIFVersion::GIF87a;
}

void TGIFSubImage::Reset()
{
    Extensions.ClearAll();
    LocalColors.Reset();
    FreePixels();
    height_ = 0;
    width_ = 0;
    Transparent = false;
    ControlBlock = nullptr;
    MaskPending = true;
    bitmap_.reset();
    palette_.reset();
}

TPaletteHandle TGIFSubImage::PaletteHandle()
{
    // A rendering answers with the palette it was made with, so that what is
    // drawn and what is realized agree.
    if (bitmap_ && bitmap_->Palette())
        return bitmap_->Palette();
    if (palette_)
        return palette_;
    if (Image() && Image()->DitheringInEffect()) {
        palette_ = MakeWebSafePalette();
        return palette_;
    }
    if (LocalColors.Count() == 0)
        return Image() ? Image()->PaletteHandle() : nullptr;
    palette_ = LocalColors.ToPlatformPalette();
    return palette_;
}

void TGIFSubImage::SetPaletteHandle(TPaletteHandle palette)
{
    if (palette == palette_)
        return;
    palette_ = std::move(palette);
    // A rendering made with another palette shows wrong colors: drop it, and
    // tell the holder to realize the palette again.
    if (bitmap_ && bitmap_->Palette() != palette_) {
        bitmap_.reset();
        if (TGIFImage* image = Image()) {
            image->PaletteModified = true;
            image->SignalChange();
        }
    }
}

} // namespace fl

namespace fl {

void TGIFSubImage::CopyFrom(const TGIFSubImage& source)
{
    Reset();
    if (source.IsEmpty())
        return;
    Separator = source.Separator;
    FrameFlags = source.FrameFlags;
    CodeSize = source.CodeSize;
    SetStoredGeometry(source.left_, source.top_, source.width_, source.height_);
    Transparent = source.Transparent;
    AllocPixels();
    std::copy(source.pixels_.begin(), source.pixels_.begin() + static_cast<ptrdiff_t>(pixels_.size()),
              pixels_.begin());
    LocalColors.CopyFrom(source.LocalColors);
    if (source.Extensions.Count() > 0) {
        // Extensions are copied through the file format, so that the copy is
        // as deep as a save and a load, and its first control block becomes
        // this frame's control block.
        TMemoryStream stream;
        const_cast<TGIFExtensionList&>(source.Extensions).WriteAll(stream);
        stream.SetPosition(0);
        Extensions.ReadAll(stream, *this);
    }
    if (source.bitmap_)
        bitmap_ = std::make_unique<TBitmap>(*source.bitmap_);
}

} // namespace fl
