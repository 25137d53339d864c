// SPDX-License-Identifier: GPL-3.0-or-later
// Progress of the conversions between frames and bitmaps: reported on the
// frame's document, every 32 rows.
#pragma once

#include <cstdint>

#include "gif/GIFImage.h"

namespace fl::frameprogress {

// Progress is reported on rows 0, 32, 64, ...
constexpr int kProgressRows = 32;

inline const char* const kRendering = "Rendering...";
inline const char* const kConverting = "Converting...";

inline void Report(TGIFImage* image, TProgressStage stage, int percent, bool redrawNow, const char* message)
{
    if (image)
        image->ReportProgress(stage, percent, redrawNow, message);
}

inline void ReportRow(TGIFImage* image, int row, int height, const char* message)
{
    if (row % kProgressRows == 0)
        Report(image, TProgressStage::Running, static_cast<int>(int64_t(row) * 100 / height), false, message);
}

} // namespace fl::frameprogress
