// SPDX-License-Identifier: GPL-3.0-or-later
// The command-sequence exerciser: the real main window, offscreen, on
// services that answer like a user picking at random, driven through long
// random sequences of what a user can do, with the editor's invariants
// checked after every step.
//
// Every window or command added to the editor adds its steps here (a
// member of the step table in ExerciserSteps.cpp) and, where it keeps
// state of its own, its checks (ExerciserChecks.cpp). A crash or a broken
// invariant a user can reach is worse than a missing feature.
//
// Reproducible: each step draws from a random source made from the seed
// and the step's number only, and chooses among what is visible whether or
// not it is enabled (a disabled entry does nothing), so a replay with the
// same seed takes the same choices. Only the preview's player thread runs
// at its own pace: where a preview that does not loop ends at another step,
// the commands it locked may do something in one run and nothing in the
// other. The user is slower than the editor's timers: the 700 ms save timer
// fires after the step that started it.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "exerciser/RandomDialogs.h"
#include "exerciser/RandomServices.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/ShellService.h"

class QAction;
class QMdiSubWindow;
class QMenu;
class QTemporaryDir;
class QTimer;
class QWidget;

namespace fl {
class TfrmMain;
class TGIFImage;
} // namespace fl

namespace fl::exerciser {

struct TExerciserOptions {
    uint64_t Seed = 1;
    // Stops after this many steps (0: no limit) or this many seconds (0: no
    // limit), whichever comes first.
    int MaxSteps = 0;
    double Seconds = 0;
    // Where every step is written as it runs, so that a crash leaves the
    // list behind; empty: a file in the scratch folder.
    std::string LogPath;
    // The companion library copied into the program folder (the logo
    // plays); empty: none, and the program says so at start-up.
    std::string CompanionLibrary;
    // The corpus folder the open dialogs choose copies from.
    std::string CorpusFolder;
};

// A frame as the checks compare it: its place, size and pixels.
struct TFrameFacts {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    uint64_t PixelHash = 0;
    bool operator==(const TFrameFacts&) const = default;
};

class TExerciser {
public:
    explicit TExerciser(const TExerciserOptions& options);
    ~TExerciser();
    TExerciser(const TExerciser&) = delete;
    TExerciser& operator=(const TExerciser&) = delete;

    // Runs steps until a limit is reached or a check fails; answers whether
    // every check held. A failure is described by Failure().
    bool Run();
    int StepsRun() const { return stepsRun_; }
    const std::string& Failure() const { return failure_; }
    const std::string& LogPath() const { return logPath_; }
    // The steps run, one line each, with the questions asked during them.
    const std::vector<std::string>& StepList() const { return stepList_; }

private:
    struct TStep {
        const char* Name;
        int Weight;
        void (TExerciser::*Run)(TRandom& random);
    };
    static const std::vector<TStep>& Steps();

    // Start and stop of the program, keeping the settings between runs.
    void StartProgram();
    void PreparePool();
    TfrmMain& Window() { return *window_; }
    void Note(const std::string& line);
    // Lets the window handle what the step posted, closes the popups it
    // left open and fires the save timer it started.
    void Settle();
    void CloseStrayPopups();
    void CloseStrayModal();

    // The steps (ExerciserSteps.cpp).
    void MenuCommand(TRandom& random);
    void ToolbarButton(TRandom& random);
    void DropDownEntry(TRandom& random);
    void Shortcut(TRandom& random);
    void OpenFiles(TRandom& random);
    void ClickCard(TRandom& random);
    void CardPopup(TRandom& random);
    void DragCard(TRandom& random);
    void DragViewToCard(TRandom& random);
    void DragFrameToOtherView(TRandom& random);
    void DropFromDesktop(TRandom& random);
    void DragThumbnail(TRandom& random);
    // The frame inspector (InspectorSteps.cpp).
    void InspectorStep(TRandom& random);
    void ThumbnailStep(TRandom& random);
    void ClickTab(TRandom& random);
    void TabPopup(TRandom& random);
    void DocumentWindowState(TRandom& random);
    void ArrangeWindows(TRandom& random);
    void FrameSize(TRandom& random);
    void DockFrameList(TRandom& random);
    void MoveSplitter(TRandom& random);
    void ResizeMainWindow(TRandom& random);
    void OtherProgramClipboard(TRandom& random);
    void PlayAndTick(TRandom& random);
    void ZoomView(TRandom& random);
    void ExitAndRestart(TRandom& random);
    void CrashAndRestart(TRandom& random);
    // Chooses an entry of the menu (its submenus included) as the user sees
    // it when it opens, and triggers it.
    void ChooseFromMenu(QMenu& menu, TRandom& random);
    // Does what choosing the action does: nothing while it is disabled.
    void Trigger(QAction& action, const std::string& where, TRandom& random);

    // The checks (ExerciserChecks.cpp); each throws a description of what
    // broke.
    void CheckInvariants();
    void CheckDocumentsAndTabs();
    void CheckFrameList();
    void CheckActiveDocumentContent();
    void CheckWindowsInWorkspace();
    void CheckCommandStates();
    void CheckMessages();
    void CheckInspector();
    // The non-empty frames of a file, read once per version of the file.
    const std::vector<TFrameFacts>& FileFrames(const std::string& path);

    TExerciserOptions options_;
    std::unique_ptr<QTemporaryDir> scratch_;
    std::string programFolder_;
    TRandomMessageService messages_;
    TRandomFileDialogService dialogs_;
    TRandomDialogRunner modals_;
    TRecordingShellService shell_;
    TMemorySettingsStore settings_;
    std::shared_ptr<TVirtualClock> clock_ = std::make_shared<TVirtualClock>();
    std::unique_ptr<TfrmMain> window_;
    // Looks for modal windows even while a step waits inside one.
    std::unique_ptr<QTimer> modalWatch_;
    std::string strayModal_;

    int stepsRun_ = 0;
    size_t messagesChecked_ = 0;
    std::string failure_;
    std::string logPath_;
    std::ofstream log_;
    std::vector<std::string> stepList_;
    struct TCachedFile {
        uint64_t ContentHash = 0;
        std::vector<TFrameFacts> Frames;
    };
    std::map<std::string, TCachedFile> fileCache_;
};

// The non-empty frames of an animation in order, as the checks compare them.
std::vector<TFrameFacts> NonEmptyFrames(const TGIFImage& image);

} // namespace fl::exerciser
