// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace fl {

// Flag of a palette entry that must not be collapsed onto a system color.
constexpr uint8_t PC_NOCOLLAPSE = 0x04;

struct TPaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;

    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// The engine's palette object: an ordered list of at most 256 entries.
struct TPalette {
    std::vector<TPaletteEntry> Entries;

    friend bool operator==(const TPalette&, const TPalette&) = default;
};

// Palettes are shared between their owners (a frame, its bitmap, the
// document); releasing a handle is resetting it.
using TPaletteHandle = std::shared_ptr<const TPalette>;

} // namespace fl
