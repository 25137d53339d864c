// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace fl {

// Errors of the animation model and the GIF codec. The message is the text
// the user sees.
class GIFException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace fl
