// SPDX-License-Identifier: GPL-3.0-or-later
#include "exerciser/RandomServices.h"

namespace fl::exerciser {

int Pick(TRandom& random, int count)
{
    return static_cast<int>(std::uniform_int_distribution<int>(0, count - 1)(random));
}

int PickOf(TRandom& random, int count)
{
    const uint64_t draw = random();
    return count > 0 ? static_cast<int>(draw % static_cast<uint64_t>(count)) : -1;
}

bool Chance(TRandom& random, int percent)
{
    return Pick(random, 100) < percent;
}

TMessageAnswer TRandomMessageService::Ask(const TMessageRequest& request)
{
    Texts.push_back(request.Text);
    TMessageAnswer answer;
    if (request.Buttons.empty() || !Random) {
        answer.ModalResult = mrCancel;
    } else {
        // Now and then the box is closed without a button (Escape).
        const int choice = Pick(*Random, static_cast<int>(request.Buttons.size()) + 1);
        answer.ModalResult = choice < static_cast<int>(request.Buttons.size())
                                 ? ButtonResult(request.Buttons[static_cast<size_t>(choice)].Button)
                                 : mrCancel;
        answer.Checked = !request.CheckBoxCaption.empty() && Chance(*Random, 20);
    }
    if (Log)
        Log("    asked \"" + request.Text.substr(0, 90) + "\": answer " + std::to_string(answer.ModalResult) +
            (answer.Checked ? " (ticked)" : ""));
    return answer;
}

TFileDialogAnswer TRandomFileDialogService::Run(const TFileDialogRequest& request)
{
    TFileDialogAnswer answer;
    if (Random && request.Kind == TFileDialogKind::Open && !OpenPool.empty() && Chance(*Random, 80)) {
        const int count = request.MultiSelect && Chance(*Random, 25) ? 2 + Pick(*Random, 2) : 1;
        for (int i = 0; i < count; ++i)
            answer.Files.push_back(
                OpenPool[static_cast<size_t>(Pick(*Random, static_cast<int>(OpenPool.size())))]);
        answer.Accepted = true;
    } else if (Random && request.Kind == TFileDialogKind::Save && Chance(*Random, 80)) {
        const int where = Pick(*Random, 10);
        if (where == 0)
            answer.Files.push_back(SaveFolder + "/missing-folder/lost.gif");
        else if (where == 1)
            answer.Files.push_back(SaveFolder);
        else
            answer.Files.push_back(SaveFolder + "/saved-" + std::to_string(++saved_) + ".gif");
        answer.Accepted = true;
    } else if (Random && request.Kind == TFileDialogKind::Folder && Chance(*Random, 80)) {
        answer.Files.push_back(Chance(*Random, 50) ? SaveFolder : SaveFolder + "/missing-folder");
        answer.Accepted = true;
    }
    if (Log) {
        const char* kind = request.Kind == TFileDialogKind::Open   ? "open"
                           : request.Kind == TFileDialogKind::Save ? "save"
                                                                   : "folder";
        std::string line = std::string("    ") + kind +
                           " dialog: " + (answer.Accepted ? "" : "cancelled");
        for (const std::string& file : answer.Files)
            line += " " + file.substr(file.find_last_of('/') + 1);
        Log(line);
    }
    return answer;
}

} // namespace fl::exerciser
