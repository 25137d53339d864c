// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileDialogService.h"

namespace fl {

TFileDialogAnswer TScriptedFileDialogService::Run(const TFileDialogRequest& request)
{
    requests_.push_back(request);
    if (answers_.empty())
        return {};
    TFileDialogAnswer answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

} // namespace fl
