// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Document.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "document/ActiveAnimationCommand.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "document/RecordedActions.h"
#include "document/WorkingCopyRecords.h"
#include "editing/ActiveFrames.h"
#include "editing/AnimationFiles.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

constexpr const char* SaveChangesQuestion = "Would you like to save changes to %s?";
constexpr const char* CompatibilityQuestion =
    "Would you like Frameloom to check the compatibility of this animation?";
constexpr const char* DoNotAskAgain = "Do not ask again";
constexpr const char* OneFrameMessage = "The image %s must have, at least, one frame image.";
constexpr const char* ModifiedText = "Modified";

std::string FullPath(const std::string& path)
{
    std::error_code error;
    const fs::path full = fs::absolute(fs::path(path), error);
    return error ? path : full.lexically_normal().string();
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(fs::path(path), error);
}

// Yes (check and adjust) or No, remembered under "Compatibility" when the
// user ticks "Do not ask again".
int AskCompatibility(TMessageService& messages, TSettingsStore& settings)
{
    const int remembered = ReadIntegerSetting(settings, KeyCompatibility);
    if (remembered == mrYes || remembered == mrNo)
        return remembered;
    TMessageRequest request;
    request.Kind = TMsgDlgType::mtInformation;
    request.Text = CompatibilityQuestion;
    request.Buttons = {{TMsgDlgBtn::mbYes, {}}, {TMsgDlgBtn::mbNo, {}}};
    request.CheckBoxCaption = DoNotAskAgain;
    const TMessageAnswer answer = messages.Ask(request);
    if (answer.Checked && answer.ModalResult != mrCancel)
        WriteIntegerSetting(settings, KeyCompatibility, answer.ModalResult);
    return answer.ModalResult;
}

// The inspector row an undo selects: the first row label in the command's
// name, else the row the inspector was on.
int RowForUndoneCommand(const std::string& name, int currentRow)
{
    for (int row = 0; row < InspectorRowCount; ++row)
        if (name.find(InspectorRowLabels[row]) != std::string::npos)
            return row;
    return currentRow;
}

} // namespace

TDocument::TDocument(TEditorContext& context, const std::string& fileName, bool untitled)
    : context_(context), fileName_(untitled ? fileName : FullPath(fileName)), untitled_(untitled),
      history_(context)
{
}

TDocument::~TDocument()
{
    DeleteWorkingCopy();
    history_.ClearHistory();
}

std::string TDocument::ShortName() const
{
    return fs::path(fileName_).filename().string();
}

bool TDocument::FileExists() const
{
    return IsFile(fileName_);
}

bool TDocument::IsActive() const
{
    return context_.active_ == this;
}

bool TDocument::WriteWorkingCopy()
{
    return SaveAnimationFile(context_.messages_, context_.animation_, workingCopy_, false, false,
                             context_.values_.AnimationDefaults());
}

void TDocument::DeleteWorkingCopy()
{
    if (!workingCopy_.empty()) {
        std::error_code ignored;
        fs::remove(fs::path(workingCopy_), ignored);
        DeleteWorkingCopyRecord(workingCopy_);
        workingCopy_.clear();
    }
}

void TDocument::CreateWorkingCopy()
{
    workingCopy_ = MakeTempFileName(TempFolder(), TempFilePrefix);
    // The record beside it lets the next start offer the edits back if this
    // one ends abnormally.
    if (!workingCopy_.empty())
        WriteWorkingCopyRecord(workingCopy_, fileName_, untitled_);
}

void TDocument::AdoptWorkingCopy(const std::string& path)
{
    DeleteWorkingCopy();
    workingCopy_ = path;
    WriteWorkingCopyRecord(workingCopy_, fileName_, untitled_);
}

void TDocument::MarkModified(bool flag)
{
    if (flag) {
        if (workingCopy_.empty())
            CreateWorkingCopy();
        // A working copy that cannot be written keeps the document open and
        // its edits in the active animation; the next deactivation tries
        // again, and keeps them in memory if that fails too.
        // Within a frame batch the copy is written once, when it ends.
        if (!workingCopy_.empty() && IsActive() && !context_.animation_.IsEmpty() && !context_.InFrameBatch() &&
            !WriteWorkingCopy())
            workingCopyCount_ = -1;
        statusText_ = ModifiedText;
    } else {
        statusText_.clear();
    }
    modified_ = flag;
    if (IsActive())
        context_.actions_.SetEnabled(ActFileSave, modified_);
    context_.actions_.SetEnabled(ActFileSaveAll, context_.AnyDocumentModified());
    context_.windows_.DocumentChanged(*this);
    context_.PublishStates();
}

