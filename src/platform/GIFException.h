// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace fl {

// Errors of the engine: color processing, the animation model and the GIF
// codec. The message is the text the user sees. It lives at the lowest level
// so that color processing raises it without knowing the model.
class GIFException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace fl
