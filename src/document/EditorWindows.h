// SPDX-License-Identifier: GPL-3.0-or-later
// What only the windows can do for the editor context: draw, bring windows
// to front, post work for later, run timers. Questions and file names go
// through the message and file dialog services instead. Tests use a
// recording implementation.
#pragma once

#include "platform/Graphic.h"

namespace fl {

class TDocument;

class TEditorWindows {
public:
    virtual ~TEditorWindows() = default;

    // Draws frame `index` of the active animation in the active document's
    // view and the inspector, and scrolls the frame list to it; false when
    // the frame cannot be shown.
    virtual bool ShowFrame(int index) = 0;
    // The action states, the status text or the inspector row changed.
    virtual void StatesChanged() = 0;

    // A document was created; its window (with its tab and play-menu entry)
    // is made here.
    virtual void DocumentAdded(TDocument& document) = 0;
    // Its name, modified state or status changed: repaint its tab, caption
    // and status bar.
    virtual void DocumentChanged(TDocument& document) = 0;
    // The document is about to be destroyed: its window, tab and play-menu
    // entry go.
    virtual void DocumentRemoved(TDocument& document) = 0;
    virtual void BringToFront(TDocument& document) = 0;
    // Calls TEditorContext::DispatchReload(document) once the current event
    // has finished.
    virtual void PostReload(TDocument& document) = 0;

    // A running preview pauses, or stops for good.
    virtual void PausePreview() = 0;
    virtual void StopPreview() = 0;
    // Calls TEditorContext::SaveTimerFired() about 700 ms from now.
    virtual void StartSaveTimer() = 0;
    // Empties the frame inspector (no document left).
    virtual void ResetInspector() = 0;
    // Asks where new frames go: an index from 0 to the frame count, or -1.
    virtual int AskInsertPosition() = 0;
    // Asks how an image larger than the animation fits: 1 trim the image,
    // 0 grow the animation, -1 cancelled. The question keeps the choice in
    // the settings.
    virtual int AskTrimFrame() = 0;
    // Asks the palette rules for an image with many colors and keeps them in
    // the settings; false when cancelled.
    virtual bool AskPaletteSettings() = 0;
    // The recent files changed.
    virtual void RecentFilesChanged() {}
    // Progress of long work: shown from Starting to Ending.
    virtual void Progress(TProgressStage stage, int percent) = 0;
};

} // namespace fl
