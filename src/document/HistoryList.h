// SPDX-License-Identifier: GPL-3.0-or-later
// A document's undo history: the recorded edits, oldest first, bounded by a
// limit. Undo applies only the newest one and discards it, keeping a copy
// of the whole animation as it was before, so that Redo can bring it back.
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
    // leaves the command in the history. Nothing happens when empty. With
    // keepForRedo the animation as it was before becomes the newest redo
    // step, under the command's name; when it cannot be kept, nothing can
    // be redone.
    void UndoLast(bool keepForRedo = true);
    // Destroys every command, oldest first, with its temporary file, and
    // every redo step.
    void ClearHistory();

    // Redo steps: what undone commands took away, newest last. A new
    // command discards them.
    int RedoCount() const { return static_cast<int>(redoSteps_.size()); }
    // The newest redo step's name, empty without one.
    std::string RedoName() const;
    // The newest redo step's frame index, -1 without one.
    int RedoFrameIndex() const;
    // Records the animation as it is now as an undo step under the redo
    // step's name, then puts the redo step's animation back. A failure
    // throws and leaves the history and the animation as they were.
    void RedoLast();

    int Limit() const { return limit_; }
    void SetLimit(int limit) { limit_ = limit; }

private:
    TEditorHost& host_;
    // Appends a command, dropping the oldest ones beyond the limit.
    void Append(std::unique_ptr<TCommand> command);

    std::vector<std::unique_ptr<TCommand>> commands_;
    std::vector<std::unique_ptr<TCommand>> redoSteps_;
    int limit_ = 50;
};

} // namespace fl
