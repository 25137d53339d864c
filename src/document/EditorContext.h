// SPDX-License-Identifier: GPL-3.0-or-later
// The editor without its windows: the one active animation every command
// works on, its frame list, the open documents and the active one, the
// program's values and the states of the commands. The main window owns
// one and shows what it holds; tests drive it with scripted services.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/ActionStates.h"
#include "document/FrameListModel.h"
#include "document/ProgramValues.h"
#include "document/RecentFiles.h"
#include "editing/EditorHost.h"
#include "gif/GIFImage.h"

namespace fl {

class TClipboard;
class TDocument;
class TEditorWindows;
class TFileDialogService;

// Texts the context shows.
inline constexpr const char* MovedFileMessage =
    "The file %s has either moved or cannot be opened. Existing changes will be lost. GIF Empty: %s, "
    "Load Error: %s.";
inline constexpr const char* SaveDialogFilter = "GIF Images (*.gif)|*.gif";
inline constexpr const char* UndecodableFileMessage = "Unable to decode %s. The file is could be corrupt.";
inline constexpr const char* AviImportFailedMessage = "Error importing %s to GIF.";
inline constexpr const char* RecoverQuestion = "Recover unsaved changes of %s?";
inline constexpr const char* NoCommentFrameMessage =
    "Unable to create a GIF Comment from the clipboard text.";

// Fills an empty animation from a video file; throws with a readable
// message when it cannot (what was converted until then stays).
using TAviImporter = std::function<void(TGIFImage& image, const std::string& path)>;

class TEditorContext final : public TEditorHost {
public:
    TEditorContext(TMessageService& messages, TFileDialogService& dialogs, TSettingsStore& settings,
                   TEditorWindows& windows);
    ~TEditorContext() override;
    TEditorContext(const TEditorContext&) = delete;
    TEditorContext& operator=(const TEditorContext&) = delete;

    // The routines' view of the editor.
    TMessageService& Messages() override { return messages_; }
    TSettingsStore& Settings() override { return settings_; }
    TGIFImage* ActiveAnimation() override;
    TFrameListView& FrameList() override { return frameList_; }
    TImageFileReader* ImageReader() override { return imageReader_; }
    TProgressEvent ProgressReceiver() override;
    void OpenAsNewDocument(const std::string& path) override;
    int AskInsertPosition() override;
    bool InsertBitmapAsFrame(const TBitmap& bitmap, int index, const std::string& undoName) override;
    void ActiveDocumentChanged() override;
    void BeginFrameBatch() override;
    void EndFrameBatch() override;
    bool InFrameBatch() const { return batch_.Depth > 0; }

    void SetImageReader(TImageFileReader* reader) { imageReader_ = reader; }
    // The system clipboard Paste reads; none means only the clipboard file.
    void SetClipboard(TClipboard* clipboard) { clipboard_ = clipboard; }
    // Whether Paste has something: a bitmap on the clipboard, or, without
    // a system clipboard, the file the last Copy wrote.
    bool PasteAvailable() const;
    // The clipboard commands (document/FrameClipboard.cpp). Copy keeps the
    // selected frame in the "~FL" clipboard file and puts its picture on
    // the clipboard; Paste inserts the clipboard's picture where the user
    // says, as the copied frame itself when it is that frame's picture;
    // Paste Comments adds the clipboard's text (at most 255 bytes) as a
    // comment of the first frame. Each answers whether it changed anything.
    bool CopyFrame();
    bool CutFrame();
    bool PasteFrame();
    bool PasteComments();
    // Deletes the clipboard file (at exit).
    void DeleteClipboardFile();
    // How video files become animations; none refuses them.
    void SetAviImporter(TAviImporter importer) { aviImporter_ = std::move(importer); }
    TFileDialogService& Dialogs() { return dialogs_; }
    TEditorWindows& Windows() { return windows_; }
    // The active animation, also while no document is open (then empty).
    TGIFImage& Animation() { return animation_; }
    TFrameListModel& Frames() { return frameList_; }
    TProgramValues& Values() { return values_; }
    const TActionStates& Actions() const { return actions_; }
    TActionStates& Actions() { return actions_; }
    // The main status bar's text panel.
    const std::string& StatusText() const { return statusText_; }
    void SetStatusText(const std::string& text);
    // The frame inspector's current row (0..11, see InspectorRowLabels).
    int InspectorRow() const { return inspectorRow_; }
    void SelectInspectorRow(int row);
    // Tells the windows about changed states.
    void PublishStates();

