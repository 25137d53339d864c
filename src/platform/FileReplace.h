// SPDX-License-Identifier: GPL-3.0-or-later
// The one way a user's file is written: the bytes go to a temporary "~FL"
// file in the target's folder (a rename cannot cross file systems), which is
// flushed to the disk and then takes the target's name, with the old file's
// permissions; through a link, the file it points to is replaced. Whatever
// fails, the old file stays as it was and no temporary file is left.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace fl {

// A file being written in place of another. Failures throw EStreamError:
// "Cannot create file "PATH": REASON", with the system's reason ("No space
// left on device", "Permission denied", ...).
class TReplacingFile {
public:
    explicit TReplacingFile(const std::string& path);
    // Not committed: the temporary file goes, the target stays as it was.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;
    TReplacingFile(TReplacingFile&& other) noexcept;
    TReplacingFile& operator=(TReplacingFile&&) = delete;

    void Write(const void* data, size_t size);
    // For writers that go back to fill in sizes; a failure of theirs is
    // found by Finish at the latest.
    std::FILE* Handle() const { return file_; }
    // The bytes reach the disk and the file is closed.
    void Finish();
    // Finishes the file if need be, then it takes the target's name.
    void Commit();
    // The file the caller named.
    const std::string& Path() const { return path_; }

private:
    [[noreturn]] void Fail(const std::string& reason);

    std::string path_;
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Replaces the file's contents in one step, as TReplacingFile does.
void ReplaceFileContents(const std::string& path, const void* data, size_t size);

// Files written together: each is finished in its temporary file as it is
// added, and only Commit gives them their names, so that a run which fails
// part way leaves every target as it was.
class TFileBatch {
public:
    void Add(const std::string& path, const void* data, size_t size);
    // Renames every file; a rename that fails throws, naming its file, with
    // the ones before it in place and the rest left as they were.
    void Commit();
    int Count() const { return static_cast<int>(files_.size()); }

private:
    std::vector<TReplacingFile> files_;
};

} // namespace fl
