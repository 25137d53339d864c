// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellService.h"

#include "platform/MessageService.h"

namespace fl {

bool OpenWithShell(TShellService& shell, TMessageService& messages, const std::string& target)
{
    if (shell.Open(target))
        return true;
    ShowErrorMessage(messages, "Could not load the client.");
    return false;
}

} // namespace fl
