// SPDX-License-Identifier: GPL-3.0-or-later
// The shell service of the running program: the desktop's default programs
// through QDesktopServices.
#pragma once

#include <QUrl>

#include "platform/ShellService.h"

namespace fl {

// The URL a target stands for: a "scheme:" target (https:, mailto:, file:)
// as it is, anything else as a local file path. Empty for an empty target.
QUrl ShellTargetUrl(const std::string& target);

class TQtShellService final : public TShellService {
public:
    bool Open(const std::string& target) override;
};

} // namespace fl
