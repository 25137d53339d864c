// SPDX-License-Identifier: GPL-3.0-or-later
// Exporting an animation as an uncompressed 8-bit AVI video.
#pragma once

#include <functional>
#include <string>

namespace fl {

class TGIFImage;

// What an export reports and asks between frames (both optional).
struct TAviExportProgress {
    // Frame index and frame count.
    std::function<void(int index, int count)> Step;
    // Answers true to abandon the export.
    std::function<bool()> Cancelled;
};

// Readies a copy of an animation for the export: every frame becomes the
// picture accumulated up to it at frame 0's size (frames drawn opaque at
// their offsets), then all frames share one global palette. Frames keep
// their delay. Answers false when cancelled (the copy is then half made).
bool PrepareAviExport(TGIFImage& copy, const TAviExportProgress& progress = {});

// Writes the animation (prepared: frames of one size) as an AVI file of
// 8-bit frames with frame 0's color table; empty frames leave gaps in the
// sample positions. Throws EAviError with the message of the failing step;
// answers false when cancelled. Either way the target keeps what it held.
bool ExportAvi(const std::string& path, TGIFImage& image, const TAviExportProgress& progress = {});

} // namespace fl
