// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ExtensionCommands.h"

#include <memory>

#include "document/CommandError.h"
#include "document/CommandSupport.h"
#include "editing/EditorHost.h"
#include "editing/LoopCount.h"
#include "gif/GIFImage.h"

namespace fl {

// Loop extension

TNSLoop::TNSLoop(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex)
    : TFrameExtension(action, extensionIndex, frameIndex)
{
    const TGIFSubImage& frame = *RequireActiveAnimation(host).Frames.Item(frameIndex);
    if (const TGIFAppExtNSLoop* loop = FindLoopExtension(frame)) {
        LoopCount = loop->LoopCount;
        HadExtension = true;
        appId_ = loop->AppId;
        bufferSize_ = loop->BufferSize;
    }
}

void TNSLoop::Undo(TEditorHost& host)
{
    if (ActionType == atUnknown)
        ThrowUnknownActionType("TNSLoop");
    TGIFImage& image = RequireActiveAnimation(host);
    TGIFSubImage& frame = *image.Frames.Item(FrameIndex);
    TGIFAppExtNSLoop* loop = FindLoopExtension(frame);
    // Players read the loop count from their threads.
    image.StopAllPlayers();
    switch (ActionType) {
    case atAdded:
        if (loop)
            frame.Extensions.Delete(frame.Extensions.IndexOf(loop));
        break;
    case atRemoved:
    case atChanged:
        if (loop) {
            if (HadExtension)
                loop->LoopCount = LoopCount;
            else
                frame.Extensions.Delete(frame.Extensions.IndexOf(loop));
        } else if (ActionType == atRemoved && HadExtension) {
            auto restored = std::make_unique<TGIFAppExtNSLoop>(frame);
            restored->AppId = appId_;
            restored->LoopCount = LoopCount;
            restored->BufferSize = bufferSize_;
            if (frame.Extensions.Count() == 0)
                frame.Extensions.Append(std::move(restored));
            else
                frame.Extensions.Insert(0, std::move(restored));
        }
        break;
    default:
        break;
    }
    image.SignalChange();
}

// Graphic control extension

TGCExt::TGCExt(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex)
    : TFrameExtension(action, extensionIndex, frameIndex)
{
    TGIFImage* image = host.ActiveAnimation();
    if (!image || frameIndex < 0 || frameIndex >= image->Frames.Count())
        return;
    TGIFSubImage& frame = *image->Frames[frameIndex];
    const TGIFGraphicControlExtension* block = frame.ControlBlock;
    if (!block)
        return;
    Delay = block->Delay;
    Disposal = static_cast<uint8_t>(block->Disposal());
    Transparent = block->Transparent();
    TransparentColorIndex = block->TransparentIndex();
    UserInput = block->WaitForInput();
    // An index beyond the colors has no color; asking for one would warn.
    TGIFColorMap& colors = frame.ActiveColors();
    if (TransparentColorIndex < colors.Count()) {
        TransparentColor = colors.ColorAt(TransparentColorIndex);
        transparentColorKnown_ = true;
    }
}

void TGCExt::WriteInto(TGIFGraphicControlExtension& block) const
{
    block.Delay = Delay;
    block.SetDisposal(Disposal);
    block.SetTransparent(Transparent);
    block.SetTransparentIndex(TransparentColorIndex);
    // The color only counts where the index no longer shows it: setting it
    // again would move the index to another entry of the same color.
    TGIFColorMap& colors = block.Frame().ActiveColors();
    if (transparentColorKnown_ && (TransparentColorIndex >= colors.Count() ||
                                   colors.ColorAt(TransparentColorIndex) != TransparentColor))
        block.SetTransparentRGB(TransparentColor);
    block.SetWaitForInput(UserInput);
}

void TGCExt::Undo(TEditorHost& host)
{
    TGIFImage* image = host.ActiveAnimation();
    if (!image || FrameIndex < 0 || FrameIndex >= image->Frames.Count())
        throw ECommandError("SubImage is nil, TGCExt");
    if (ActionType == atUnknown)
        ThrowUnknownActionType("TGCExt");
    TGIFSubImage& frame = *image->Frames[FrameIndex];
    // Players read delays and disposals from their threads.
    image->StopAllPlayers();
    switch (ActionType) {
    case atAdded:
        if (TGIFGraphicControlExtension* block = frame.ControlBlock) {
            const int index = frame.Extensions.IndexOf(block);
            if (index >= 0)
                frame.Extensions.Delete(index);
            // A second block, as some files have, takes over as it does
            // when the file is read.
            frame.ControlBlock = frame.Extensions.Find<TGIFGraphicControlExtension>();
        }
        break;
    case atRemoved: {
        auto block = std::make_unique<TGIFGraphicControlExtension>(frame);
        WriteInto(*block);
        frame.Extensions.Append(std::move(block));
        break;
    }
    case atChanged:
        if (frame.ControlBlock)
            WriteInto(*frame.ControlBlock);
        break;
    default:
        break;
    }
    // Transparency decides the rendering's mask.
    frame.ReplaceBitmap(nullptr);
    frame.MaskPending = true;
    image->SignalChange();
}

// Comment extension

namespace {

TGIFCommentExtension* CommentAt(TGIFSubImage& frame, int index)
{
    if (index < 0 || index >= frame.Extensions.Count())
        return nullptr;
    return dynamic_cast<TGIFCommentExtension*>(frame.Extensions[index]);
}

} // namespace

TCommentExt::TCommentExt(TEditorHost& host, TActionType action, int extensionIndex, int frameIndex)
    : TFrameExtension(action, extensionIndex, frameIndex)
{
    if (action != atRemoved && action != atChanged)
        return;
    TGIFSubImage& frame = *RequireActiveAnimation(host).Frames.Item(frameIndex);
    TGIFExtension* extension = frame.Extensions.Item(extensionIndex);
    const auto* comment = dynamic_cast<const TGIFCommentExtension*>(extension);
    if (!comment)
        throw ECommandError("Invalid class typecast");
    Lines = comment->Lines;
}

std::string TCommentExt::Text() const
{
    std::string text;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += Lines[i];
    }
    return text;
}

void TCommentExt::Undo(TEditorHost& host)
{
    if (ActionType == atUnknown)
        ThrowUnknownActionType("TCommentExt");
    TGIFImage& image = RequireActiveAnimation(host);
    TGIFSubImage& frame = *image.Frames.Item(FrameIndex);
    switch (ActionType) {
    case atAdded: {
        if (!CommentAt(frame, ExtensionIndex))
            throw ECommandError("Invalid Extension Index");
        // Players walk the extension list from their threads.
        image.StopAllPlayers();
        frame.Extensions.Delete(ExtensionIndex);
        break;
    }
    case atRemoved: {
        auto comment = std::make_unique<TGIFCommentExtension>(frame);
        comment->Lines = Lines;
        image.StopAllPlayers();
        frame.Extensions.Append(std::move(comment));
        break;
    }
    case atChanged: {
        TGIFCommentExtension* comment = CommentAt(frame, ExtensionIndex);
        if (!comment)
            throw ECommandError("Invalid Extension Index");
        comment->Lines = Lines;
        break;
    }
    default:
        return;
    }
    image.SignalChange();
}

} // namespace fl
