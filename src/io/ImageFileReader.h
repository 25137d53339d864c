// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's reader for still images of the file-type table, over the
// imaging control.
#pragma once

#include <string>

#include "editing/EditorHost.h"
#include "io/ImagingControl.h"

namespace fl {

// Types ftJPG..ftWPG go through one imaging control; BMP goes through the
// engine's own reader and GIF through the animation loader (its first frame
// as shown), so that one reader takes every still picture the table names.
// AVI and unknown types answer icUnknownType.
class TImagingFileReader final : public TImageFileReader {
public:
    int LoadImage(const std::string& path, int fileType, TBitmap& target) override;
    // The text of the last failure, for callers that report it.
    const std::string& LastError() const { return lastError_; }

private:
    TImagingControl control_;
    std::string lastError_;
};

} // namespace fl
