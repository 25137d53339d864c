// SPDX-License-Identifier: GPL-3.0-or-later
// Windows that record what the editor context asks of them, for the
// context's own tests and the window tests (no test framework needed).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"

namespace fl::test {

class RecordingWindows : public TEditorWindows {
public:
    bool ShowFrame(int index) override
    {
        shownFrames.push_back(index);
        return OnShowFrame ? OnShowFrame(index) : showSucceeds;
    }
    void StatesChanged() override { ++stateChanges; }
    void DocumentAdded(TDocument& document) override { log.push_back("added " + document.ShortName()); }
    void DocumentChanged(TDocument& document) override
    {
        ++documentChanges;
        if (OnDocumentChanged)
            OnDocumentChanged(document);
    }
    void DocumentRemoved(TDocument& document) override { log.push_back("removed " + document.ShortName()); }
    void BringToFront(TDocument& document) override { log.push_back("front " + document.ShortName()); }
    void PostReload(TDocument& document) override { posted.push_back(&document); }
    void PausePreview() override { ++pauses; }
    void StopPreview() override { ++stops; }
    void StartSaveTimer() override { ++timersStarted; }
    void ResetInspector() override { ++inspectorResets; }
    int AskInsertPosition() override { return insertPosition; }
    int AskTrimFrame() override
    {
        ++trimQuestions;
        return trimAnswer;
    }
    bool AskPaletteSettings() override
    {
        ++paletteQuestions;
        return paletteAnswer;
    }
    void Progress(TProgressStage, int) override { ++progressReports; }

    // Runs the posted reloads as the event loop would.
    void RunPosted(TEditorContext& context)
    {
        std::vector<TDocument*> pending;
        pending.swap(posted);
        for (TDocument* document : pending)
            context.DispatchReload(document);
    }

    // Hooks a test sets to put a real window behind the recording.
    std::function<bool(int)> OnShowFrame;
    std::function<void(TDocument&)> OnDocumentChanged;

    bool showSucceeds = true;
    std::vector<int> shownFrames;
    std::vector<std::string> log;
    std::vector<TDocument*> posted;
    int stateChanges = 0;
    int documentChanges = 0;
    int pauses = 0;
    int stops = 0;
    int timersStarted = 0;
    int inspectorResets = 0;
    int insertPosition = 0;
    // Answers to the trim and palette questions, and how often they came.
    int trimAnswer = 1;
    bool paletteAnswer = true;
    int trimQuestions = 0;
    int paletteQuestions = 0;
    int progressReports = 0;
};

} // namespace fl::test
