// SPDX-License-Identifier: GPL-3.0-or-later
// The program-wide values kept in memory while the editor runs: loaded from
// the settings at start-up, changed by the options, written at exit.
#pragma once

#include <cstdint>
#include <string>

#include "editing/FrameSettings.h"

namespace fl {

// The frame list's thumbnail sizes.
inline constexpr int FrameSizes[] = {80, 96, 112, 128, 144, 160};

struct TProgramValues {
    uint8_t FrameSize = 160;
    uint16_t DefaultDelay = 100; // hundredths of a second
    uint16_t DefaultLoopCount = 0;
    bool SyncOpenDialog = false;
    bool NoOpenDialogPreview = false;
    // 0..17 one file type, 19 every supported type.
    uint8_t ThumbnailFilter = 19;
    std::string ThumbnailFolder;
    // Painted behind transparent pixels in the document view, 0x00BBGGRR.
    uint32_t FrameTransparentColor = 0xFFFFFF;
    // Where the open and save dialogs start.
    std::string InitialDir;
    // Where Copy leaves the frame it copied ("~FL" file in the temporary
    // folder); empty until a frame was copied.
    std::string ClipboardFile;
    // Number of the next "Untitled%d.gif".
    int NextUntitled = 1;

    TAnimationDefaults AnimationDefaults() const { return {DefaultDelay, DefaultLoopCount}; }
};

} // namespace fl
