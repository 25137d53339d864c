// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>

namespace fl {

// A bitmap that cannot be made, converted, read or written; the message is
// shown to the user as it is.
class EBitmapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest bitmap the process agrees to hold, so that a few bytes of a
// hostile file cannot ask for gigabytes. The fuzz targets lower it.
struct TBitmapLimits {
    uint64_t MaxPixels = uint64_t(1) << 28; // 256 Mi pixels, e.g. 16384 x 16384
};
extern TBitmapLimits BitmapMemoryLimits;

} // namespace fl
