// SPDX-License-Identifier: GPL-3.0-or-later
// The services of the exerciser's editor: questions answered and file
// dialogs filled in as a user picking at random among what they allow. The
// exerciser hands them each step's own random source, and they log what
// they were asked, so that a failing run shows what the user answered.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/FileDialogService.h"
#include "platform/MessageService.h"

namespace fl::exerciser {

using TRandom = std::mt19937_64;

// A number in [0, count): count must be positive.
int Pick(TRandom& random, int count);
// One of count things, -1 when there are none. It draws from the source
// either way, so that what a step draws next does not depend on the state.
int PickOf(TRandom& random, int count);
// True with the given chance in percent.
bool Chance(TRandom& random, int percent);

class TRandomMessageService final : public TMessageService {
public:
    TMessageAnswer Ask(const TMessageRequest& request) override;
    void Beep() override {}
    void BeginBusy() override { ++busyDepth_; }
    void EndBusy() override { --busyDepth_; }

    // The source the answers come from; set for every step.
    TRandom* Random = nullptr;
    // Told of every question and its answer.
    std::function<void(const std::string& line)> Log;
    // Every question's text, for the checks on what users get to read.
    std::vector<std::string> Texts;
    // The hourglass nesting: zero whenever the editor waits for the user.
    int BusyDepth() const { return busyDepth_; }

private:
    int busyDepth_ = 0;
};

class TRandomFileDialogService final : public TFileDialogService {
public:
    TFileDialogAnswer Run(const TFileDialogRequest& request) override;

    TRandom* Random = nullptr;
    std::function<void(const std::string& line)> Log;
    // What open dialogs choose from: copies of corpus files and a few files
    // the editor must refuse.
    std::vector<std::string> OpenPool;
    // Where save dialogs put new files; each answer is a name not used
    // before, or a place that cannot be written.
    std::string SaveFolder;

private:
    int saved_ = 0;
};

} // namespace fl::exerciser
