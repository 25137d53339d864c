// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

std::string ErrnoText(int code, const char* fallback)
{
    return code != 0 ? std::strerror(code) : fallback;
}

// Whether the file's bytes are on the disk, as far as the system can tell.
// A file system that cannot sync (some network and user-space ones) is no
// reason to fail the save.
bool SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    if (fsync(fileno(file)) == 0)
        return true;
    return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
#endif
}

} // namespace

TReplacingFile::TReplacingFile(const std::string& path) : path_(path)
{
    if (path.empty())
        Fail("no file name");
    std::error_code error;
    fs::path target(path);
    if (fs::symlink_status(target, error).type() == fs::file_type::symlink) {
        target = fs::weakly_canonical(target, error);
        if (error)
            Fail(error.message());
    }
    if (fs::is_directory(target, error))
        Fail(std::strerror(EISDIR));
    target_ = target.string();
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        Fail("The folder does not exist");
    errno = 0;
    temp_ = MakeTempFileName(folder.string(), TempFilePrefix);
    if (temp_.empty())
        Fail(ErrnoText(errno, "the folder is missing or not writable"));
    errno = 0;
    file_ = std::fopen(temp_.c_str(), "wb");
    if (!file_) {
        // The destructor does not run for a constructor that throws.
        const int code = errno;
        std::error_code ignored;
        fs::remove(temp_, ignored);
        temp_.clear();
        Fail(ErrnoText(code, "the folder is not writable"));
    }
}

TReplacingFile::TReplacingFile(TReplacingFile&& other) noexcept
    : path_(std::move(other.path_)), target_(std::move(other.target_)), temp_(std::exchange(other.temp_, {})),
      file_(std::exchange(other.file_, nullptr)), failed_(other.failed_)
{
}

TReplacingFile::~TReplacingFile()
{
    if (file_)
        std::fclose(file_);
    if (!temp_.empty()) {
        std::error_code ignored;
        fs::remove(temp_, ignored);
    }
}

void TReplacingFile::Fail(const std::string& reason)
{
    failed_ = true;
    throw EStreamError("Cannot create file \"" + path_ + "\": " + reason, reason);
}

void TReplacingFile::Write(const void* data, size_t size)
{
    errno = 0;
    if (failed_ || !file_ || (size > 0 && std::fwrite(data, 1, size, file_) != size))
        Fail(ErrnoText(errno, "write error"));
}

void TReplacingFile::Finish()
{
    if (failed_ || !file_)
        Fail("write error");
    errno = 0;
    // A failing flush or close can mean the bytes never reached the disk.
    bool written = std::fflush(file_) == 0 && !std::ferror(file_) && SyncToDisk(file_);
    const int code = errno;
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    if (!written)
        Fail(ErrnoText(code != 0 ? code : errno, "write error"));
}

void TReplacingFile::Commit()
{
    if (file_)
        Finish();
    if (failed_ || temp_.empty())
        Fail("write error");
    std::error_code error;
    const fs::file_status old = fs::status(target_, error);
    if (!error && fs::exists(old))
        fs::permissions(temp_, old.permissions(), error);
    fs::rename(temp_, target_, error);
    if (error)
        Fail(error.message());
    temp_.clear();
}

void ReplaceFileContents(const std::string& path, const void* data, size_t size)
{
    TReplacingFile file(path);
    file.Write(data, size);
    file.Commit();
}

void TFileBatch::Add(const std::string& path, const void* data, size_t size)
{
    TReplacingFile file(path);
    file.Write(data, size);
    // Closed now: a full disk shows here, and a long batch holds no files
    // open.
    file.Finish();
    files_.push_back(std::move(file));
}

void TFileBatch::Commit()
{
    for (TReplacingFile& file : files_)
        file.Commit();
    files_.clear();
}

} // namespace fl
