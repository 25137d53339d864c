// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's commands (actions shared by menus, toolbars and popups) and
// their present state: enabled, and the caption where it changes. The
// windows build their actions from the table and show the states; the
// editor context changes them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fl {

// How an action's enabled state starts and is kept.
enum class TActionEnabling {
    Fixed,      // starts as InitiallyEnabled, changed by the commands' own rules
    Document,   // a document command: switched together by EnableDocumentActions
    Arrangement // window arrangement: enabled exactly while a document is open
};

struct TActionInfo {
    const char* Name;
    const char* Caption;
    const char* Shortcut; // "" for none
    TActionEnabling Enabling;
    bool InitiallyEnabled;
    // "short|long": the short part is the tooltip, the long part goes to the
    // status bar.
    const char* Hint;
};

// The parts of a two-part hint; a hint without "|" is both.
std::string ShortHint(const std::string& hint);
std::string LongHint(const std::string& hint);

// Every action, in the order of the command table.
const std::vector<TActionInfo>& ActionTable();

// Names of the actions the editor context changes.
inline constexpr const char* ActFileSave = "FileSave";
inline constexpr const char* ActFileSaveAll = "FileSaveAll";
inline constexpr const char* ActEditUndo = "EditUndo";
inline constexpr const char* ActEditRedo = "EditRedo";
inline constexpr const char* ActEditCut = "EditCut";
inline constexpr const char* ActEditCopy = "EditCopy";
inline constexpr const char* ActEditPaste = "EditPaste";
inline constexpr const char* ActFrameDelete = "FrameDelete";
inline constexpr const char* ActFrameMoveBegin = "FrameMoveBegin";
inline constexpr const char* ActFrameMoveEnd = "FrameMoveEnd";
inline constexpr const char* ActFrameMoveUp = "FrameMoveUp";
inline constexpr const char* ActFrameMoveDown = "FrameMoveDown";

// The Undo caption with the newest command's name ("&Undo Move Frame").
std::string UndoCaption(const std::string& commandName);
// The Redo caption with the newest undone command's name ("&Redo Move
// Frame").
std::string RedoCaption(const std::string& commandName);

class TActionStates {
public:
    TActionStates();

    // Unknown names throw std::out_of_range: a misspelt action is a bug.
    bool Enabled(const std::string& name) const { return states_.at(name).Enabled; }
    void SetEnabled(const std::string& name, bool enabled);
    const std::string& Caption(const std::string& name) const { return states_.at(name).Caption; }
    void SetCaption(const std::string& name, const std::string& caption);

    // Switches every document action; the arrangement actions follow
    // whether a document is open.
    void EnableDocumentActions(bool enabled);
    void SetArrangementEnabled(bool enabled);
    // The four Move commands for frame `index` of `count` listed frames.
    void EnableMoves(int index, int count);

    // Counts changes, so that the windows refresh only when something moved.
    unsigned Revision() const { return revision_; }

private:
    struct TState {
        bool Enabled = false;
        std::string Caption;
        TActionEnabling Enabling = TActionEnabling::Fixed;
    };
    std::map<std::string, TState> states_;
    unsigned revision_ = 0;
};

} // namespace fl
