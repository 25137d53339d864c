// SPDX-License-Identifier: GPL-3.0-or-later
// What must hold after every step, whatever the user did: the windows show
// the editor context's state, the frame list mirrors the active animation,
// the animation is the active document's, every document window can be
// reached, the commands are enabled as the state says, and nothing a user
// reads is an internal error.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "app/DocumentTabs.h"
#include "app/FLListBox.h"
#include "app/MainWindow.h"
#include "document/ActionStates.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "exerciser/Exerciser.h"
#include "gif/GIFImage.h"

namespace fl::exerciser {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Broken(const std::string& what)
{
    throw std::runtime_error(what);
}

void Expect(bool holds, const std::string& what)
{
    if (!holds)
        Broken(what);
}

std::string FramesText(const std::vector<TFrameFacts>& frames)
{
    std::ostringstream text;
    text << frames.size() << " frames";
    for (size_t i = 0; i < frames.size() && i < 4; ++i)
        text << (i ? ", " : ": ") << frames[i].Width << "x" << frames[i].Height << "@" << frames[i].Left
             << "," << frames[i].Top;
    return text.str();
}

// Words of the C++ library and of the frame list's internal error: a user
// must never read them.
const char* const InternalErrorWords[] = {"std::",      "vector",    "basic_string",
                                          "map::at",    "bad_alloc", "out_of_range",
                                          "EListError", "nullptr",   "Assertion"};

std::string RectText(const QRect& rect)
{
    return std::to_string(rect.width()) + "x" + std::to_string(rect.height()) + "@" +
           std::to_string(rect.x()) + "," + std::to_string(rect.y());
}

} // namespace

void TExerciser::CheckInvariants()
{
    Expect(messages_.BusyDepth() == 0, "the hourglass stayed on after the step");
    if (!strayModal_.empty())
        Broken("a modal window opened outside the services: " + strayModal_);
    if (!modals_.Broken.empty())
        Broken(modals_.Broken);
    CheckMessages();
    CheckDocumentsAndTabs();
    CheckFrameList();
    CheckActiveDocumentContent();
    CheckWindowsInWorkspace();
    CheckCommandStates();
    CheckInspector();
}

void TExerciser::CheckMessages()
{
    for (; messagesChecked_ < messages_.Texts.size(); ++messagesChecked_) {
        const std::string& text = messages_.Texts[messagesChecked_];
        for (const char* word : InternalErrorWords)
            Expect(text.find(word) == std::string::npos, "a box showed an internal error: \"" + text + "\"");
    }
}

void TExerciser::CheckDocumentsAndTabs()
{
    TfrmMain& window = Window();
    TEditorContext& context = window.Context();
    const int documents = context.DocumentCount();
    const QList<QMdiSubWindow*> subWindows = window.MdiArea()->subWindowList();
    Expect(static_cast<int>(subWindows.size()) == documents, std::to_string(subWindows.size()) +
                                                                 " document windows for " +
                                                                 std::to_string(documents) + " documents");
    Expect(window.Tabs()->count() == documents,
           std::to_string(window.Tabs()->count()) + " tabs for " + std::to_string(documents) + " documents");
    Expect(window.findChild<QWidget*>("pnlMDITab")->isVisibleTo(&window) == (documents > 0),
           "the tab strip does not follow whether documents are open");
    Expect(!context.ThumbnailDrag, "the thumbnail-drag flag outlived the drag");
    TDocument* active = context.ActiveDocument();
    if (documents == 0) {
        Expect(!active, "an active document without documents");
        Expect(context.Animation().Frames.Count() == 0, "an animation left without documents");
        return;
    }
    Expect(active && context.IsOpen(active), "documents are open but none is active");
    const TDocumentTabs& tabs = *window.Tabs();
    Expect(tabs.currentIndex() == tabs.IndexOf(*active),
           "the selected tab is not the active document " + active->ShortName());
    if (QMdiSubWindow* current = window.MdiArea()->activeSubWindow())
        Expect(window.DocumentOf(current) == active, "the active window is " +
                                                         current->windowTitle().toStdString() +
                                                         ", the active document " + active->FileName());
    Expect(active->Loaded(), "the active document " + active->ShortName() + " is not loaded after the step");
}

