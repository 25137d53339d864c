// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/HistoryList.h"

#include "document/ActiveAnimationCommand.h"
#include "document/ExtensionCommands.h"
#include "document/FrameCommand.h"
#include "document/PaletteCommand.h"

namespace fl {

void THistoryList::AddCommand(TCommandKind kind, TActionType action, int colorIndex, int extra,
                              int frameIndex, const std::string& name)
{
    // The command captures the state in its constructor: one that fails
    // leaves the history as it was.
    std::unique_ptr<TCommand> command;
    switch (kind) {
    case ckActiveAnimation:
        command = std::make_unique<TActiveAnimation>(host_, action, frameIndex);
        break;
    case ckPalette:
        command = std::make_unique<TCommandPalette>(host_, action, colorIndex, static_cast<TColor>(extra),
                                                    frameIndex);
        break;
    case ckFrame:
        command = std::make_unique<TFrame>(host_, action, extra, frameIndex);
        break;
    case ckComment:
        command = std::make_unique<TCommentExt>(host_, action, extra, frameIndex);
        break;
    case ckGraphicControl:
        command = std::make_unique<TGCExt>(host_, action, extra, frameIndex);
        break;
    case ckLoop:
        command = std::make_unique<TNSLoop>(host_, action, extra, frameIndex);
        break;
    default:
        return;
    }
    command->ActionName = name;
    redoSteps_.clear();
    Append(std::move(command));
}

void THistoryList::Append(std::unique_ptr<TCommand> command)
{
    while (Count() > limit_)
        commands_.erase(commands_.begin());
    commands_.push_back(std::move(command));
}

std::string THistoryList::LastName() const
{
    return commands_.empty() ? std::string() : commands_.back()->ActionName;
}

int THistoryList::LastFrameIndex() const
{
    return commands_.empty() ? -1 : commands_.back()->FrameIndex;
}

std::string THistoryList::RedoName() const
{
    return redoSteps_.empty() ? std::string() : redoSteps_.back()->ActionName;
}

int THistoryList::RedoFrameIndex() const
{
    return redoSteps_.empty() ? -1 : redoSteps_.back()->FrameIndex;
}

void THistoryList::UndoLast(bool keepForRedo)
{
    if (commands_.empty())
        return;
    TCommand& newest = *commands_.back();
    // The animation as the command left it, for Redo. Undo matters more
    // than Redo: a copy that cannot be written only ends redoing.
    std::unique_ptr<TCommand> redo;
    try {
        if (keepForRedo) {
            redo = std::make_unique<TActiveAnimation>(host_, atWholeAnimation, newest.FrameIndex);
            redo->ActionName = newest.ActionName;
        }
    } catch (const std::exception&) {
        redoSteps_.clear();
    }
    // A failing undo throws before the command goes, so it can be tried again.
    newest.Undo(host_);
    commands_.pop_back();
    if (redo) {
        if (RedoCount() > limit_)
            redoSteps_.erase(redoSteps_.begin());
        redoSteps_.push_back(std::move(redo));
    }
}

void THistoryList::RedoLast()
{
    if (redoSteps_.empty())
        return;
    TCommand& step = *redoSteps_.back();
    auto undo = std::make_unique<TActiveAnimation>(host_, atWholeAnimation, step.FrameIndex);
    undo->ActionName = step.ActionName;
    step.Undo(host_);
    redoSteps_.pop_back();
    Append(std::move(undo));
}

void THistoryList::ClearHistory()
{
    // Oldest first, each with its temporary file.
    for (auto& command : commands_)
        command.reset();
    commands_.clear();
    redoSteps_.clear();
}

} // namespace fl