    // Documents, in the order they were opened.
    int DocumentCount() const { return static_cast<int>(documents_.size()); }
    TDocument& DocumentAt(int index) const { return *documents_.at(static_cast<size_t>(index)); }
    TDocument* ActiveDocument() const { return active_; }
    // The open document with that file (full path), or null.
    TDocument* FindDocument(const std::string& path) const;
    // Whether the document is still open (a reload or an undo may have
    // closed it).
    bool IsOpen(const TDocument* document) const;
    bool AnyDocumentModified() const;
    // Opens an empty untitled document and makes it the active one; the
    // caller fills the active animation.
    TDocument& NewDocument();
    // Opens a GIF file as a new active document with its frame list and
    // puts it on the recent files. A file already open beeps and comes to
    // front instead. False (after the messages) when nothing was opened;
    // the document that was active then stays as it was.
    bool OpenAnimationFile(const std::string& path);
    // The same, answering the new document or null.
    TDocument* OpenDocument(const std::string& path) { return OpenAnimationFile(path) ? active_ : nullptr; }
    // Converts a video file into a new untitled document, modified, whose
    // working copy is written at once. False when nothing was created.
    bool ImportAviDocument(const std::string& path);
    // A finished animation (a conversion's or a wizard's) becomes a new
    // untitled, modified document whose working copy is written at once.
    // False (after the messages) when it could not be written.
    bool AdoptAnimation(std::unique_ptr<TGIFImage> animation);
    // Offers back, one by one, the edits an abnormal end of the program left
    // in working copies: each accepted one becomes an untitled, modified
    // document under its file's name; a declined one is deleted. Answers how
    // many came back.
    int RecoverWorkingCopies();
    // A still image opened by type: added as a frame at the selected list
    // item of the active animation, or, without a document, starting a new
    // animation. False when nothing was added.
    bool AddImageFile(const std::string& path, int fileType);
    // Add Frame: the files, last to first, each as AddFrameFromFile adds
    // it. Answers the folder of the last file processed.
    std::string AddFrameFiles(const std::vector<std::string>& files);
    // An image file as a frame where the user says (a GIF as its frames or
    // a new document, as the user says); without a document it starts a
    // new animation. False when nothing was added.
    bool AddFrameFromFile(const std::string& path);
    // The selected frame's picture dropped on another document's view: that
    // document becomes active and takes it where the user says.
    bool DropFrameOnDocument(TDocument& target);
    // Set while a thumbnail is dragged over the empty workspace: a picture
    // dropped there starts a new animation, and a GIF opens as a new
    // document, without asking.
    bool ThumbnailDrag = false;
    // A thumbnail dropped on the workspace or the frame list: added as
    // AddImageFile adds it, or, without a document, a GIF is opened. Clears
    // ThumbnailDrag whatever happens. False when nothing was added.
    bool AddThumbnailFile(const std::string& path);
    // A new frame made from the bitmap at the index, with the program's
    // defaults (delay, loop, and the creator comment for a first frame),
    // after the palette question for an image of 8 or more bits. Answers
    // the index, or -1 when the question was cancelled.
    int AddBitmapAsFrame(const TBitmap& bitmap, int index);
    // Closes the document, asking to save it first when `ask`. Answers
    // false when the user kept it open.
    bool CloseDocument(TDocument& document, bool ask);

    // The recently opened files; the windows show them.
    const TRecentFiles& RecentFiles() const { return recentFiles_; }
    TRecentFiles& RecentFiles() { return recentFiles_; }
    void AddRecentFile(const std::string& path);
    void RemoveRecentFile(const std::string& path);

