// SPDX-License-Identifier: GPL-3.0-or-later
// One open document: a GIF file, its unsaved state and its edit history.
// A document owns no animation: the editor context holds the one active
// animation, and a document's edits live in it while the document is
// loaded, and otherwise in its working copy, a temporary GIF file.
#pragma once

#include <memory>
#include <string>

#include "document/HistoryList.h"

namespace fl {

class TEditorContext;
class TGIFImage;

class TDocument {
public:
    // A document for the file; untitled documents get "Untitled%d.gif".
    TDocument(TEditorContext& context, const std::string& fileName, bool untitled);
    // Deletes the working copy and the history's temporary files.
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    const std::string& FileName() const { return fileName_; }
    // The file name without its folder (tab text, messages).
    std::string ShortName() const;
    bool FileExists() const;
    bool Untitled() const { return untitled_; }
    bool Modified() const { return modified_; }
    // Whether the active animation holds this document now.
    bool Loaded() const { return loaded_; }
    const std::string& WorkingCopy() const { return workingCopy_; }
    // History count at the last write of the working copy; a count that
    // cannot match forces the next write.
    int WorkingCopyCount() const { return workingCopyCount_; }
    // Status bar text: "Modified" or empty.
    const std::string& StatusText() const { return statusText_; }
    int UndoLimit() const { return undoLimit_; }
    THistoryList& History() { return history_; }
    const THistoryList& History() const { return history_; }

    // The frame selected when the frame list is rebuilt for this document.
    int FrameToSelect = 0;

    // Marks the document changed (writing the working copy) or unchanged.
    void MarkModified(bool flag);
    // Publishes Undo (enabled, "&Undo %s"), Redo ("&Redo %s"), Save and
    // Save All; answers
    // whether the history holds commands.
    bool RefreshUndoState();
    // The document becomes the named file, unmodified, without working copy.
    void AssignFileName(const std::string& path);
    // Asks to save changes and saves. Answers false when the caller must
    // not go on (cancelled, or the save failed).
    bool QuerySave(bool saveAs, bool noPrompt);
    // Writes the active animation to the file, after the compatibility
    // question. Answers whether it was written.
    bool SaveDocument();
    // Writes the document to another file, after the compatibility
    // question; only once it is written does the document become that
    // file, saved. A failure leaves everything as it was.
    bool SaveDocumentAs(const std::string& path) { return SaveTo(path); }
    // Records an edit about to be made (the kinds and actions of
    // document/Command.h).
    void AddCommand(TCommandKind kind, TActionType action, int colorIndex, int extra, int frameIndex,
                    const std::string& name);
    void SetUndoLimit(int limit);
    // Undoes the newest edit. The document may be closed by it (its last
    // frame gone): callers must not use it afterwards when Undo answers
    // false.
    bool Undo();
    // Undoes an edit that failed half-way: the same as Undo, but the
    // half-made state is not kept for Redo.
    bool RollBack();
    // Makes the newest undone edit again; it becomes an undo step of its
    // own. Failures throw and leave the document as it was.
    bool Redo();
    void MoveFrame(int from, int to);
    void DeleteFrame(int index);

private:
    friend class TEditorContext;

    // Writes the document's content to the path after the compatibility
    // question; on success the document is that file, saved.
    bool SaveTo(const std::string& path);
    // Writes the active animation to the working copy; false when that
    // fails (the save routine has said why).
    bool WriteWorkingCopy();
    // A new working copy, with the record that names its document.
    void CreateWorkingCopy();
    // An existing file becomes the working copy, owned by this process.
    void AdoptWorkingCopy(const std::string& path);
    void DeleteWorkingCopy();
    bool IsActive() const;
    bool Undo(bool keepForRedo);

    TEditorContext& context_;
    std::string fileName_;
    bool untitled_ = false;
    bool modified_ = false;
    bool loaded_ = true;
    std::string workingCopy_;
    int workingCopyCount_ = 0;
    std::string statusText_;
    int undoLimit_ = 50;
    // Commands went out of the history since the last save, so an empty
    // history no longer means "as saved".
    bool historyTrimmed_ = false;
    // The reload was posted and has not run yet.
    bool reloadPending_ = false;
    // The edits, when no working copy could take them on deactivation.
    std::unique_ptr<TGIFImage> keptAnimation_;
    THistoryList history_;
};

} // namespace fl
