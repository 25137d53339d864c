// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/EditorContext.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "document/Document.h"
#include "document/EditorWindows.h"
#include "editing/ActiveFrames.h"
#include "editing/AnimationFit.h"
#include "editing/AnimationPalettes.h"
#include "editing/FrameSettings.h"
#include "editing/PaletteSettings.h"
#include "gif/SubImage.h"
#include "platform/Clipboard.h"
#include "platform/MessageService.h"
#include "platform/PixelFormat.h"
#include "platform/SettingsKeys.h"

namespace fl {

std::string TEditorContext::FullPath(const std::string& path)
{
    std::error_code error;
    const auto full = std::filesystem::absolute(std::filesystem::path(path), error);
    return error ? path : full.lexically_normal().string();
}

TEditorContext::TEditorContext(TMessageService& messages, TFileDialogService& dialogs,
                               TSettingsStore& settings, TEditorWindows& windows)
    : messages_(messages), dialogs_(dialogs), settings_(settings), windows_(windows)
{
    frameList_.SetThumbnailBound(values_.FrameSize);
    frameList_.OnRefreshSelected = [this](int index) { ShowFrame(index); };
    animation_.OnProgress = ProgressReceiver();
}

TEditorContext::~TEditorContext()
{
    // The windows are going too: the documents only delete their files.
    active_ = nullptr;
    documents_.clear();
    DeleteClipboardFile();
}

TGIFImage* TEditorContext::ActiveAnimation()
{
    return documents_.empty() ? nullptr : &animation_;
}

TProgressEvent TEditorContext::ProgressReceiver()
{
    return [this](TGraphic&, TProgressStage stage, int percent, bool, const std::string&) {
        windows_.Progress(stage, percent);
    };
}

void TEditorContext::OpenAsNewDocument(const std::string& path)
{
    if (active_)
        windows_.BringToFront(*active_);
    OpenAnimationFile(path);
}

int TEditorContext::AskInsertPosition()
{
    // Without a selected frame there is only one place to ask about.
    if (frameList_.Selected() < 0)
        return 0;
    return windows_.AskInsertPosition();
}

bool TEditorContext::InsertBitmapAsFrame(const TBitmap& bitmap, int index, const std::string& undoName)
{
    TDocument* document = active_;
    if (!document || index < 0 || index > animation_.Frames.Count())
        return false;
    bool optimize = false;
    const TTrimChoice choice = AskTrimFrame(bitmap);
    if (choice == TTrimChoice::Cancelled || !AskPaletteRules(bitmap, optimize))
        return false;
    // Growing the animation crops the frames that reach past the picture:
    // the step then keeps the whole animation, so that Undo gives them back.
    const bool whole = choice == TTrimChoice::Grow;
    try {
        if (whole)
            document->AddCommand(ckActiveAnimation, atWholeAnimation, 0, 0, 0, undoName);
        TBitmap fitted(bitmap);
        if (choice != TTrimChoice::Fits)
            FitImageToAnimation(animation_, fitted, whole ? TFitMode::ResizeAnimation : TFitMode::CropImage);
        if (whole) {
            // Frames cut away entirely go behind the others, and the chosen
            // place moves with the frames that went from before it.
            const int before = index;
            for (int i = 0; i < before; ++i)
                if (animation_.Frames[i]->IsEmpty())
                    --index;
            MoveEmptyFramesToEnd(animation_);
        }
        MakeFrame(fitted, index, optimize);
    } catch (const std::exception& error) {
        if (whole && document->History().Count() > 0 && document->History().LastName() == undoName)
            document->RollBack();
        ShowErrorMessage(messages_, error.what());
        return false;
    }
    frameList_.BeginUpdate();
    if (whole)
        FillFrameList();
    else
        frameList_.InsertItem(index, FrameItemCaption, FrameListPicture(*animation_.Frames[index]));
    frameList_.EndUpdate();
    if (!whole)
        document->AddCommand(ckFrame, atAdded, 0, -1, index, undoName);
    document->MarkModified(true);
    document->FrameToSelect = index;
    ShowFrame(index);
    document->RefreshUndoState();
    return true;
}

TEditorContext::TTrimChoice TEditorContext::AskTrimFrame(const TBitmap& bitmap)
{
    if (frameList_.Count() == 0 ||
        (bitmap.Width() <= animation_.Width() + 1 && bitmap.Height() <= animation_.Height() + 1))
        return TTrimChoice::Fits;
    if (ReadIntegerSetting(settings_, KeyClipDefault) != 0)
        return ReadIntegerSetting(settings_, KeyClipFrame) != 0 ? TTrimChoice::Trim : TTrimChoice::Grow;
    if (batch_.Depth > 0 && batch_.Trim)
        return *batch_.Trim;
    const int answer = windows_.AskTrimFrame();
    if (answer < 0)
        return TTrimChoice::Cancelled;
    const TTrimChoice choice = answer == 1 ? TTrimChoice::Trim : TTrimChoice::Grow;
    if (batch_.Depth > 0)
        batch_.Trim = choice;
    return choice;
}

bool TEditorContext::AskPaletteRules(const TBitmap& bitmap, bool& optimize)
{
    optimize = ReadIntegerSetting(settings_, KeyPaletteType) == 0;
    if (BitsPerPixel(bitmap.PixelFormat()) < 8)
        return true;
    // The question is answered before the hourglass shows.
    const bool answered = batch_.Depth > 0 && batch_.PaletteAsked;
    if (ReadIntegerSetting(settings_, KeyPaletteDefaults) == 0 && !answered && !windows_.AskPaletteSettings())
        return false;
    if (batch_.Depth > 0)
        batch_.PaletteAsked = true;
    ApplyPaletteSettings(animation_, settings_);
    const int type = ReadIntegerSetting(settings_, KeyPaletteType);
    optimize = type == 0 || type == 1;
    return true;
}

int TEditorContext::AddBitmapAsFrame(const TBitmap& bitmap, int index)
{
    bool optimize = false;
    if (index < 0 || index > animation_.Frames.Count() || !AskPaletteRules(bitmap, optimize))
        return -1;
    MakeFrame(bitmap, index, optimize);
    return index;
}

void TEditorContext::MakeFrame(const TBitmap& bitmap, int index, bool optimize)
{
    TBusyCursor busy(messages_);
    const int count = animation_.Frames.Count();
    // The frame is made whole before it joins the animation, so that a
    // failure leaves the animation as it was.
    auto frame = std::make_unique<TGIFSubImage>(&animation_);
    frame->CopyFrom(bitmap);
    TGIFSubImage& added = *frame;
    animation_.StopAllPlayers();
    animation_.Frames.Insert(index, std::move(frame));
    PrepareNewFrame(added, values_.DefaultLoopCount, values_.DefaultDelay);
    if (count == 0)
        AddFrameComment(added, CreatorComment);
    if (optimize && batch_.Depth > 0)
        batch_.Optimize = true;
    else if (optimize)
        OptimizeAnimationPalettes(animation_);
    animation_.SignalChange();
}

void TEditorContext::BeginFrameBatch()
{
    ++batch_.Depth;
}

void TEditorContext::EndFrameBatch()
{
    if (batch_.Depth == 0 || --batch_.Depth > 0)
        return;
    const bool optimize = batch_.Optimize;
    batch_ = {};
    // Runs from a destructor: what fails is said, not thrown.
    try {
        if (optimize && !animation_.IsEmpty()) {
            TBusyCursor busy(messages_);
            OptimizeAnimationPalettes(animation_);
            animation_.SignalChange();
        }
        if (active_ && active_->Modified())
            active_->MarkModified(true);
    } catch (const std::exception& error) {
        ShowErrorMessage(messages_, error.what());
    }
}

void TEditorContext::ActiveDocumentChanged()
{
    if (!active_)
        return;
    active_->MarkModified(true);
    KeepEdits(*active_);
}

void TEditorContext::SetStatusText(const std::string& text)
{
    if (statusText_ != text) {
        statusText_ = text;
        PublishStates();
    }
}

void TEditorContext::SelectInspectorRow(int row)
{
    inspectorRow_ = row;
    PublishStates();
}

void TEditorContext::PublishStates()
{
    windows_.StatesChanged();
}

TDocument* TEditorContext::FindDocument(const std::string& path) const
{
    const std::string full = FullPath(path);
    for (const auto& document : documents_)
        if (document->FileName() == full)
            return document.get();
    return nullptr;
}

bool TEditorContext::IsOpen(const TDocument* document) const
{
    return std::any_of(documents_.begin(), documents_.end(),
                       [document](const auto& open) { return open.get() == document; });
}

bool TEditorContext::AnyDocumentModified() const
{
    return std::any_of(documents_.begin(), documents_.end(),
                       [](const auto& document) { return document->Modified(); });
}

TDocument& TEditorContext::AddDocument(const std::string& fileName, bool untitled)
{
    // The document that held the active animation keeps its edits and is
    // reloaded when it becomes active again.
    if (active_) {
        KeepEdits(*active_);
        active_->loaded_ = false;
    }
    documents_.push_back(std::make_unique<TDocument>(*this, fileName, untitled));
    TDocument& document = *documents_.back();
    document.SetUndoLimit(ReadIntegerSetting(settings_, KeyMaxUndo));
    active_ = &document;
    actions_.SetArrangementEnabled(true);
    windows_.DocumentAdded(document);
    document.RefreshUndoState();
    return document;
}

TDocument& TEditorContext::NewDocument()
{
    const std::string name = "Untitled" + std::to_string(values_.NextUntitled++) + ".gif";
    return AddDocument(name, true);
}

bool TEditorContext::CloseDocument(TDocument& document, bool ask)
{
    if (ask && !document.QuerySave(false, false))
        return false;
    windows_.StopPreview();
    if (documents_.size() == 1) {
        ResetAfterLastDocument();
        windows_.StartSaveTimer();
    }
    RemoveDocument(document);
    return true;
}

void TEditorContext::RemoveDocument(TDocument& document)
{
    windows_.DocumentRemoved(document);
    const bool wasActive = active_ == &document;
    if (wasActive)
        active_ = nullptr;
    const auto found = std::find_if(documents_.begin(), documents_.end(),
                                    [&document](const auto& open) { return open.get() == &document; });
    if (found != documents_.end())
        documents_.erase(found);

    if (!active_) {
        actions_.SetEnabled(ActEditUndo, false);
        actions_.SetCaption(ActEditUndo, UndoCaption(""));
        actions_.SetEnabled(ActEditRedo, false);
        actions_.SetCaption(ActEditRedo, RedoCaption(""));
    }
    actions_.SetEnabled(ActFileSave, active_ && active_->Modified());
    actions_.SetEnabled(ActFileSaveAll, AnyDocumentModified());
    actions_.SetArrangementEnabled(!documents_.empty());
    PublishStates();
    // The active animation must follow a document again.
    if (wasActive && !documents_.empty())
        ActivateDocument(*documents_.back());
}

bool TEditorContext::PasteAvailable() const
{
    // Paste takes the clipboard's picture; without a system clipboard, the
    // picture of the frame the last Copy kept.
    if (clipboard_)
        return clipboard_->HasFormat(ClipboardFormatBitmap);
    std::error_code error;
    return !values_.ClipboardFile.empty() &&
           std::filesystem::is_regular_file(std::filesystem::path(values_.ClipboardFile), error);
}

bool TEditorContext::ShowFrame(int index)
{
    if (!active_)
        return false;
    // Whatever is shown next, the preview ends.
    windows_.PausePreview();
    if (index < 0 || index >= frameList_.Count() || animation_.IsEmpty())
        return false;
    if (index >= animation_.Frames.Count()) {
        ShowErrorMessage(messages_,
                         "EListError getting SubImages[" + std::to_string(index) + "] in DrawPreviewImage");
        return false;
    }
    // A shown frame always has its control block, as a saved one will.
    TGIFSubImage& frame = *animation_.Frames[index];
    if (!frame.ControlBlock)
        SetFrameDelay(frame, values_.DefaultDelay);
    frameList_.Select(index);
    active_->FrameToSelect = index;
    // The commands follow the selected frame even when the windows cannot
    // draw it (they said why): it can still be deleted or moved, and its
    // document saved.
    const bool shown = windows_.ShowFrame(index);
    actions_.SetEnabled(ActFrameDelete, true);
    actions_.SetEnabled(ActEditCut, true);
    actions_.SetEnabled(ActEditCopy, true);
    actions_.SetEnabled(ActEditPaste, PasteAvailable());
    actions_.EnableMoves(index, frameList_.Count());
    actions_.EnableDocumentActions(true);
    PublishStates();
    return shown;
}

void TEditorContext::FillFrameList()
{
    frameList_.BeginUpdate();
    frameList_.Clear();
    for (int i = 0; i < animation_.Frames.Count(); ++i) {
        TGIFSubImage& frame = *animation_.Frames[i];
        if (!frame.IsEmpty())
            AppendFrameItem(frame);
    }
    frameList_.EndUpdate();
}

void TEditorContext::AppendFrameItem(TGIFSubImage& frame)
{
    frameList_.AddItem(FrameItemCaption, FrameListPicture(frame));
    ForgetRendering(frame);
}

void TEditorContext::ForgetRendering(TGIFSubImage& frame)
{
    // The list keeps its own thumbnail and a shown frame is rendered again,
    // so a long animation need not hold two pictures of every frame. The
    // first frame's stays: it is shown at once and colors the frame panel.
    if (animation_.Frames.Count() > 0 && &frame != animation_.Frames[0])
        frame.ReleaseRendering();
}

void TEditorContext::SetFrameSize(int size)
{
    values_.FrameSize = static_cast<uint8_t>(std::clamp(size, 1, 255));
    frameList_.SetThumbnailBound(values_.FrameSize);
    frameList_.BeginUpdate();
    for (int i = 0; i < frameList_.Count() && i < animation_.Frames.Count(); ++i) {
        frameList_.ReplaceThumbnail(i, FrameListPicture(*animation_.Frames[i]));
        if (i != frameList_.Selected())
            ForgetRendering(*animation_.Frames[i]);
    }
    frameList_.EndUpdate();
}

void TEditorContext::EnableDocumentActions(bool enabled)
{
    actions_.EnableDocumentActions(enabled);
    PublishStates();
}

} // namespace fl
