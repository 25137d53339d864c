// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/AnimationCommands.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>

#include "document/Command.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/RecordedActions.h"
#include "document/WholeAnimationEdit.h"
#include "editing/AnimationFacts.h"
#include "editing/LoopCount.h"
#include "editing/NormalizeExtensions.h"
#include "editing/PaletteEntries.h"
#include "editing/TextRoutines.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Canvas.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"

namespace fl {

namespace {

void ApplyTransparency(TGIFSubImage& frame, const TGlobalFrameChange& change)
{
    TGIFGraphicControlExtension& control = *frame.ControlBlock;
    const TGlobalToggle& toggle = change.Transparent;
    const bool transparent = toggle.MakeCaption ? toggle.Checked : !toggle.Checked;
    control.SetTransparent(transparent);
    if (!transparent || !toggle.MakeCaption)
        return;
    // The chosen color becomes the transparent one; a full table without it
    // keeps the frame's transparent index rather than overflow.
    TGIFColorMap& colors = frame.ActiveColors();
    const int index = colors.Find(change.TransparentColor);
    if (index >= 0)
        control.SetTransparentIndex(index);
    else if (colors.Count() < 256)
        control.SetTransparentRGB(change.TransparentColor);
}

uint16_t ScaledDelay(int delay, int speed)
{
    if (delay == 0)
        return 0;
    return static_cast<uint16_t>(std::clamp(std::lrint(delay * 100.0 / speed), 1L, 65535L));
}

void ApplyToFrame(TGIFImage& image, TGIFSubImage& frame, const TGlobalFrameChange& change,
                  const std::optional<int>& left, const std::optional<int>& top,
                  const std::optional<int>& delay, const std::optional<int>& speed)
{
    // A frame reaching past what the format can store keeps its place.
    if (left && *left + frame.Width() <= 0xFFFF)
        frame.SetLeft(*left);
    if (top && *top + frame.Height() <= 0xFFFF)
        frame.SetTop(*top);
    if (!frame.ControlBlock)
        return;
    if (delay)
        frame.ControlBlock->Delay = static_cast<uint16_t>(*delay);
    if (speed && *speed > 0)
        frame.ControlBlock->Delay = ScaledDelay(frame.ControlBlock->Delay, *speed);
    if (change.Transparent.Changed)
        ApplyTransparency(frame, change);
    if (change.Interlaced.Changed)
        frame.SetInterlaced(change.Interlaced.MakeCaption ? change.Interlaced.Checked
                                                          : !change.Interlaced.Checked);
    if (change.LocalPalette.Changed && change.LocalPalette.MakeCaption)
        GiveLocalPalette(image, frame);
    else if (change.LocalPalette.Changed)
        DropLocalPalette(image, frame);
    if (change.Disposal >= 0 && change.Disposal <= 3)
        frame.ControlBlock->SetDisposal(change.Disposal);
}

std::optional<int> TypedNumber(const std::string& text, bool fifteenBit)
{
    return text.empty() ? std::nullopt : ParseIntegerText(text, fifteenBit);
}

// Frame i as the resize sees it: its rendering, drawn through its mask.
void DrawFrameOnto(TCanvas& canvas, TGIFSubImage& frame)
{
    const TBitmap* bitmap = frame.RenderBitmap();
    if (!bitmap)
        return;
    const TRect rect{frame.Left(), frame.Top(), frame.Left() + bitmap->Width(),
                     frame.Top() + bitmap->Height()};
    if (frame.Transparent && frame.MaskAvailable() && bitmap->Mask())
        canvas.MaskedStretchDraw(rect, *bitmap, *bitmap->Mask());
    else
        canvas.StretchDraw(rect, *bitmap);
}

// Replaces the frame's picture by the bitmap at (0, 0), keeping its
// extensions (delay, disposal, loop, comments); the picture is opaque now.
void ReplacePicture(TGIFSubImage& frame, const TBitmap& picture)
{
    TMemoryStream extensions;
    frame.Extensions.WriteAll(extensions);
    frame.SetGeometry(0, 0, frame.Width(), frame.Height());
    frame.CopyFrom(picture);
    frame.Extensions.ClearAll();
    frame.ControlBlock = nullptr;
    extensions.SetPosition(0);
    frame.Extensions.ReadAll(extensions, frame);
    if (frame.ControlBlock)
        frame.ControlBlock->SetTransparent(false);
    frame.SetGeometry(0, 0, picture.Width(), picture.Height());
}

void ResizeFrames(TGIFImage& image, int width, int height)
{
    // The picture so far, from the first frame's rendering (a blank screen
    // when it has none), then each frame is the picture so far, stretched.
    TGIFSubImage& first = *image.Frames[0];
    TBitmap composite = first.RenderBitmap() ? *first.RenderBitmap()
                                             : TBitmap(std::max(image.Width(), 1),
                                                       std::max(image.Height(), 1), TPixelFormat::pf32bit);
    composite.SetMask(nullptr);
    TCanvas compositeCanvas(composite);
    TBitmap target(width, height, TPixelFormat::pf32bit);
    // The screen grows first and shrinks last, so that no frame is ever
    // larger than it (which the model would warn about).
    image.SetWidth(std::max(image.Width(), width));
    image.SetHeight(std::max(image.Height(), height));
    for (int i = 0; i < image.Frames.Count(); ++i) {
        TGIFSubImage& frame = *image.Frames[i];
        if (frame.IsEmpty())
            continue;
        if (i > 0)
            DrawFrameOnto(compositeCanvas, frame);
        {
            TCanvas targetCanvas(target);
            targetCanvas.StretchDraw({0, 0, width, height}, composite);
        }
        ReplacePicture(frame, target);
    }
    image.SetWidth(width);
    image.SetHeight(height);
}

} // namespace

void ApplyGlobalFrameChange(TEditorContext& context, const TGlobalFrameChange& change)
{
    TDocument* document = context.ActiveDocument();
    if (!document)
        return;
    TBusyCursor busy(context.Messages());
    TGIFImage& image = context.Animation();
    const std::optional<int> left = TypedNumber(change.XOffset, false);
    const std::optional<int> top = TypedNumber(change.YOffset, false);
    const std::optional<int> delay = TypedNumber(change.Delay, true);
    const std::optional<int> speed = TypedNumber(change.Speed, true);
    RecordAndChange(context, *document, ckActiveAnimation, atWholeAnimation, 0, ActionGlobalProperties, [&] {
        for (int i = 0; i < image.Frames.Count(); ++i)
            ApplyToFrame(image, *image.Frames[i], change, left, top, delay, speed);
    });
}

bool ChangeAnimationLoop(TEditorContext& context, int plays)
{
    TDocument* document = context.ActiveDocument();
    TGIFImage& image = context.Animation();
    if (!document || image.Frames.Count() == 0 || plays < 0)
        return false;
    const int current = GetLoopCount(image);
    if (plays == current)
        return false;
    if (plays == 1) {
        TGIFAppExtNSLoop* loop = FindLoopExtension(*image.Frames[0]);
        if (!loop)
            return false;
        document->AddCommand(ckLoop, atRemoved, 0, 0, 0, ActionChangeLoop);
        image.Frames[0]->Extensions.Delete(image.Frames[0]->Extensions.IndexOf(loop));
    } else if (current == 1) {
        document->AddCommand(ckLoop, atAdded, 0, 0, 0, ActionChangeLoop);
        InsertStoredLoopExtension(*image.Frames[0], StoredLoopCount(plays));
    } else {
        document->AddCommand(ckLoop, atChanged, 0, 0, 0, ActionChangeLoop);
        SetLoopCount(image, plays);
    }
    document->MarkModified(true);
    document->RefreshUndoState();
    return true;
}

bool ResizeAnimation(TEditorContext& context, int width, int height)
{
    TDocument* document = context.ActiveDocument();
    TGIFImage& image = context.Animation();
    if (!document || image.IsEmpty() || (width == image.Width() && height == image.Height()))
        return false;
    const auto clamp = [](int size) { return size < 1 ? 10 : std::min(size, 1000); };
    width = clamp(width);
    height = clamp(height);
    TBusyCursor busy(context.Messages());
    RecordAndChange(context, *document, ckActiveAnimation, atWholeAnimation, 0, ActionChangeSize,
                    [&] { ResizeFrames(image, width, height); });
    return true;
}

bool ReverseFrameOrder(TEditorContext& context)
{
    TDocument* document = context.ActiveDocument();
    if (!document)
        return false;
    TGIFImage& image = context.Animation();
    if (!HasSeveralFrames(image)) {
        context.Messages().Beep();
        return false;
    }
    TBusyCursor busy(context.Messages());
    RecordAndChange(context, *document, ckActiveAnimation, atWholeAnimation, 0, ActionReverseFrames, [&] {
        std::vector<TGIFSubImage*> order;
        for (int i = image.Frames.Count() - 1; i >= 0; --i)
            if (!image.Frames[i]->IsEmpty())
                order.push_back(image.Frames[i]);
        for (int i = 0; i < image.Frames.Count(); ++i)
            if (image.Frames[i]->IsEmpty())
                order.push_back(image.Frames[i]);
        image.StopAllPlayers();
        // The loop extension stays with the first frame, whichever it is.
        std::optional<uint16_t> loop;
        TGIFSubImage& first = *image.Frames[0];
        if (TGIFAppExtNSLoop* extension = FindLoopExtension(first)) {
            loop = extension->LoopCount;
            first.Extensions.Delete(first.Extensions.IndexOf(extension));
        }
        for (int i = 0; i < static_cast<int>(order.size()); ++i)
            image.Frames.Move(image.Frames.IndexOf(order[static_cast<size_t>(i)]), i);
        if (loop)
            InsertStoredLoopExtension(*image.Frames[0], *loop);
        NormalizeExtensions(image, true, context.Values().AnimationDefaults());
        image.SignalChange();
    });
    return true;
}

void ReplaceGlobalPalette(TEditorContext& context, TGIFColorMap& colors, const std::vector<int>& origins)
{
    TDocument* document = context.ActiveDocument();
    if (!document)
        return;
    TBusyCursor busy(context.Messages());
    TGIFImage& image = context.Animation();
    TGIFColorMap& global = image.GlobalColors();

    // Entries that moved take their pixels along; a deleted entry was unused
    // or had a twin, whose nearest new entry takes its pixels.
    TColorRemapTable table = NearestEntries(global, colors);
    for (size_t j = 0; j < origins.size() && j < 256; ++j)
        if (origins[j] >= 0 && origins[j] < global.Count())
            table[static_cast<size_t>(origins[j])] = static_cast<uint8_t>(j);
    bool moved = false;
    for (int i = 0; i < global.Count(); ++i)
        moved = moved || table[static_cast<size_t>(i)] != i;
    std::vector<TGIFSubImage*> drawnWithGlobal;
    for (int i = 0; i < image.Frames.Count(); ++i)
        if (&image.Frames[i]->ActiveColors() == &global)
            drawnWithGlobal.push_back(image.Frames[i]);

    const bool remap = moved && !drawnWithGlobal.empty();
    RecordAndChange(context, *document, remap ? ckActiveAnimation : ckPalette,
                    remap ? atWholeAnimation : atChanged, remap ? 0 : -1, ActionChangeGlobalPalette, [&] {
                        global.CopyFrom(colors);
                        if (remap)
                            for (TGIFSubImage* frame : drawnWithGlobal)
                                RemapFrame(*frame, table);
                    });
}

} // namespace fl