bool TDocument::RefreshUndoState()
{
    const bool hasCommands = history_.Count() > 0;
    // Only the active document speaks for the main window's commands; one
    // closing in the background must not disable the active one's Undo.
    if (IsActive() || !context_.active_) {
        context_.actions_.SetEnabled(ActEditUndo, hasCommands);
        context_.actions_.SetCaption(ActEditUndo, UndoCaption(history_.LastName()));
        context_.actions_.SetEnabled(ActEditRedo, history_.RedoCount() > 0);
        context_.actions_.SetCaption(ActEditRedo, RedoCaption(history_.RedoName()));
        context_.actions_.SetEnabled(ActFileSave, modified_);
    }
    context_.actions_.SetEnabled(ActFileSaveAll, context_.AnyDocumentModified());
    context_.windows_.DocumentChanged(*this);
    context_.PublishStates();
    return hasCommands;
}

void TDocument::AssignFileName(const std::string& path)
{
    fileName_ = FullPath(path);
    untitled_ = false;
    modified_ = false;
    DeleteWorkingCopy();
    workingCopyCount_ = 0;
    RefreshUndoState();
}

bool TDocument::QuerySave(bool saveAs, bool noPrompt)
{
    TMessageService& messages = context_.messages_;
    if (!noPrompt && modified_) {
        messages.Beep();
        const int answer = ShowMessageBox(messages, TMsgDlgType::mtConfirmation,
                                          FormatText(SaveChangesQuestion, {ShortName()}),
                                          {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel});
        if (answer == mrNo)
            return true;
        if (answer != mrYes)
            return false;
        noPrompt = true;
    }
    if (!noPrompt)
        return true;
    if (!saveAs && !untitled_)
        return SaveDocument();

    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Save;
    request.Filter = SaveDialogFilter;
    request.InitialDir = context_.values_.InitialDir;
    request.FileName = fileName_;
    request.DefaultExt = "gif";
    const TFileDialogAnswer chosen = context_.dialogs_.Run(request);
    if (!chosen.Accepted || chosen.Files.empty())
        return false;
    context_.values_.InitialDir = fs::path(chosen.Files.front()).parent_path().string();

    // The chosen name takes over only once the file is written, so that a
    // failed save leaves the document as it was, edits and working copy
    // included.
    return SaveTo(chosen.Files.front());
}

bool TDocument::SaveDocument()
{
    return SaveTo(fileName_);
}

bool TDocument::SaveTo(const std::string& path)
{
    const int compatibility = AskCompatibility(context_.messages_, context_.settings_);
    const std::string target = FullPath(path);

    // The edits of a document that is not in the active animation are in
    // its working copy or kept in memory.
    TGIFImage scratch;
    TGIFImage* content = &context_.animation_;
    if (!IsActive() || !loaded_ || reloadPending_) {
        if (keptAnimation_) {
            content = keptAnimation_.get();
        } else {
            const std::string source = IsFile(workingCopy_) ? workingCopy_ : fileName_;
            if (!LoadAnimationFile(context_.messages_, scratch, source))
                return false;
            content = &scratch;
        }
    }
    if (!SaveAnimationFile(context_.messages_, *content, target, compatibility == mrYes, true,
                           context_.values_.AnimationDefaults()))
        return false;

    fileName_ = target;
    modified_ = false;
    untitled_ = false;
    statusText_.clear();
    history_.ClearHistory();
    historyTrimmed_ = false;
    DeleteWorkingCopy();
    workingCopyCount_ = 0;
    keptAnimation_.reset();
    RefreshUndoState();
    return true;
}

void TDocument::AddCommand(TCommandKind kind, TActionType action, int colorIndex, int extra, int frameIndex,
                           const std::string& name)
{
    const int before = history_.Count();
    history_.AddCommand(kind, action, colorIndex, extra, frameIndex, name);
    if (before > history_.Limit())
        historyTrimmed_ = true;
    RefreshUndoState();
    workingCopyCount_ = history_.Count() + 1;
}

void TDocument::SetUndoLimit(int limit)
{
    if (limit != history_.Limit()) {
        history_.SetLimit(limit);
        undoLimit_ = limit;
    }
}

bool TDocument::Undo()
{
    return Undo(true);
}

bool TDocument::RollBack()
{
    return Undo(false);
}

