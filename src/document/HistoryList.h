// SPDX-License-Identifier: GPL-3.0-or-later
// A document's undo history: the recorded edits, oldest first, bounded by a
// limit. Undo applies only the newest one and discards it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/Command.h"

namespace fl {

class THistoryList {
public:
    // The commands act on the host's active animation.
    explicit THistoryList(TEditorHost& host) : host_(host) {}
    ~THistoryList() { ClearHistory(); }
    THistoryList(const THistoryList&) = delete;
    THistoryList& operator=(const THistoryList&) = delete;

    // Builds the command of the kind, which captures the state now, names it
    // and appends it. Before appending, the oldest commands go while more
    // than Limit() are held, so the list keeps at most Limit() + 1. An
    // unknown kind records nothing; a capture that fails throws and appends
    // nothing.
    void AddCommand(TCommandKind kind, TActionType action, int colorIndex, int extra, int frameIndex,
                    const std::string& name);

    int Count() const { return static_cast<int>(commands_.size()); }
    const TCommand& At(int index) const { return *commands_.at(static_cast<size_t>(index)); }
    // The newest command's name, empty without one.
    std::string LastName() const;
    // The newest command's frame index, -1 without one.
    int LastFrameIndex() const;

    // Undoes the newest command, then destroys it. A failing undo throws and
    // leaves the command in the history. Nothing happens when empty.
    void UndoLast();
    // Destroys every command, oldest first, with its temporary file.
    void ClearHistory();

    int Limit() const { return limit_; }
    void SetLimit(int limit) { limit_ = limit; }

private:
    TEditorHost& host_;
    std::vector<std::unique_ptr<TCommand>> commands_;
    int limit_ = 50;
};

} // namespace fl
