// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

namespace fl {

// An edit that cannot be recorded or undone. The message is the text the
// user sees.
class ECommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace fl