void TExerciser::CheckFrameList()
{
    TfrmMain& window = Window();
    TEditorContext& context = window.Context();
    const TFrameListModel& model = context.Frames();
    const std::vector<TFrameFacts> frames = NonEmptyFrames(context.Animation());
    Expect(model.Count() == static_cast<int>(frames.size()),
           std::to_string(model.Count()) + " frame cards for the animation's " + FramesText(frames));
    for (int i = 0; i < model.Count(); ++i) {
        // Item i stands for frame i: the empty frames are all behind.
        Expect(!context.Animation().Frames[i]->IsEmpty(),
               "card " + std::to_string(i) + " stands for an empty frame");
        const TFrameListItem& item = model.Item(i);
        const TFrameFacts& frame = frames[static_cast<size_t>(i)];
        Expect(item.FrameWidth == frame.Width && item.FrameHeight == frame.Height,
               "card " + std::to_string(i) + " shows " + std::to_string(item.FrameWidth) + "x" +
                   std::to_string(item.FrameHeight) + " for a " + std::to_string(frame.Width) + "x" +
                   std::to_string(frame.Height) + " frame");
    }
    const auto& list = *window.findChild<TFLListBox*>("lbFrames");
    Expect(list.count() == model.Count(),
           "the list shows " + std::to_string(list.count()) + " cards of " + std::to_string(model.Count()));
    if (model.Selected() >= 0)
        Expect(list.currentRow() == model.Selected(),
               "the list selects card " + std::to_string(list.currentRow()) + ", the editor frame " +
                   std::to_string(model.Selected()));
}

const std::vector<TFrameFacts>& TExerciser::FileFrames(const std::string& path)
{
    // By content: a file rewritten within the clock's resolution with the
    // same size would look unchanged by its time and size.
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const uint64_t hash = std::hash<std::string>{}(bytes);
    TCachedFile& cached = fileCache_[path];
    if (cached.Frames.empty() || cached.ContentHash != hash) {
        TGIFImage image;
        image.LoadFromFile(path);
        cached = {hash, NonEmptyFrames(image)};
    }
    return cached.Frames;
}

void TExerciser::CheckActiveDocumentContent()
{
    TEditorContext& context = Window().Context();
    const TDocument* active = context.ActiveDocument();
    if (!active || !active->Loaded())
        return;
    std::error_code error;
    const bool copyWritten = !active->WorkingCopy().empty() &&
                             fs::is_regular_file(active->WorkingCopy(), error) &&
                             active->WorkingCopyCount() == active->History().Count();
    std::string source;
    if (copyWritten)
        source = active->WorkingCopy();
    else if (!active->Modified() && !active->Untitled() && fs::is_regular_file(active->FileName(), error))
        source = active->FileName();
    else
        return;
    const std::vector<TFrameFacts> expected = FileFrames(source);
    const std::vector<TFrameFacts> shown = NonEmptyFrames(context.Animation());
    Expect(expected == shown, "the active animation (" + FramesText(shown) + ") is not " +
                                  (copyWritten ? "the working copy" : "the file") + " of " +
                                  active->ShortName() + " (" + FramesText(expected) + ")");
}

void TExerciser::CheckWindowsInWorkspace()
{
    QMdiArea& area = *Window().MdiArea();
    const QRect workspace = area.viewport()->rect();
    // The title bar is in reach: the window's top left corner is inside.
    for (QMdiSubWindow* sub : area.subWindowList())
        if (sub->isVisible())
            Expect(workspace.contains(sub->geometry().topLeft()),
                   "the window of " + sub->windowTitle().toStdString() + " lies outside the workspace (" +
                       RectText(sub->geometry()) + " in " + RectText(workspace) + ")");
}

