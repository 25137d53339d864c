// SPDX-License-Identifier: GPL-3.0-or-later
// Turning bitmaps, icons and documents into frames, and masks into
// transparency.
#include "gif/SubImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "color/BitmapReduction.h"
#include "color/DIB.h"
#include "gif/FrameProgress.h"
#include "gif/GIFImage.h"
#include "platform/ConvertError.h"
#include "platform/GIFException.h"
#include "platform/Icon.h"

namespace fl {

namespace {

using namespace frameprogress;

// Pixels past the end of a bitmap's palette show black; the frame's table is
// extended with black up to the highest index used, so that every pixel
// addresses a color.
void CoverIndices(TGIFColorMap& colors, int highestIndex)
{
    while (colors.Count() <= highestIndex)
        colors.Add(MakeColor(0, 0, 0));
}

void ImportIndexed(TGIFSubImage& frame, const TBitmap& bitmap)
{
    const int width = frame.Width(), height = frame.Height();
    const TPixelFormat format = bitmap.PixelFormat();
    frame.LocalColors.FromPlatformPalette(bitmap.Palette());
    uint8_t* pixels = frame.Pixels();
    uint8_t highest = 0;
    for (int y = 0; y < height; ++y) {
        ReportRow(frame.Image(), y, height, kConverting);
        const uint8_t* source = bitmap.ScanLine(y);
        uint8_t* target = pixels + size_t(y) * size_t(width);
        if (format == TPixelFormat::pf8bit) {
            std::memcpy(target, source, size_t(width));
        } else if (format == TPixelFormat::pf4bit) {
            // High nibble first.
            for (int x = 0; x < width; ++x)
                target[x] = static_cast<uint8_t>(x & 1 ? source[x >> 1] & 0x0F : source[x >> 1] >> 4);
        } else {
            // Most significant bit first.
            for (int x = 0; x < width; ++x)
                target[x] = static_cast<uint8_t>((source[x >> 3] >> (7 - (x & 7))) & 1);
        }
        for (int x = 0; x < width; ++x)
            highest = std::max(highest, target[x]);
    }
    CoverIndices(frame.LocalColors, highest);
}

// True-color pixels: the last 8 colors seen are kept with their indices, which
// makes runs and small repeating patterns cheap; other colors are looked up
// (and added) in the local table.
void ImportTrueColor(TGIFSubImage& frame, const TBitmap& bitmap)
{
    struct TSlot {
        TColor Color = 0;
        uint8_t Index = 0;
        bool Used = false;
    };
    std::array<TSlot, 8> cache{};
    int lastHit = 0;

    const int width = frame.Width(), height = frame.Height();
    uint8_t* pixels = frame.Pixels();
    TGIFColorMap& colors = frame.LocalColors;
    for (int y = 0; y < height; ++y) {
        ReportRow(frame.Image(), y, height, kConverting);
        const uint8_t* source = bitmap.ScanLine(y);
        uint8_t* target = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, source += 3) {
            // Kept in the row's byte order (blue, green, red); the table is
            // turned round once the frame is done.
            const TColor color = MakeColor(source[0], source[1], source[2]);
            int slot = lastHit;
            bool hit = false;
            do {
                if (!cache[size_t(slot)].Used)
                    break;
                if (cache[size_t(slot)].Color == color) {
                    hit = true;
                    break;
                }
                slot = (slot + 7) & 7;
            } while (slot != lastHit);
            if (hit) {
                lastHit = slot;
            } else {
                const int index = colors.AddUnique(color);
                lastHit = (lastHit + 1) & 7;
                cache[size_t(lastHit)] = {color, static_cast<uint8_t>(index), true};
            }
            target[x] = cache[size_t(lastHit)].Index;
        }
    }
    for (int i = 0; i < colors.Count(); ++i) {
        const TColor stored = colors.ColorAt(i);
        colors.SetColorAt(i, MakeColor(BlueOf(stored), GreenOf(stored), RedOf(stored)));
    }
}

} // namespace

