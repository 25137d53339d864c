// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing an image file into the editor: as a bitmap, as frames of the
// active animation, or as a new document, asking the user where needed.
#pragma once

#include <string>

namespace fl {

class TBitmap;
class TEditorHost;
class TGIFImage;

// Results of ImportImageFile and AskDropAction.
inline constexpr int importBitmapFilled = 0;
inline constexpr int importFailed = -1; // failed or cancelled
inline constexpr int importOpenedAsNew = -2;
inline constexpr int importFramesAdded = -3;

// Where a dropped file lands. A GIF dragged from the thumbnail grid onto the
// main window outside the frame list always opens as a new document.
enum class TDropSource { Other, ThumbnailsOutsideFrameList };

// The question AskDropAction asks when a GIF is dropped on an open document.
inline constexpr const char* DropImageQuestion = "Would you like to add this image to the current animation?"
                                                 "\r\n Or, would you like to start it as new animation?";

// Imports the file of the given type (FileTypeIndex). BMP and the types of
// the host's image reader fill the target bitmap (importBitmapFilled) or fail
// silently; a missing file or an unknown type is reported. A GIF with
// bitmapOnly puts its first frame as shown into the target; otherwise it is
// opened as a new document when no document is open or the source says so,
// and else the user chooses (AskDropAction).
int ImportImageFile(TEditorHost& host, const std::string& path, TBitmap& target, int fileType,
                    bool bitmapOnly, TDropSource source = TDropSource::Other);

// Asks whether the dropped animation joins the active one or starts a new
// document (remembered under "DropImageDefault"). Include: every frame with
// pixels is inserted as a bitmap at the position the user picks ("Drag and
// Drop Image"), importFramesAdded; start new: the file opens as a new
// document, importOpenedAsNew; cancel, or an insertion that fails:
// importFailed.
int AskDropAction(TEditorHost& host, const std::string& path, TGIFImage& dropped, const std::string& message);

} // namespace fl
