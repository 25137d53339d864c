// SPDX-License-Identifier: GPL-3.0-or-later
// The user's color-reduction settings and how they apply to an animation.
#pragma once

// The keys: KeyPaletteType, KeyMaxColorCount, KeyDitherMethod.
#include "platform/SettingsKeys.h"

namespace fl {

class TGIFImage;

// "PaletteType" values.
inline constexpr int paletteOptimized = 0;
inline constexpr int paletteWebSafe = 1;
inline constexpr int paletteLocal = 2;

// Sets the animation's reduction method, depth and dither mode from the
// stored settings. Answers whether the animation is to use one global
// palette (optimized and web-safe palettes) rather than local ones. Values
// the settings do not know leave the matching setting as it was.
bool ApplyPaletteSettings(TGIFImage& image, const TSettingsStore& settings);

} // namespace fl
