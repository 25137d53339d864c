// SPDX-License-Identifier: GPL-3.0-or-later
// What a thumbnail dragged from the thumbnail browser carries: the path of
// its image file under a type of this program's own, so that the drop
// targets (the workspace, the frame list, the document views) tell it from
// files dropped from the desktop and from frames dragged between windows.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QMimeData;

namespace fl {

inline constexpr const char* ThumbnailMimeType = "application/x-frameloom-thumbnail";

std::unique_ptr<QMimeData> MakeThumbnailDragData(const std::string& path);

// The image file of a thumbnail drag; nothing for any other drag.
std::optional<std::string> ThumbnailDragFile(const QMimeData& mime);

} // namespace fl
