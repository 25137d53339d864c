// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>

namespace fl {

// The silent cancellation: a progress handler raises it to abandon a long
// operation. Operations that can be cancelled swallow it; it is never shown
// to the user.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace fl
