// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Palette.h"

namespace fl {

// The 216-color web-safe cube: entry r*36 + g*6 + b is (51r, 51g, 51b).
TPaletteHandle MakeWebSafePalette();

} // namespace fl
