// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program hands something to the desktop: opening a file
// with its default program, a web page in the browser, a mail to an
// address. Tests use the recording implementation.
#pragma once

#include <string>
#include <vector>

namespace fl {

class TMessageService;

class TShellService {
public:
    virtual ~TShellService() = default;
    // Opens a file path or a URL ("https:", "mailto:") with the desktop's
    // default program; false when nothing could open it.
    virtual bool Open(const std::string& target) = 0;
};

// Opens the target and, when that fails, says "Could not load the client.".
bool OpenWithShell(TShellService& shell, TMessageService& messages, const std::string& target);

class TRecordingShellService final : public TShellService {
public:
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return succeeds;
    }
    std::vector<std::string> opened;
    bool succeeds = true;
};

} // namespace fl
