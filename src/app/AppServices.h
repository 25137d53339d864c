// SPDX-License-Identifier: GPL-3.0-or-later
// The services the windows use instead of the system's dialogs, shell and
// settings, handed to the main window when it is made. The program passes
// the Qt implementations; tests pass scripted ones.
#pragma once

#include <memory>
#include <string>

namespace fl {

class TClock;
class TDialogRunner;
class TFileDialogService;
class TMessageService;
class TSettingsStore;
class TShellService;

struct TAppServices {
    TMessageService& Messages;
    TFileDialogService& Dialogs;
    TShellService& Shell;
    TSettingsStore& Settings;
    // Runs the program's own dialogs (prompts, palette editor).
    TDialogRunner& Modals;
    // The folder holding the program, the companion library, the help
    // pages and the sample folder "Images", with a trailing separator.
    std::string ProgramFolder;
    // The clock the start-up logo and previews play on; null: the system's.
    std::shared_ptr<TClock> PlayClock;
};

} // namespace fl
