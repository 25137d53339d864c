// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ActionStates.h"

namespace fl {

const std::vector<TActionInfo>& ActionTable()
{
    using enum TActionEnabling;
    static const std::vector<TActionInfo> table = {
        {"FileNew", "&New", "Ctrl+N", Fixed, true},
        {"FileOpen", "&Open...", "Ctrl+O", Fixed, true},
        {"FileSave", "&Save", "Ctrl+S", Fixed, false},
        {"FileSaveAs", "Save &As...", "", Document, false},
        {"FileSaveAll", "Sa&ve All", "", Fixed, false},
        {"FileClose", "&Close", "", Document, false},
        {"FileCloseAll", "Close &All", "", Document, false},
        {"FileExit", "E&xit", "", Fixed, true},
        {"EditUndo", "&Undo", "Ctrl+Z", Fixed, false},
        {"EditCut", "Cu&t", "Ctrl+X", Document, false},
        {"EditCopy", "&Copy", "Ctrl+C", Document, false},
        {"EditPaste", "&Paste", "Ctrl+V", Fixed, false},
        {"FrameAdd", "&Add Frame...", "Ctrl+A", Fixed, true},
        {"FrameDelete", "&Delete Frame", "", Fixed, false},
        {"FrameMoveBegin", "Move Frame to &Beginning", "", Fixed, false},
        {"FrameMoveEnd", "Move Frame to &End", "", Fixed, false},
        {"FrameMoveUp", "&Move Frame Up", "Ctrl+U", Fixed, false},
        {"FrameMoveDown", "Move Frame Do&wn", "Ctrl+D", Fixed, false},
        {"FrameGlobalChange", "&Global Frame Properties...", "", Document, false},
        {"AnimationPlay", "&Play Animation", "Ctrl+R", Document, false},
        {"AnimationPause", "Pa&use Animation", "", Fixed, false},
        {"AnimationInfo", "&Animation Information...", "Ctrl+I", Document, false},
        {"AnimationPalette", "&Global Palette...", "", Document, false},
        {"AnimationOptimize", "Optimize &Animation...", "", Document, false},
        {"AnimationResize", "Re&size...", "", Document, false},
        {"ThumbsBrowse", "&Browse...", "Ctrl+B", Fixed, true},
        {"ThumbsRefresh", "&Refresh", "F5", Fixed, true},
        {"ThumbsClear", "C&lear Window", "", Fixed, true},
        {"WindowCascade", "&Cascade", "", Arrangement, false},
        {"WindowTileHorizontal", "Tile &Horizontally", "", Arrangement, false},
        {"WindowTileVertical", "Tile &Vertically", "", Arrangement, false},
        {"WindowMinimizeAll", "&Minimize All", "", Arrangement, false},
        {"WindowArrangeAll", "&Arrange All", "", Arrangement, false},
        {"WindowNextDoc", "&Next Document", "", Fixed, true},
        {"WindowPrevDoc", "&Previous Document", "", Fixed, true},
        {"HelpContents", "&Contents...", "F1", Fixed, true},
    };
    return table;
}

std::string UndoCaption(const std::string& commandName)
{
    return "&Undo " + commandName;
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
