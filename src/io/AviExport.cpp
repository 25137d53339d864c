// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AviExport.h"

#include <memory>
#include <unordered_map>

#include "color/BitmapReduction.h"
#include "color/ColorReduction.h"
#include "color/DIB.h"
#include "color/Ditherers.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/GIFImage.h"
#include "io/AviWriter.h"
#include "platform/Canvas.h"

namespace fl {

namespace {

// The rate of every exported stream; a frame lasts delay / 65 seconds.
constexpr uint32_t kExportRate = 65;

bool Cancelled(const TAviExportProgress& progress)
{
    return progress.Cancelled && progress.Cancelled();
}

// The canvas picture as an 8-bit bitmap holding exactly its colors, or
// empty when it has more than 256.
TBitmap IndexExactly(const TBitmap& canvas)
{
    TBitmap indexed(canvas.Width(), canvas.Height(), TPixelFormat::pf8bit);
    std::unordered_map<uint32_t, uint8_t> indices;
    auto palette = std::make_shared<TPalette>();
    for (int y = 0; y < canvas.Height(); ++y) {
        const uint8_t* source = canvas.ScanLine(y);
        uint8_t* target = indexed.ScanLine(y);
        uint32_t lastColor = 0xFFFFFFFF;
        uint8_t lastIndex = 0;
        for (int x = 0; x < canvas.Width(); ++x, source += 4) {
            const uint32_t color = uint32_t(source[0]) | uint32_t(source[1]) << 8 | uint32_t(source[2]) << 16;
            if (color != lastColor) {
                auto [at, added] = indices.try_emplace(color, uint8_t(indices.size()));
                if (added) {
                    if (indices.size() > 256)
                        return {};
                    palette->Entries.push_back({source[2], source[1], source[0], 0});
                }
                lastColor = color;
                lastIndex = at->second;
            }
            target[x] = lastIndex;
        }
    }
    indexed.SetPalette(std::move(palette));
    return indexed;
}

// Replaces the frame's picture by the canvas at offsets 0, 0. The canvas
// holds 32-bit colors; a frame with at most 256 of them keeps them exactly,
// more are quantized.
void ReplaceByCanvas(TGIFSubImage& frame, const TBitmap& canvas)
{
    // Replacing the pixels resets the frame; its timing stays.
    const TGIFGraphicControlExtension* control = frame.ControlBlock;
    const bool timed = control != nullptr;
    const uint16_t delay = timed ? control->Delay : 0;
    const int disposal = timed ? control->Disposal() : 0;

    TBitmap indexed = IndexExactly(canvas);
    if (indexed.Empty()) {
        TBitmap copy(canvas);
        indexed = std::move(*ReduceBitmapColors(copy, reduceQuantize, ditherNearest, 8, nullptr));
    }
    // Moved first: the new size at the old offsets could grow the screen.
    frame.SetGeometry(0, 0, frame.Width(), frame.Height());
    frame.CopyFrom(indexed);
    if (timed) {
        auto replacement = std::make_unique<TGIFGraphicControlExtension>(frame);
        replacement->Delay = delay;
        replacement->SetDisposal(disposal);
        frame.Extensions.Append(std::move(replacement));
    }
}

} // namespace

bool PrepareAviExport(TGIFImage& copy, const TAviExportProgress& progress)
{
    const int count = copy.Frames.Count();
    if (count == 0)
        return true;
    TBitmap canvasBitmap;
    if (const TBitmap* first = copy.Frames[0]->RenderBitmap())
        canvasBitmap = *first;
    canvasBitmap.Transparent = false;
    canvasBitmap.SetMask(nullptr);
    if (!canvasBitmap.Empty())
        canvasBitmap.SetPixelFormat(TPixelFormat::pf32bit);
    TCanvas canvas(canvasBitmap);
    for (int i = 0; i < count; ++i) {
        if (progress.Step)
            progress.Step(i, count);
        if (Cancelled(progress))
            return false;
        TGIFSubImage& frame = *copy.Frames[i];
        if (frame.IsEmpty() || canvasBitmap.Empty())
            continue;
        // Transparent pixels keep the picture so far: an optimized animation
        // leaves unchanged pixels transparent, and drawing them in the
        // transparent index's color would spoil every later frame.
        const bool masked = frame.Transparent && frame.MaskAvailable();
        if (const TBitmap* bitmap = frame.RenderBitmap()) {
            if (masked && bitmap->Mask())
                canvas.MaskedStretchDraw(MakeRect(frame.Left(), frame.Top(), bitmap->Width(), bitmap->Height()),
                                         *bitmap, *bitmap->Mask());
            else
                canvas.Draw(frame.Left(), frame.Top(), *bitmap);
        }
        frame.Transparent = false;
        ReplaceByCanvas(frame, canvasBitmap);
    }
    MergeColorMaps(copy);
    return true;
}

bool ExportAvi(const std::string& path, TGIFImage& image, const TAviExportProgress& progress)
{
    TAviWriter writer(path);
    const int count = image.Frames.Count();

    // Frame 0's bitmap as an 8-bit device-independent bitmap sets the
    // stream format and the size of every sample.
    TBitmap* first = count > 0 ? image.Frames[0]->RenderBitmap() : nullptr;
    TDIBSizes sizes;
    if (first) {
        try {
            sizes = DIBHeaderSizes(*first, TPixelFormat::pf8bit);
        } catch (const std::exception&) {
            sizes = {};
        }
    }
    if (sizes.HeaderSize == 0)
        throw EAviError(avimsg::BitmapInfo);

    // The frame duration: the delay of the first timed frame, scanning on
    // while no frame has shown local colors yet.
    bool localPalette = false;
    uint32_t scale = 0;
    for (int i = 0; i < count; ++i) {
        const TGIFSubImage& frame = *image.Frames[i];
        if (frame.LocalColors.Count() > 0)
            localPalette = true;
        if (frame.ControlBlock)
            scale = frame.ControlBlock->Delay;
        if (localPalette && scale != 0)
            break;
    }
    if (scale == 0)
        scale = 1;

    TAviStreamInfo info;
    info.Type = FourCC("vids");
    info.Scale = scale;
    info.Rate = kExportRate;
    info.SuggestedBufferSize = uint32_t(sizes.ImageSize);
    info.FrameRight = int16_t(image.Width());
    info.FrameBottom = int16_t(image.Height());

    // Frames with colors of their own are drawn dithered to one cube, so
    // that every frame fits the one color table of the stream.
    if (localPalette) {
        image.SetPaintFlags(TGIFPaintFlags((image.PaintFlags() | paintDither) & ~paintAutoDither));
        first = image.Frames[0]->RenderBitmap();
        if (!first)
            throw EAviError(avimsg::BitmapInfo);
    }

    writer.CreateStream(info);
    std::vector<uint8_t> header, bits;
    if (!CopyBitmapBits(*first, first->Palette(), header, TPixelFormat::pf8bit, bits) ||
        header.size() < kBitmapInfoHeaderSize)
        throw EAviError(avimsg::SetFormat);
    writer.SetFormat(header);
    const size_t imageSize = bits.size();

    for (int i = 0; i < count; ++i) {
        if (progress.Step)
            progress.Step(i, count);
        if (Cancelled(progress))
            return false;
        TGIFSubImage& frame = *image.Frames[i];
        if (frame.IsEmpty())
            continue;
        if (i > 0) {
            TBitmap* bitmap = frame.RenderBitmap();
            if (!bitmap || !CopyBitmapBits(*bitmap, bitmap->Palette(), header, TPixelFormat::pf8bit, bits))
                throw EAviError(avimsg::AddFrame);
        }
        // Every sample has the format's size; a frame of another size
        // cannot be shown with it.
        if (bits.size() != imageSize)
            throw EAviError(avimsg::AddFrame);
        writer.WriteSample(uint32_t(i), bits.data(), uint32_t(bits.size()), true);
    }
    writer.Finish();
    return true;
}

} // namespace fl
