// SPDX-License-Identifier: GPL-3.0-or-later
// The user's color-reduction settings and how they apply to an animation.
#pragma once

namespace fl {

class TGIFImage;
class TSettingsStore;

// Keys in the "Settings" section.
inline constexpr const char* KeyPaletteType = "PaletteType";     // default 0
inline constexpr const char* KeyMaxColorCount = "MaxColorCount"; // default 256
inline constexpr const char* KeyDitherMethod = "DitherMethod";   // default 0

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
