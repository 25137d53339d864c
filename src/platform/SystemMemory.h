// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace fl {

// The machine's physical memory in bytes; 0 when the system does not say.
uint64_t PhysicalMemoryBytes();

// A size for people: "512 KiB", "31.3 GiB".
std::string FormatByteSize(uint64_t bytes);

} // namespace fl