void TExerciser::CheckCommandStates()
{
    TfrmMain& window = Window();
    TEditorContext& context = window.Context();
    const TActionStates& states = context.Actions();
    // The windows show the context's states.
    for (const TActionInfo& info : ActionTable())
        Expect(window.Action(info.Name)->isEnabled() == states.Enabled(info.Name),
               std::string("the window shows ") + info.Name + " other than the editor's state");

    const auto expect = [&states](const char* name, bool enabled, const std::string& why) {
        Expect(states.Enabled(name) == enabled,
               std::string(name) + (enabled ? " is disabled" : " is enabled") + " " + why);
    };
    const auto expectTagged = [&](TActionEnabling kind, bool enabled, const std::string& why) {
        for (const TActionInfo& info : ActionTable())
            if (info.Enabling == kind)
                expect(info.Name, enabled, why);
    };
    const bool playing = window.PreviewRunning();
    expect("AnimationPause", playing, playing ? "while a preview plays" : "without a preview");
    const TDocument* active = context.ActiveDocument();
    if (!active) {
        expectTagged(TActionEnabling::Document, false, "without documents");
        expectTagged(TActionEnabling::Arrangement, false, "without documents");
        for (const char* name : {ActFrameDelete, ActFrameMoveBegin, ActFrameMoveEnd, ActFrameMoveUp,
                                 ActFrameMoveDown, ActEditUndo, ActEditRedo, ActFileSave, ActFileSaveAll})
            expect(name, false, "without documents");
        return;
    }
    expectTagged(TActionEnabling::Arrangement, true, "with documents open");
    expect(ActFileSave, active->Modified(),
           std::string("while ") + active->ShortName() + (active->Modified() ? " is modified" : " is saved"));
    expect(ActFileSaveAll, context.AnyDocumentModified(), "against the documents' modified states");
    expect(ActEditUndo, active->History().Count() > 0, "against the active document's history");
    if (active->History().Count() > 0)
        Expect(states.Caption(ActEditUndo) == UndoCaption(active->History().LastName()),
               "Undo reads \"" + states.Caption(ActEditUndo) + "\" for \"" + active->History().LastName() +
                   "\"");
    expect(ActEditRedo, active->History().RedoCount() > 0, "against the active document's redo steps");
    if (active->History().RedoCount() > 0)
        Expect(states.Caption(ActEditRedo) == RedoCaption(active->History().RedoName()),
               "Redo reads \"" + states.Caption(ActEditRedo) + "\" for \"" + active->History().RedoName() +
                   "\"");
    if (playing) {
        expectTagged(TActionEnabling::Document, false, "while a preview plays");
        for (const char* name : {ActEditPaste, "FrameAdd", ActFrameDelete, ActFrameMoveBegin, ActFrameMoveEnd,
                                 ActFrameMoveUp, ActFrameMoveDown, "FileOpen"})
            expect(name, false, "while a preview plays");
        return;
    }
    const int selected = context.Frames().Selected();
    const int count = context.Frames().Count();
    Expect(selected >= 0 && selected < count, "no frame is shown for the active document");
    const std::string shown =
        "with frame " + std::to_string(selected) + " of " + std::to_string(count) + " shown";
    // Global Palette turns itself off when tried on an animation without
    // global colors.
    for (const TActionInfo& info : ActionTable())
        if (info.Enabling == TActionEnabling::Document &&
            (info.Name != std::string("AnimationPalette") || context.Animation().GlobalColors().Count() > 0))
            expect(info.Name, true, shown);
    for (const char* name : {ActFrameDelete, ActEditCut, ActEditCopy, "FrameAdd", "FileOpen"})
        expect(name, true, shown);
    expect(ActFrameMoveBegin, selected != 0, shown);
    expect(ActFrameMoveUp, selected != 0, shown);
    expect(ActFrameMoveEnd, selected != count - 1, shown);
    expect(ActFrameMoveDown, selected != count - 1, shown);
    expect(ActEditPaste, context.PasteAvailable(), shown + " and the clipboard as it is");
}

} // namespace fl::exerciser
