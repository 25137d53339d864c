// SPDX-License-Identifier: GPL-3.0-or-later
// What the file and frame routines need from the editor around them. The
// editor context implements these over its documents and windows; tests use
// fakes. Nothing here shows a window: the implementations do.
#pragma once

#include <string>

#include "platform/Graphic.h"

namespace fl {

class TBitmap;
class TGIFImage;
class TMessageService;
class TSettingsStore;

// The frame list of the active document's window: one entry per frame,
// captioned, with a thumbnail of the frame.
class TFrameListView {
public:
    virtual ~TFrameListView() = default;
    // Updates between these two are shown at once, at the end.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void MoveItem(int from, int to) = 0;
    virtual void DeleteItem(int index) = 0;
    virtual void InsertItem(int index, const std::string& caption, const TBitmap& thumbnail) = 0;
    virtual void Select(int index) = 0;
    // Shows the selected frame again in the document view and the inspector.
    virtual void RefreshSelected() = 0;
};

// Reads the still-image types that are neither GIF nor BMP (JPEG, PNG, TIFF
// and the others of the file-type table) into a bitmap.
class TImageFileReader {
public:
    virtual ~TImageFileReader() = default;
    // Answers 0 when the target holds the image, else the reader's error
    // code; the reader shows no message.
    virtual int LoadImage(const std::string& path, int fileType, TBitmap& target) = 0;
};

class TEditorHost {
public:
    virtual ~TEditorHost() = default;

    virtual TMessageService& Messages() = 0;
    virtual TSettingsStore& Settings() = 0;
    // The animation of the active document; null when no document is open.
    virtual TGIFImage* ActiveAnimation() = 0;
    virtual TFrameListView& FrameList() = 0;
    // Null while no reader is available; those types then fail to import.
    virtual TImageFileReader* ImageReader() = 0;
    // Receives the progress of long loads (the main window's progress
    // display); an empty handler shows none.
    virtual TProgressEvent ProgressReceiver() = 0;

    // Brings the active document window to front and opens the file as a
    // new document, reporting its own failures.
    virtual void OpenAsNewDocument(const std::string& path) = 0;
    // Asks where new frames go in the active animation: an index from 0 to
    // the frame count, or -1 when the user cancels.
    virtual int AskInsertPosition() = 0;
    // Inserts the bitmap as a frame of the active animation at the index, as
    // one undoable step with the given name; false when that fails.
    virtual bool InsertBitmapAsFrame(const TBitmap& bitmap, int index, const std::string& undoName) = 0;
    // Marks the active document changed and runs its deactivation, so that
    // menus and the inspector follow frames added from outside.
    virtual void ActiveDocumentChanged() = 0;
    // Frames inserted one after another as one addition (a GIF's frames
    // included): in between, the trim and palette questions are asked once,
    // and the palettes are optimized and the document's working copy
    // written once, at the end.
    virtual void BeginFrameBatch() {}
    virtual void EndFrameBatch() {}
};

// A frame batch for a scope.
class TFrameBatch {
public:
    explicit TFrameBatch(TEditorHost& host) : host_(host) { host_.BeginFrameBatch(); }
    ~TFrameBatch() { host_.EndFrameBatch(); }
    TFrameBatch(const TFrameBatch&) = delete;
    TFrameBatch& operator=(const TFrameBatch&) = delete;

private:
    TEditorHost& host_;
};

} // namespace fl
