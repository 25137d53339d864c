// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ActionStates.h"

namespace fl {

const std::vector<TActionInfo>& ActionTable()
{
    using enum TActionEnabling;
    static const std::vector<TActionInfo> table = {
        {"FileNew", "&New", "Ctrl+N", Fixed, true, "New|Creates a new animation"},
        {"FileOpen", "&Open...", "Ctrl+O", Fixed, true, "Open|Opens an existing animation"},
        {"FileSave", "&Save", "Ctrl+S", Fixed, false, "Save|Save current file"},
        {"FileSaveAs", "Save &As...", "", Document, false,
         "Save As|Saves the current animation under a new name"},
        {"FileSaveAll", "Sa&ve All", "", Fixed, false, "Save All|Saves all modified animations"},
        {"FileClose", "&Close", "", Document, false, "Close|Closes the current animation"},
        {"FileCloseAll", "Close &All", "", Document, false, "Close All|Closes all open animations"},
        {"FileExit", "E&xit", "", Fixed, true, "Exit|Quits the program"},
        {"EditUndo", "&Undo", "Ctrl+Z", Fixed, false, "Undo|Reverses the last change"},
        {"EditRedo", "&Redo", "Ctrl+Y", Fixed, false, "Redo|Makes the last undone change again"},
        {"EditCut", "Cu&t", "Ctrl+X", Document, false, "Cut|Moves the selected frame to the clipboard"},
        {"EditCopy", "&Copy", "Ctrl+C", Document, false, "Copy|Copies the selected frame to the clipboard"},
        {"EditPaste", "&Paste", "Ctrl+V", Fixed, false, "Paste|Inserts the clipboard's image as a frame"},
        {"FrameAdd", "&Add Frame...", "Ctrl+A", Fixed, true, "Add Frame|Adds image files as frames"},
        {"FrameDelete", "&Delete Frame", "", Fixed, false, "Delete Frame|Deletes the selected frame"},
        {"FrameMoveBegin", "Move Frame to &Beginning", "", Fixed, false,
         "Move to Beginning|Moves the selected frame to the beginning"},
        {"FrameMoveEnd", "Move Frame to &End", "", Fixed, false,
         "Move to End|Moves the selected frame to the end"},
        {"FrameMoveUp", "&Move Frame Up", "Ctrl+U", Fixed, false,
         "Move Up|Moves the selected frame up one place"},
        {"FrameMoveDown", "Move Frame Do&wn", "Ctrl+D", Fixed, false,
         "Move Down|Moves the selected frame down one place"},
        {"FrameGlobalChange", "&Global Frame Properties...", "", Document, false,
         "Global Frame Properties|Changes properties of several frames at once"},
        {"AnimationPlay", "&Play Animation", "Ctrl+R", Document, false,
         "Play Animation|Plays the current animation"},
        {"AnimationPause", "Pa&use Animation", "", Fixed, false,
         "Pause Animation|Pauses the playing animation"},
        {"AnimationInfo", "&Animation Information...", "Ctrl+I", Document, false,
         "Animation Information|Shows the size, colors and timing of the animation"},
        {"AnimationPalette", "&Global Palette...", "", Document, false,
         "Global Palette|Edits the animation's global color palette"},
        {"AnimationOptimize", "Optimize &Animation...", "", Document, false,
         "Optimize Animation|Makes the animation smaller without changing its look"},
        {"AnimationResize", "Re&size...", "", Document, false, "Resize|Changes the size of the animation"},
        {"ThumbsBrowse", "&Browse...", "Ctrl+B", Fixed, true,
         "Browse|Chooses the folder shown in the thumbnail window"},
        {"ThumbsRefresh", "&Refresh", "F5", Fixed, true,
         "Refresh|Reloads the thumbnails of the current folder"},
        {"ThumbsClear", "C&lear Window", "", Fixed, true, "Clear Window|Empties the thumbnail window"},
        {"WindowCascade", "&Cascade", "", Arrangement, false,
         "Cascade|Arranges the animation windows so they overlap"},
        {"WindowTileHorizontal", "Tile &Horizontally", "", Arrangement, false,
         "Tile Horizontally|Arranges the animation windows one above the other"},
        {"WindowTileVertical", "Tile &Vertically", "", Arrangement, false,
         "Tile Vertically|Arranges the animation windows side by side"},
        {"WindowMinimizeAll", "&Minimize All", "", Arrangement, false,
         "Minimize All|Minimizes all animation windows"},
        {"WindowArrangeAll", "&Arrange All", "", Arrangement, false,
         "Arrange All|Arranges the icons of minimized animation windows"},
        {"WindowNextDoc", "&Next Document", "", Fixed, true,
         "Next Document|Activates the next animation window"},
        {"WindowPrevDoc", "&Previous Document", "", Fixed, true,
         "Previous Document|Activates the previous animation window"},
        {"HelpContents", "&Contents...", "F1", Fixed, true, "Contents|Shows the help contents"},
    };
    return table;
}

std::string ShortHint(const std::string& hint)
{
    return hint.substr(0, hint.find('|'));
}

std::string LongHint(const std::string& hint)
{
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string UndoCaption(const std::string& commandName)
{
    return "&Undo " + commandName;
}

std::string RedoCaption(const std::string& commandName)
{
    return "&Redo " + commandName;
}

TActionStates::TActionStates()
{
    for (const TActionInfo& info : ActionTable())
        states_[info.Name] = {info.InitiallyEnabled, info.Caption, info.Enabling};
}

void TActionStates::SetEnabled(const std::string& name, bool enabled)
{
    TState& state = states_.at(name);
    if (state.Enabled != enabled) {
        state.Enabled = enabled;
        ++revision_;
    }
}

void TActionStates::SetCaption(const std::string& name, const std::string& caption)
{
    TState& state = states_.at(name);
    if (state.Caption != caption) {
        state.Caption = caption;
        ++revision_;
    }
}

void TActionStates::EnableDocumentActions(bool enabled)
{
    for (auto& [name, state] : states_)
        if (state.Enabling == TActionEnabling::Document)
            SetEnabled(name, enabled);
}

void TActionStates::SetArrangementEnabled(bool enabled)
{
    for (auto& [name, state] : states_)
        if (state.Enabling == TActionEnabling::Arrangement)
            SetEnabled(name, enabled);
}

void TActionStates::EnableMoves(int index, int count)
{
    SetEnabled(ActFrameMoveBegin, index != 0);
    SetEnabled(ActFrameMoveUp, index != 0);
    SetEnabled(ActFrameMoveEnd, index != count - 1);
    SetEnabled(ActFrameMoveDown, index != count - 1);
}

} // namespace fl
