// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/AnimationFiles.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "color/NormalizeExtensions.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

bool WriteWholeFile(const std::string& path, const TMemoryStream& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const size_t size = static_cast<size_t>(bytes.Size());
    bool written = size == 0 || std::fwrite(bytes.Data(), 1, size, file) == size;
    written = std::fflush(file) == 0 && written;
    // A failing close can mean the data never reached the disk.
    return std::fclose(file) == 0 && written;
}

// Replaces the file's contents in one step: the bytes go to a temporary
// file in the same folder (a rename cannot cross file systems), which then
// takes the target's name. Whatever fails, the old file stays.
bool ReplaceFile(const std::string& path, const TMemoryStream& bytes)
{
    std::error_code error;
    fs::path target(path);
    // Saving through a link updates the file it points to, not the link.
    if (fs::symlink_status(target, error).type() == fs::file_type::symlink) {
        target = fs::weakly_canonical(target, error);
        if (error)
            return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string temp = MakeTempFileName(folder.string(), TempFilePrefix);
    if (temp.empty())
        return false;
    if (!WriteWholeFile(temp, bytes)) {
        fs::remove(temp, error);
        return false;
    }
    // The new file keeps the old one's permissions.
    const fs::file_status old = fs::status(target, error);
    if (!error && fs::exists(old))
        fs::permissions(temp, old.permissions(), error);
    fs::rename(temp, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
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
