// SPDX-License-Identifier: GPL-3.0-or-later
// How files become documents: a GIF file opened with its frame list, a video
// converted into an untitled document, and a still image added as a frame or
// starting a new animation. Whatever fails, the document that was active
// before stays as it was.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "document/Command.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "document/RecordedActions.h"
#include "document/WorkingCopyRecords.h"
#include "editing/ActiveFrames.h"
#include "editing/AnimationFit.h"
#include "editing/AnimationFiles.h"
#include "editing/FileTypes.h"
#include "editing/FrameSettings.h"
#include "editing/ImageImport.h"
#include "editing/TextRoutines.h"
#include "gif/SubImage.h"
#include "platform/MessageService.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

// The progress handler of the active animation is off while a file becomes
// a document: its renderings would report each frame on their own.
class TQuietProgress {
public:
    explicit TQuietProgress(TGIFImage& animation) : animation_(animation), handler_(animation.OnProgress)
    {
        animation_.OnProgress = nullptr;
    }
    ~TQuietProgress() { animation_.OnProgress = handler_; }
    TQuietProgress(const TQuietProgress&) = delete;
    TQuietProgress& operator=(const TQuietProgress&) = delete;

private:
    TGIFImage& animation_;
    TProgressEvent handler_;
};

} // namespace

void TEditorContext::AddRecentFile(const std::string& path)
{
    recentFiles_.Add(path);
    windows_.RecentFilesChanged();
}

void TEditorContext::RemoveRecentFile(const std::string& path)
{
    if (recentFiles_.Remove(path))
        windows_.RecentFilesChanged();
}

TDocument* TEditorContext::SetActiveAside()
{
    TDocument* previous = active_;
    if (previous) {
        windows_.PausePreview();
        KeepEdits(*previous);
        previous->loaded_ = false;
        previous->reloadPending_ = false;
        active_ = nullptr;
    }
    frameList_.BeginUpdate();
    frameList_.Clear();
    frameList_.EndUpdate();
    animation_.Reset();
    return previous;
}

void TEditorContext::RestoreActive(TDocument* previous)
{
    animation_.Reset();
    if (previous && IsOpen(previous)) {
        active_ = previous;
        ReloadDocument(*previous);
        if (IsOpen(previous))
            windows_.BringToFront(*previous);
    }
    PublishStates();
}

bool TEditorContext::OpenAnimationFile(const std::string& path)
{
    const std::string full = FullPath(path);
    if (TDocument* open = FindDocument(full)) {
        messages_.Beep();
        ActivateDocument(*open);
        return false;
    }
    TDocument* previous = SetActiveAside();
    bool listed = false;
    {
        TQuietProgress quiet(animation_);
        listed = LoadAnimationFile(messages_, animation_, full) && ListAfterLoad(full);
    }
    if (!listed) {
        RestoreActive(previous);
        return false;
    }
    AddRecentFile(full);
    return true;
}

bool TEditorContext::ListAfterLoad(const std::string& path)
{
    frameList_.BeginUpdate();
    frameList_.Clear();
    if (animation_.Frames.Count() >= 2) {
        TBusyCursor busy(messages_);
        windows_.Progress(TProgressStage::Starting, 0);
        MoveEmptyFramesToEnd(animation_);
        const int count = animation_.Frames.Count();
        for (int i = 0; i < count; ++i) {
            TGIFSubImage& frame = *animation_.Frames[i];
            if (frame.IsEmpty())
                continue;
            windows_.Progress(TProgressStage::Running, (i + 1) * 100 / count);
            AppendFrameItem(frame);
        }
        windows_.Progress(TProgressStage::Ending, 100);
    } else if (animation_.Frames.Count() == 1 && !animation_.Frames[0]->IsEmpty()) {
        AppendFrameItem(*animation_.Frames[0]);
    }
    frameList_.EndUpdate();

    // A file whose frames all lack pixels has nothing to show either.
    if (frameList_.Count() == 0) {
        ShowMessageBox(messages_, TMsgDlgType::mtWarning, FormatText(UndecodableFileMessage, {path}),
                       {TMsgDlgBtn::mbOK});
        RemoveRecentFile(path);
        return false;
    }
    frameList_.Select(0);
    TDocument& document = AddDocument(path, false);
    document.FrameToSelect = 0;
    ShowFrame(0);
    return true;
}