    // Following the active document.
    //
    // The window system activated or deactivated the document's window.
    void DocumentActivated(TDocument& document);
    void DocumentDeactivated(TDocument& document);
    // Makes the document active and loaded before returning.
    void ActivateDocument(TDocument& document);
    // Runs the document's posted reload, unless it already ran or the
    // document has closed since.
    void DispatchReload(TDocument* document);
    // Reloads the active animation and the frame list from the file for
    // the active document; a file that cannot be loaded discards it.
    void LoadActiveDocument(const std::string& path);
    // Closes the document without saving or asking.
    void DiscardDocument(TDocument& document);
    // Back to the state without documents.
    void ResetAfterLastDocument();
    void SaveTimerFired();
    void EnableDocumentActions(bool enabled);

    // Selects and shows frame `index` and enables the frame commands for
    // it; false when the windows could not show it.
    bool ShowFrame(int index);
    // Fills the frame list from the active animation's frames that have
    // pixels.
    void FillFrameList();
    // Frame size of the list: thumbnails are made again.
    void SetFrameSize(int size);

    // The name the context knows a file by: absolute and normalized.
    static std::string FullPath(const std::string& path);

private:
    friend class TDocument;

    TDocument& AddDocument(const std::string& fileName, bool untitled);
    void RemoveDocument(TDocument& document);
    // Writes the document's edits back before another one takes the active
    // animation.
    void KeepEdits(TDocument& document);
    void ReloadDocument(TDocument& document);
    // Fills the frame list from the freshly loaded active animation and
    // shows the document's remembered frame.
    void ShowLoadedAnimation(TDocument& document);
    // The active document steps aside for a new one: its edits are kept and
    // it will be reloaded when it is active again.
    TDocument* SetActiveAside();
    // After a new document could not be made: the one that was active
    // before takes the active animation again.
    void RestoreActive(TDocument* previous);
    // Loads the document from its working copy and shows it, modified.
    bool ShowFromWorkingCopy(TDocument& document);
    // Whether the file loads as an animation with frames; says why not,
    // naming the document.
    bool CanLoadAnimation(const std::string& path, const std::string& name);
    // Builds the frame list of a freshly loaded animation (empty frames
    // moved behind the others) and makes its document; false when the
    // animation has no frame to show.
    bool ListAfterLoad(const std::string& path);
    // Adds the frame's list item, then lets the frame forget its rendering.
    void AppendFrameItem(TGIFSubImage& frame);
    void ForgetRendering(TGIFSubImage& frame);
    // Starts a new animation (and its untitled document) with the bitmap as
    // its only frame.
    bool StartAnimationWith(const TBitmap& bitmap, const std::string& undoName);
    // How a picture larger than the animation fits: asked unless the
    // settings remember the answer.
    enum class TTrimChoice { Fits, Trim, Grow, Cancelled };
    TTrimChoice AskTrimFrame(const TBitmap& bitmap);
    // The palette rules for a picture of 8 or more bits, asked unless
    // remembered, are applied to the animation; `optimize` says whether the
    // color maps are optimized after the frame is added. False when the
    // question was cancelled.
    bool AskPaletteRules(const TBitmap& bitmap, bool& optimize);
    // The frame made from the bitmap joins the animation at the index, with
    // the program's defaults.
    void MakeFrame(const TBitmap& bitmap, int index, bool optimize);

    TMessageService& messages_;
    TFileDialogService& dialogs_;
    TSettingsStore& settings_;
    TEditorWindows& windows_;
    TImageFileReader* imageReader_ = nullptr;
    TClipboard* clipboard_ = nullptr;
    TAviImporter aviImporter_;
    TRecentFiles recentFiles_;

    TGIFImage animation_;
    TFrameListModel frameList_;
    TProgramValues values_;
    TActionStates actions_;
    unsigned publishedRevision_ = 0;
    std::string statusText_;
    int inspectorRow_ = 0;
    // The answers and deferred work of a frame batch.
    struct TFrameBatchState {
        int Depth = 0;
        std::optional<TTrimChoice> Trim;
        bool PaletteAsked = false;
        bool Optimize = false;
    } batch_;

    std::vector<std::unique_ptr<TDocument>> documents_;
    TDocument* active_ = nullptr;
};

} // namespace fl
