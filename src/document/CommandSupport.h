// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces the command classes share: the animation they act on, their common
// errors, and a copy of the whole animation kept in a temporary GIF file.
#pragma once

#include <string>

#include "platform/Graphic.h"

namespace fl {

class TBitmap;
class TEditorHost;
class TGIFImage;
class TGIFSubImage;

// The host's active animation; ECommandError without one.
TGIFImage& RequireActiveAnimation(TEditorHost& host);

// Throws "Unknown Action Type from <className>!".
[[noreturn]] void ThrowUnknownActionType(const char* className);

// A copy of an animation in a "~FL" file of the temporary folder, deleted
// with this object.
class TAnimationSnapshot {
public:
    // Saves the animation, reporting to progress. A temporary file that
    // cannot be made throws ECommandError; a failing save deletes the file
    // and throws.
    TAnimationSnapshot(TGIFImage& image, const TProgressEvent& progress);
    ~TAnimationSnapshot();
    TAnimationSnapshot(const TAnimationSnapshot&) = delete;
    TAnimationSnapshot& operator=(const TAnimationSnapshot&) = delete;

    const std::string& Path() const { return path_; }
    // Loads the file into a scratch animation; its errors propagate.
    void ReadInto(TGIFImage& scratch) const;
    // Replaces the target's contents (frames, colors, extensions, header)
    // with the file's. A file that cannot be read throws and leaves the
    // target as it was.
    void RestoreInto(TGIFImage& target) const;

private:
    std::string path_;
};

} // namespace fl
