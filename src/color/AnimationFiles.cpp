// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/AnimationFiles.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "color/NormalizeExtensions.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/FileReplace.h"
#include "platform/Stream.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

// Whatever fails, the old file stays (see ReplaceFileContents).
bool ReplaceFile(const std::string& path, const TMemoryStream& bytes)
{
    try {
        ReplaceFileContents(path, bytes.Data(), static_cast<size_t>(bytes.Size()));
        return true;
    } catch (const EStreamError&) {
        return false;
    }
}

} // namespace

bool LoadAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path)
{
    TBusyCursor busy(messages);
    if (FileExists(path)) {
        try {
            image.LoadFromFile(path);
            return true;
        } catch (const std::exception&) {
            // Reported below like a missing file: the user can do the same about both.
        }
    }
    messages.Beep();
    ShowErrorMessage(messages, "Error loading " + path +
                                   "! Frameloom does not support the file type or it is a corrupted file.");
    return false;
}

bool SaveAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path,
                       bool restoreBackground, bool force, const TAnimationDefaults& defaults)
{
    if (!force && !FileExists(path))
        return false;
    bool saved = false;
    try {
        NormalizeExtensions(image, !restoreBackground, defaults);
        TMemoryStream bytes;
        image.SaveToStream(bytes);
        saved = ReplaceFile(path, bytes);
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved)
        ShowErrorMessage(messages, "Error saving file! Unable to save " + path + " to disk.");
    return saved;
}

} // namespace fl
