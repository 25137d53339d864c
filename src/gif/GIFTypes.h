// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace fl {

// A color value laid out 0x00BBGGRR.
using TColor = uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;

inline constexpr TColor MakeColor(uint8_t red, uint8_t green, uint8_t blue)
{
    return TColor(red) | TColor(green) << 8 | TColor(blue) << 16;
}
inline constexpr uint8_t RedOf(TColor color) { return uint8_t(color); }
inline constexpr uint8_t GreenOf(TColor color) { return uint8_t(color >> 8); }
inline constexpr uint8_t BlueOf(TColor color) { return uint8_t(color >> 16); }

// GIF versions an item needs; Unknown only for a document without frames.
enum class TGIFVersion { Unknown = 0, GIF87a = 1, GIF89a = 2 };

// Warning severities of the model.
constexpr int wsSpecialComment = 0;
constexpr int wsWarning = 1;
constexpr int wsError = 2;

// Drawing and playback options of a document.
using TGIFPaintFlags = uint16_t;
constexpr TGIFPaintFlags paintAsync = 0x0001;
constexpr TGIFPaintFlags paintTransparent = 0x0002;
constexpr TGIFPaintFlags paintAnimate = 0x0004;
constexpr TGIFPaintFlags paintLoop = 0x0008;
constexpr TGIFPaintFlags paintLoopForever = 0x0010;
constexpr TGIFPaintFlags paintCheckCanvas = 0x0020;
constexpr TGIFPaintFlags paintDirect = 0x0040;
constexpr TGIFPaintFlags paintClearOnLoop = 0x0080;
constexpr TGIFPaintFlags paintTile = 0x0100;
constexpr TGIFPaintFlags paintDither = 0x0200;
constexpr TGIFPaintFlags paintAutoDither = 0x0400;
constexpr TGIFPaintFlags DefaultPaintFlags = 0x060F;

// Disposal methods of a frame's control block.
constexpr int disposeUnspecified = 0;
constexpr int disposeKeep = 1;
constexpr int disposeBackground = 2;
constexpr int disposePrevious = 3;

// Playback timing shared by every player.
constexpr int GIFDelayUnitMs = 12;
constexpr int GIFDefaultDelay = 10;
constexpr int GIFMinimumDelay = 3;
constexpr int GIFMaximumDelay = 1000;

// True when the screen shows 8 bits per pixel or fewer; set by the program
// at start-up (the engine itself knows no screen).
extern bool GIFLowColorScreen;

// Bounds on what a file may make us allocate. A frame's size comes from 16-bit
// fields, so a few bytes of a hostile file could ask for 4 GiB per frame.
struct TGIFMemoryLimits {
    uint64_t MaxFramePixels = uint64_t(1) << 28; // 256 Mi pixels, e.g. 16384 x 16384
    // All frames of one load together, one byte each: the smaller of 4 GiB
    // and half the machine's memory.
    uint64_t MaxDocumentPixels = DefaultDocumentPixels();
    static uint64_t DefaultDocumentPixels();
};
extern TGIFMemoryLimits GIFMemoryLimits;

} // namespace fl