bool TDocument::Undo(bool keepForRedo)
{
    if (history_.Count() == 0)
        return true;
    const int frameIndex = history_.LastFrameIndex();
    const std::string name = history_.LastName();
    const int currentRow = context_.InspectorRow();
    const int selected = context_.frameList_.Selected();
    // A snapshot of the whole animation puts every frame back.
    const bool wholeAnimation = dynamic_cast<const TActiveAnimation*>(&history_.At(history_.Count() - 1)) != nullptr;

    history_.UndoLast(keepForRedo);
    context_.SelectInspectorRow(RowForUndoneCommand(name, currentRow));

    TEditorContext& context = context_;
    if (history_.Count() == 0 && !untitled_ && !historyTrimmed_) {
        // Back at the saved state.
        MarkModified(false);
        DeleteWorkingCopy();
        if (FileExists()) {
            FrameToSelect = 0;
            context.LoadActiveDocument(fileName_);
            if (!context.IsOpen(this))
                return false;
        }
    } else {
        workingCopyCount_ = -1;
        context.ShowFrame(frameIndex);
    }

    if (name == ActionChangeGlobalPalette && history_.Count() > 0) {
        // Every thumbnail shows the global colors: rebuild them all.
        if (!workingCopy_.empty() && WriteWorkingCopy()) {
            context.LoadActiveDocument(workingCopy_);
            if (!context.IsOpen(this))
                return false;
        } else {
            context.FillFrameList();
            context.ShowFrame(frameIndex);
        }
    } else if (wholeAnimation && context.IsOpen(this) && !context.animation_.IsEmpty()) {
        // Every frame came back from the snapshot: every thumbnail is drawn
        // again, and the frame that was selected stays selected.
        context.FillFrameList();
        context.ShowFrame(std::clamp(selected, 0, std::max(context.frameList_.Count() - 1, 0)));
    }

    RefreshUndoState();
    if (context.animation_.IsEmpty()) {
        context.CloseDocument(*this, false);
        return false;
    }
    return true;
}

bool TDocument::Redo()
{
    if (history_.RedoCount() == 0)
        return true;
    const int frameIndex = history_.RedoFrameIndex();
    const std::string name = history_.RedoName();
    const int currentRow = context_.InspectorRow();
    const int selected = context_.frameList_.Selected();
    const int before = history_.Count();
    history_.RedoLast();
    // The undo step it recorded pushed the oldest one out.
    if (history_.Count() <= before)
        historyTrimmed_ = true;
    context_.SelectInspectorRow(RowForUndoneCommand(name, currentRow));
    MarkModified(true);
    // Every frame came back from the copy: every thumbnail is drawn again.
    // The frame the step concerns is shown when it exists.
    const int count = context_.animation_.Frames.Count();
    if (count > 0) {
        context_.FillFrameList();
        context_.ShowFrame(frameIndex >= 0 && frameIndex < count ? frameIndex : std::clamp(selected, 0, count - 1));
    }
    RefreshUndoState();
    return true;
}

void TDocument::MoveFrame(int from, int to)
{
    const int count = context_.frameList_.Count();
    if (from == -1 || to > count - 1)
        return;
    if (from < 0 || from >= count || to < 0)
        return;
    // A card dragged while the preview plays: the edit ends the preview, as
    // showing a frame does, so that the commands it locked come back.
    context_.windows_.PausePreview();
    AddCommand(ckFrame, atMoved, 0, to, from, ActionMoveFrame);
    MoveActiveFrame(context_, from, to);
    MarkModified(true);
    context_.actions_.EnableMoves(to, count);
    context_.PublishStates();
}

void TDocument::DeleteFrame(int index)
{
    if (index == -1)
        return;
    TFrameListModel& list = context_.frameList_;
    if (list.Count() == 1) {
        ShowMessageBox(context_.messages_, TMsgDlgType::mtInformation, FormatText(OneFrameMessage, {ShortName()}),
                       {TMsgDlgBtn::mbOK});
        return;
    }
    // Recording a deletion that cannot happen would make its undo insert a
    // frame that was never taken out.
    if (index < 0 || index >= context_.animation_.Frames.Count())
        return;
    AddCommand(ckFrame, atRemoved, 0, -1, index, ActionDeleteFrame);
    if (DeleteActiveFrame(context_, index))
        MarkModified(true);
    if (list.Selected() >= 0)
        context_.ShowFrame(list.Selected());
    RefreshUndoState();
}

} // namespace fl
