// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void ThrowCreateError(const std::string& path, const std::string& reason)
{
    throw EStreamError("Cannot create file \"" + path + "\": " + reason);
}

std::string ErrnoText(int code, const char* fallback)
{
    return code != 0 ? std::strerror(code) : fallback;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, int& code)
{
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        code = errno;
        return false;
    }
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    written = std::fflush(file) == 0 && written;
    // A failing close can mean the bytes never reached the disk.
    written = std::fclose(file) == 0 && written;
    if (!written)
        code = errno;
    return written;
}

} // namespace

void ReplaceFileContents(const std::string& path, const void* data, size_t size)
{
    if (path.empty())
        ThrowCreateError(path, "no file name");
    std::error_code error;
    fs::path target(path);
    if (fs::symlink_status(target, error).type() == fs::file_type::symlink) {
        target = fs::weakly_canonical(target, error);
        if (error)
            ThrowCreateError(path, error.message());
    }
    if (fs::is_directory(target, error))
        ThrowCreateError(path, std::strerror(EISDIR));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    errno = 0;
    const std::string temp = MakeTempFileName(folder.string(), TempFilePrefix);
    if (temp.empty())
        ThrowCreateError(path, ErrnoText(errno, "the folder is missing or not writable"));
    int code = 0;
    if (!WriteWholeFile(temp, data, size, code)) {
        fs::remove(temp, error);
        ThrowCreateError(path, ErrnoText(code, "write error"));
    }
    const fs::file_status old = fs::status(target, error);
    if (!error && fs::exists(old))
        fs::permissions(temp, old.permissions(), error);
    fs::rename(temp, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        ThrowCreateError(path, error.message());
    }
}

} // namespace fl
