// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving animation files with the messages the user sees when
// that fails.
#pragma once

#include <string>

#include "editing/FrameSettings.h"

namespace fl {

class TGIFImage;
class TMessageService;

// Loads the file into the animation under the hourglass. A missing or
// unreadable file beeps, shows "Error loading <path>! Frameloom does not
// support the file type or it is a corrupted file." and answers false; the
// animation's contents are then undefined.
bool LoadAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path);

// Writes the animation as GIF, only when forced or when the file already
// exists (answers false otherwise, silently). The extensions are normalized
// first, leaving disposals alone unless restoreBackground. The bytes go to a
// temporary file beside the target that then replaces it, so a failed write
// leaves the previous file as it was. Failure shows "Error saving file!
// Unable to save <path> to disk." and answers false.
bool SaveAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path,
                       bool restoreBackground, bool force, const TAnimationDefaults& defaults);

} // namespace fl