bool TEditorContext::ImportAviDocument(const std::string& path)
{
    auto imported = std::make_unique<TGIFImage>();
    imported->OnProgress = ProgressReceiver();
    imported->WarningHandler = animation_.WarningHandler;
    std::string failure;
    {
        TBusyCursor busy(messages_);
        try {
            if (!aviImporter_)
                throw std::runtime_error("Video files cannot be converted here.");
            aviImporter_(*imported, path);
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    imported->OnProgress = nullptr;
    if (imported->IsEmpty()) {
        ShowMessageBox(messages_, TMsgDlgType::mtError, FormatText(AviImportFailedMessage, {path}),
                       {TMsgDlgBtn::mbOK});
        return false;
    }
    // A conversion that stopped part way keeps what it made, and says so.
    if (!failure.empty())
        ShowMessageBox(messages_, TMsgDlgType::mtWarning, failure, {TMsgDlgBtn::mbOK});

    return AdoptAnimation(std::move(imported));
}

bool TEditorContext::AdoptAnimation(std::unique_ptr<TGIFImage> animation)
{
    TDocument* previous = SetActiveAside();
    TDocument& document = NewDocument();
    document.CreateWorkingCopy();
    const bool written =
        !document.workingCopy_.empty() && SaveAnimationFile(messages_, *animation, document.workingCopy_, false,
                                                            true, values_.AnimationDefaults());
    animation.reset();
    if (!written) {
        DiscardDocument(document);
        RestoreActive(previous);
        return false;
    }
    return ShowFromWorkingCopy(document);
}

bool TEditorContext::ShowFromWorkingCopy(TDocument& document)
{
    // The working copy holds the document: marking it modified leaves the
    // file as written, and activating loads it.
    document.MarkModified(true);
    document.loaded_ = false;
    ReloadDocument(document);
    return IsOpen(&document);
}

int TEditorContext::RecoverWorkingCopies()
{
    const std::string folder = TempFolder();
    if (folder.empty())
        return 0;
    int recovered = 0;
    for (TWorkingCopyRecord record : FindAbandonedWorkingCopies(folder)) {
        if (!ClaimWorkingCopy(record))
            continue;
        const std::string name = std::filesystem::path(record.FileName).filename().string();
        const int answer =
            ShowMessageBox(messages_, TMsgDlgType::mtConfirmation, FormatText(RecoverQuestion, {name}),
                           {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo});
        if (answer == mrNo) {
            DiscardAbandonedCopy(record);
            continue;
        }
        // A box closed without an answer, or a copy that cannot be read now,
        // stays for the next start.
        if (answer != mrYes || !CanLoadAnimation(record.WorkingCopy, name)) {
            ReleaseWorkingCopy(record);
            continue;
        }
        // An untitled document under the file's own name: saving it asks
        // where, with that name to start from.
        TDocument* previous = SetActiveAside();
        TDocument& document = AddDocument(record.FileName, true);
        document.AdoptWorkingCopy(record.WorkingCopy);
        std::error_code ignored;
        std::filesystem::remove(record.RecordFile, ignored);
        if (ShowFromWorkingCopy(document))
            ++recovered;
        else
            RestoreActive(previous);
    }
    return recovered;
}

bool TEditorContext::CanLoadAnimation(const std::string& path, const std::string& name)
{
    try {
        TBusyCursor busy(messages_);
        TGIFImage trial;
        trial.LoadFromFile(path);
        if (!trial.IsEmpty())
            return true;
    } catch (const std::exception& error) {
        ShowErrorMessage(messages_, "Unable to recover " + name + ": " + error.what());
        return false;
    }
    ShowErrorMessage(messages_, "Unable to recover " + name + ": the saved changes hold no frame.");
    return false;
}

bool TEditorContext::AddImageFile(const std::string& path, int fileType)
{
    TBitmap bitmap;
    // ImportImageFile shows the hourglass while it reads, not over its questions.
    const int result =
        ImportImageFile(*this, path, bitmap, fileType, false,
                        ThumbnailDrag ? TDropSource::ThumbnailsOutsideFrameList : TDropSource::Other);
    if (result != importBitmapFilled)
        return result == importFramesAdded || result == importOpenedAsNew;
    if (ThumbnailDrag)
        return StartAnimationWith(bitmap, ActionDragAndDropImage);
    if (!active_)
        return StartAnimationWith(bitmap, ActionAddFrame);
    return InsertBitmapAsFrame(bitmap, std::max(frameList_.Selected(), 0), ActionAddFrame);
}

bool TEditorContext::StartAnimationWith(const TBitmap& bitmap, const std::string& undoName)
{
    TDocument* previous = SetActiveAside();
    int added = -1;
    try {
        added = AddBitmapAsFrame(bitmap, 0);
    } catch (const std::exception& error) {
        ShowErrorMessage(messages_, error.what());
    }
    if (added < 0) {
        RestoreActive(previous);
        return false;
    }
    frameList_.BeginUpdate();
    frameList_.AddItem(FrameItemCaption, FrameListPicture(*animation_.Frames[0]));
    frameList_.EndUpdate();
    TDocument& document = NewDocument();
    document.AddCommand(ckFrame, atAdded, 0, -1, 0, undoName);
    document.MarkModified(true);
    document.FrameToSelect = 0;
    ShowFrame(0);
    return true;
}

std::string TEditorContext::AddFrameFiles(const std::vector<std::string>& files)
{
    std::string folder;
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        folder = std::filesystem::path(*file).parent_path().string();
        AddFrameFromFile(*file);
    }
    return folder;
}

bool TEditorContext::AddThumbnailFile(const std::string& path)
{
    struct TClearFlag {
        bool& flag;
        ~TClearFlag() { flag = false; }
    } clear{ThumbnailDrag};
    const int type = FileTypeIndex(path);
    if (!active_ && type == 0)
        return OpenAnimationFile(path);
    return AddImageFile(path, type);
}

bool TEditorContext::AddFrameFromFile(const std::string& path)
{
    windows_.StopPreview();
    TBitmap bitmap;
    // ImportImageFile shows the hourglass while it reads, not over its questions.
    const int result = ImportImageFile(*this, path, bitmap, FileTypeIndex(path), false);
    if (result != importBitmapFilled)
        return result == importFramesAdded || result == importOpenedAsNew;
    if (!active_)
        return StartAnimationWith(bitmap, ActionAddFrame);
    const int position = AskInsertPosition();
    return position >= 0 && InsertBitmapAsFrame(bitmap, position, ActionAddFrame);
}

bool TEditorContext::DropFrameOnDocument(TDocument& target)
{
    const int selected = frameList_.Selected();
    if (!active_ || selected < 0 || selected >= animation_.Frames.Count() ||
        animation_.Frames[selected]->IsEmpty())
        return false;
    TBitmap picture;
    try {
        // A frame that cannot be drawn (no colors to draw it with) says why.
        const TBitmap* shown = animation_.Frames[selected]->RenderBitmap();
        if (!shown)
            return false;
        picture = *shown;
    } catch (const std::exception& error) {
        ShowErrorMessage(messages_, error.what());
        return false;
    }
    ActivateDocument(target);
    if (!IsOpen(&target) || active_ != &target)
        return false;
    const int position = AskInsertPosition();
    return position >= 0 && InsertBitmapAsFrame(picture, position, ActionDragAndDropImage);
}

} // namespace fl