void TGIFSubImage::CopyFrom(const TBitmap& source)
{
    // Reset frees the cached bitmap, which may be the source.
    std::unique_ptr<TBitmap> keepAlive;
    if (&source == bitmap_.get())
        keepAlive = std::move(bitmap_);
    Reset();
    if (source.Empty())
        return;

    TGIFImage* image = Image();
    bool started = false;
    std::unique_ptr<TBitmap> converted;
    try {
        SetGeometry(Left(), Top(), source.Width(), source.Height());
        if (IsIndexed(source.PixelFormat())) {
            converted = std::make_unique<TBitmap>(source);
        } else {
            // The reduction converts its source in place; the caller's
            // bitmap stays as it was.
            TBitmap copy(source);
            converted = image ? ReduceBitmapColors(copy, image->ReductionMethod, image->Dithering,
                                                   image->ReductionDepth(), nullptr)
                              : ReduceBitmapColors(copy, 6, 0, 8, nullptr);
            // Unknown reduction settings make nothing.
            if (!converted || converted->Width() != source.Width() || converted->Height() != source.Height())
                throw GIFException("Unsupported color reduction method");
        }

        Report(image, TProgressStage::Starting, 0, false, kConverting);
        started = true;
        TPixelFormat format = converted->PixelFormat();
        if (!IsIndexed(format))
            format = TPixelFormat::pf24bit;
        TDIBReader reader(*converted, format);
        if (format == TPixelFormat::pf24bit)
            ImportTrueColor(*this, *converted);
        else
            ImportIndexed(*this, *converted);

        if (source.Transparent && source.Mask())
            ImportMask(*source.Mask());
    } catch (...) {
        // A half-made frame (colors still in the row's byte order, pixels
        // missing) is worse than none.
        Reset();
        if (started)
            Report(image, TProgressStage::Ending, 0, image && image->PaletteModified, kConverting);
        throw;
    }
    bitmap_ = std::move(converted);
    Report(image, TProgressStage::Ending, 100, image && image->PaletteModified, kConverting);
}

void TGIFSubImage::ImportMask(const TBitmap& mask)
{
    if (IsEmpty())
        return;
    if (mask.Width() != Width() || mask.Height() != Height())
        throw EBitmapError("Mask size does not match the bitmap");

    LocalColors.SortColorMapByUse();
    const int count = LocalColors.Count();
    // No room for a transparent color (or no table to put it in).
    if (count == 0 || count == 256)
        return;
    const int index = LocalColors.Add(MakeColor(0, 0, 0));

    // Indexed masks: any index but 0 is transparent; direct ones: any color
    // but black.
    TBitmap bits(mask);
    const bool indexed = IsIndexed(bits.PixelFormat());
    bits.SetPixelFormat(indexed ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
    const int width = Width(), height = Height();
    uint8_t* pixels = Pixels();
    bool any = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits.ScanLine(y);
        uint8_t* target = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const bool transparent =
                indexed ? row[x] != 0
                        : (row[3 * size_t(x)] | row[3 * size_t(x) + 1] | row[3 * size_t(x) + 2]) != 0;
            if (transparent) {
                target[x] = static_cast<uint8_t>(index);
                any = true;
            }
        }
    }
    if (!any) {
        LocalColors.Delete(index);
        return;
    }

    // A frame that already has a control block keeps it; a second one would
    // not be the frame's control block and its transparency would be lost.
    TGIFGraphicControlExtension* control = ControlBlock;
    std::unique_ptr<TGIFGraphicControlExtension> created;
    if (!control) {
        created = std::make_unique<TGIFGraphicControlExtension>(*this);
        control = created.get();
    }
    control->SetTransparent(true);
    control->SetTransparentIndex(index);
    if (created)
        Extensions.Append(std::move(created));
    MaskPending = true;
}

void TGIFSubImage::CopyFrom(TGraphic& graphic)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&graphic)) {
        CopyFrom(*bitmap);
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(&graphic)) {
        Reset();
        if (icon->Empty())
            return;
        // Drawn on black, then the icon's own mask marks what is transparent.
        CopyFrom(icon->DrawOnBlack());
        ImportMask(icon->MaskBitmap());
        return;
    }
    if (auto* document = dynamic_cast<TGIFImage*>(&graphic)) {
        Reset();
        if (document->Empty())
            return;
        TBitmap bitmap;
        document->CopyToGraphic(bitmap);
        CopyFrom(bitmap);
        return;
    }
    // Refused before anything is reset, so that the frame keeps its picture.
    if (!graphic.Empty())
        throw EConvertError(GraphicClassName(graphic), "TGIFSubImage");
    Reset();
}

void TGIFSubImage::CopyToGraphic(TGraphic& target)
{
    auto* bitmap = dynamic_cast<TBitmap*>(&target);
    if (!bitmap)
        throw EConvertError("TGIFSubImage", GraphicClassName(target));
    const TBitmap* rendering = RenderBitmap();
    if (rendering == bitmap)
        return;
    *bitmap = rendering ? TBitmap(*rendering) : TBitmap();
    bitmap->NotifyChanged();
}

} // namespace fl
