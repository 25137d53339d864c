// SPDX-License-Identifier: GPL-3.0-or-later
// Cut, Copy, Paste and Paste Comments. The copied frame travels twice: as a
// one-frame animation in the clipboard file, so that a paste within the
// program gives back the frame itself (offsets, colors, timing), and as its
// picture on the system clipboard, for other programs and for the paste
// itself.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "document/Command.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/RecordedActions.h"
#include "editing/ActiveFrames.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Clipboard.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

constexpr const char* PasteFrameName = "Paste Frame";
constexpr size_t MaxCommentBytes = 255;

// The text cut to its first 255 bytes, never inside a UTF-8 character.
std::string CommentText(const std::string& text)
{
    if (text.size() <= MaxCommentBytes)
        return text;
    size_t end = MaxCommentBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The copied frame as the clipboard file keeps it; null when the file is
// gone or unreadable.
std::unique_ptr<TGIFImage> LoadClipboardFile(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return nullptr;
    auto stored = std::make_unique<TGIFImage>();
    try {
        stored->LoadFromFile(path);
    } catch (const std::exception&) {
        return nullptr;
    }
    if (stored->Frames.Count() == 0 || stored->Frames[0]->IsEmpty())
        return nullptr;
    return stored;
}

// The pasted frame becomes the stored one: pixels, colors (its own table,
// or the stored animation's global one), offsets where they fit the screen,
// and its extensions but the loop, which belongs to the first frame.
void TakeOverStoredFrame(TGIFImage& image, TGIFSubImage& target, TGIFImage& stored)
{
    TGIFSubImage& source = *stored.Frames[0];
    target.CopyFrom(source);
    if (target.LocalColors.Count() == 0)
        target.LocalColors.CopyFrom(stored.GlobalColors());
    while (TGIFAppExtNSLoop* loop = FindLoopExtension(target))
        target.Extensions.Delete(target.Extensions.IndexOf(loop));
    if (source.Left() + source.Width() > image.Width() || source.Top() + source.Height() > image.Height())
        target.SetGeometry(0, 0, source.Width(), source.Height());
}

} // namespace

bool TEditorContext::CopyFrame()
{
    const int selected = frameList_.Selected();
    if (!active_ || animation_.IsEmpty() || selected < 0 || selected >= animation_.Frames.Count())
        return false;
    TBusyCursor busy(messages_);
    if (values_.ClipboardFile.empty())
        values_.ClipboardFile = MakeTempFileName(TempFolder(), "~FL");
    bool written = false;
    try {
        TGIFSubImage& frame = *animation_.Frames[selected];
        // The frame with the screen and the colors it is drawn with, so that
        // it comes back exactly.
        TGIFImage copy;
        copy.GlobalColors().CopyFrom(animation_.GlobalColors());
        copy.SetWidth(animation_.Width());
        copy.SetHeight(animation_.Height());
        if (!frame.IsEmpty()) {
            auto stored = std::make_unique<TGIFSubImage>(&copy);
            stored->CopyFrom(frame);
            copy.Frames.Insert(0, std::move(stored));
        }
        if (!values_.ClipboardFile.empty()) {
            copy.SaveToFile(values_.ClipboardFile);
            written = true;
        }
        if (clipboard_ && !frame.IsEmpty())
            if (const TBitmap* picture = frame.RenderBitmap()) {
                TMemoryStream dib;
                picture->SaveToDIB(dib);
                const auto* bytes = static_cast<const uint8_t*>(dib.Data());
                clipboard_->SetData(ClipboardFormatBitmap, std::vector<uint8_t>(bytes, bytes + dib.Size()));
            }
    } catch (const std::exception& error) {
        ShowErrorMessage(messages_, error.what());
        written = false;
    }
    if (!written)
        DeleteClipboardFile();
    actions_.SetEnabled(ActEditPaste, written || PasteAvailable());
    PublishStates();
    return written;
}

bool TEditorContext::CutFrame()
{
    if (!CopyFrame() || !active_)
        return false;
    TBusyCursor busy(messages_);
    const int count = animation_.Frames.Count();
    active_->DeleteFrame(frameList_.Selected());
    return animation_.Frames.Count() < count;
}

bool TEditorContext::PasteFrame()
{
    TBitmap picture;
    std::unique_ptr<TGIFImage> stored;
    {
        TBusyCursor busy(messages_);
        stored = LoadClipboardFile(values_.ClipboardFile);
        try {
            if (clipboard_) {
                if (const auto data = clipboard_->GetData(ClipboardFormatBitmap))
                    picture.LoadFromDIB(data->data(), data->size());
            } else if (stored) {
                if (const TBitmap* kept = stored->Frames[0]->RenderBitmap())
                    picture = *kept;
            }
        } catch (const std::exception& error) {
            ShowErrorMessage(messages_, error.what());
            return false;
        }
    }
    if (picture.Empty()) {
        actions_.SetEnabled(ActEditPaste, false);
        PublishStates();
        return false;
    }
    // The picture is the stored frame's when it has that frame's size.
    const bool ours = stored && stored->Frames[0]->Width() == picture.Width() &&
                      stored->Frames[0]->Height() == picture.Height();
    const int count = animation_.Frames.Count();
    if (!active_)
        return StartAnimationWith(picture, PasteFrameName);
    const int position = AskInsertPosition();
    if (position < 0 || !InsertBitmapAsFrame(picture, position, PasteFrameName))
        return false;
    TGIFSubImage& pasted = *animation_.Frames[position];
    if (ours && animation_.Frames.Count() > count && pasted.Width() == picture.Width() &&
        pasted.Height() == picture.Height()) {
        try {
            TakeOverStoredFrame(animation_, pasted, *stored);
        } catch (const std::exception& error) {
            ShowErrorMessage(messages_, error.what());
        }
        pasted.ReleaseRendering();
        frameList_.ReplaceThumbnail(position, FrameListPicture(pasted));
        active_->MarkModified(true);
        ShowFrame(position);
    }
    return true;
}

bool TEditorContext::PasteComments()
{
    if (!active_ || !clipboard_)
        return false;
    const std::optional<std::vector<uint8_t>> text = clipboard_->GetData(ClipboardFormatText);
    if (!text || text->empty())
        return false;
    if (animation_.Frames.Count() == 0) {
        ShowMessageBox(messages_, TMsgDlgType::mtWarning, NoCommentFrameMessage, {TMsgDlgBtn::mbOK});
        return false;
    }
    TGIFSubImage& first = *animation_.Frames[0];
    animation_.StopAllPlayers();
    AddFrameComment(first, CommentText(std::string(text->begin(), text->end())));
    active_->AddCommand(ckComment, atAdded, 0, first.Extensions.Count() - 1, 0, ActionAddComment);
    active_->MarkModified(true);
    ShowFrame(std::max(frameList_.Selected(), 0));
    active_->RefreshUndoState();
    return true;
}

void TEditorContext::DeleteClipboardFile()
{
    if (values_.ClipboardFile.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove(values_.ClipboardFile, ignored);
    values_.ClipboardFile.clear();
}

} // namespace fl
