// SPDX-License-Identifier: GPL-3.0-or-later
// How the one active animation follows the active document: writing a
// document's edits back when another takes over, reloading on activation,
// giving up on documents whose file is gone, and the state without any
// document.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "editing/AnimationFiles.h"
#include "editing/TextRoutines.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

bool IsFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

} // namespace

void TEditorContext::DocumentActivated(TDocument& document)
{
    if (active_ == &document && (document.loaded_ || document.reloadPending_))
        return;
    windows_.PausePreview();
    active_ = &document;
    if (!document.loaded_ && !document.reloadPending_) {
        document.reloadPending_ = true;
        windows_.PostReload(document);
    }
    document.RefreshUndoState();
}

void TEditorContext::DocumentDeactivated(TDocument& document)
{
    KeepEdits(document);
    SetStatusText("");
    // A reload still waiting was for this activation: run after another
    // document took over, it would load this file under the other's name.
    // The next activation posts its own.
    document.reloadPending_ = false;
    if (documents_.size() > 1)
        document.loaded_ = false;
}

void TEditorContext::KeepEdits(TDocument& document)
{
    // Until its reload has run, the active animation holds another
    // document's state, never this one's edits.
    if (!document.loaded_ || document.reloadPending_ || document.history_.Count() == document.workingCopyCount_)
        return;
    if (IsFile(document.workingCopy_) && document.WriteWorkingCopy()) {
        document.workingCopyCount_ = document.history_.Count();
        document.keptAnimation_.reset();
        return;
    }
    // No working copy took the edits (none could be made, or writing it
    // failed and the user was told): keep them in memory rather than let
    // the next reload lose them.
    if (document.modified_) {
        document.keptAnimation_ = std::make_unique<TGIFImage>();
        document.keptAnimation_->CopyFrom(&animation_);
    }
}

void TEditorContext::ActivateDocument(TDocument& document)
{
    if (active_ && active_ != &document)
        DocumentDeactivated(*active_);
    windows_.BringToFront(document);
    DocumentActivated(document);
    DispatchReload(&document);
}

void TEditorContext::DispatchReload(TDocument* document)
{
    if (!IsOpen(document) || !document->reloadPending_)
        return;
    document->reloadPending_ = false;
    // Only the active document's file may become the active animation.
    if (document != active_)
        return;
    ReloadDocument(*document);
}

void TEditorContext::ReloadDocument(TDocument& document)
{
    if (document.keptAnimation_) {
        frameList_.BeginUpdate();
        frameList_.Clear();
        frameList_.EndUpdate();
        animation_.CopyFrom(document.keptAnimation_.get());
        document.keptAnimation_.reset();
        ShowLoadedAnimation(document);
    } else {
        LoadActiveDocument(document.workingCopy_.empty() ? document.fileName_ : document.workingCopy_);
        if (!IsOpen(&document))
            return;
    }
    actions_.SetEnabled(ActFileSaveAll, AnyDocumentModified());
    document.loaded_ = true;
    PublishStates();
}

void TEditorContext::LoadActiveDocument(const std::string& path)
{
    TDocument* document = active_;
    if (!document)
        return;
    bool loaded = false;
    {
        TBusyCursor busy(messages_);
        frameList_.BeginUpdate();
        frameList_.Clear();
        frameList_.EndUpdate();
        animation_.Reset();
        loaded = LoadAnimationFile(messages_, animation_, path);
    }
    const bool empty = animation_.IsEmpty();
    if (empty || !loaded) {
        ShowMessageBox(messages_, TMsgDlgType::mtWarning,
                       FormatText(MovedFileMessage, {path, empty ? "Yes" : "No", loaded ? "No" : "Yes"}),
                       {TMsgDlgBtn::mbOK});
        DiscardDocument(*document);
        return;
    }
    ShowLoadedAnimation(*document);
}

void TEditorContext::ShowLoadedAnimation(TDocument& document)
{
    FillFrameList();
    if (frameList_.Count() == 0)
        return;
    ShowFrame(std::clamp(document.FrameToSelect, 0, frameList_.Count() - 1));
}

void TEditorContext::DiscardDocument(TDocument& document)
{
    document.modified_ = false;
    // Nothing is left to show: the same state as after closing the last one.
    if (documents_.size() == 1)
        ResetAfterLastDocument();
    RemoveDocument(document);
}

void TEditorContext::ResetAfterLastDocument()
{
    windows_.ResetInspector();
    frameList_.BeginUpdate();
    frameList_.Clear();
    frameList_.EndUpdate();
    animation_.Reset();
    actions_.EnableDocumentActions(false);
    actions_.SetEnabled(ActFrameDelete, false);
    for (const char* move : {ActFrameMoveBegin, ActFrameMoveEnd, ActFrameMoveUp, ActFrameMoveDown})
        actions_.SetEnabled(move, false);
    statusText_.clear();
    PublishStates();
}

void TEditorContext::SaveTimerFired()
{
    const bool open = !documents_.empty();
    actions_.SetEnabled(ActFileSave, open);
    actions_.SetEnabled(ActFileSaveAll, open);
    PublishStates();
}

} // namespace fl
