// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/WorkingCopyRecords.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/FileReplace.h"
#include "platform/ProcessInfo.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

constexpr const char* RecordSuffix = ".owner";
// A record being decided on by the process named after it.
constexpr const char* ClaimSuffix = ".claim-";
constexpr const char* RecordHeader = "Frameloom working copy";

std::string RecordPath(const std::string& workingCopy)
{
    return workingCopy + RecordSuffix;
}

// A plain file of this user: in a folder others may write to, a link or
// someone else's file must not be taken for one of ours.
bool OwnRegularFile(const fs::path& path)
{
    std::error_code error;
    if (fs::symlink_status(path, error).type() != fs::file_type::regular)
        return false;
#ifdef _WIN32
    return true; // the temporary folder is the user's own
#else
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && info.st_uid == getuid();
#endif
}

bool ReadRecord(const fs::path& path, TWorkingCopyRecord& record)
{
    std::ifstream in(path, std::ios::binary);
    std::string header, process, untitled;
    if (!std::getline(in, header) || header != RecordHeader || !std::getline(in, process) ||
        !std::getline(in, untitled) || !std::getline(in, record.FileName) || record.FileName.empty())
        return false;
    try {
        record.ProcessId = std::stoi(process);
    } catch (const std::exception&) {
        return false;
    }
    record.Untitled = untitled == "1";
    return true;
}

// The working copy a record file stands for, and the process holding a
// claim on it (0 for none); empty when the file is no record.
std::string CopyOfRecord(const fs::path& record, int& claimant)
{
    const std::string name = record.filename().string();
    claimant = 0;
    const size_t claim = name.find(ClaimSuffix);
    const std::string base = claim == std::string::npos ? name : name.substr(0, claim);
    if (claim != std::string::npos) {
        try {
            claimant = std::stoi(name.substr(claim + std::char_traits<char>::length(ClaimSuffix)));
        } catch (const std::exception&) {
            return {};
        }
    }
    const size_t suffix = std::char_traits<char>::length(RecordSuffix);
    if (base.size() <= suffix || base.compare(base.size() - suffix, suffix, RecordSuffix) != 0)
        return {};
    return (record.parent_path() / base.substr(0, base.size() - suffix)).string();
}

} // namespace

bool WriteWorkingCopyRecord(const std::string& workingCopy, const std::string& fileName, bool untitled,
                            int processId)
{
    std::ostringstream text;
    text << RecordHeader << '\n'
         << (processId > 0 ? processId : CurrentProcessId()) << '\n'
         << (untitled ? 1 : 0) << '\n'
         << fileName << '\n';
    try {
        const std::string bytes = text.str();
        ReplaceFileContents(RecordPath(workingCopy), bytes.data(), bytes.size());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void DeleteWorkingCopyRecord(const std::string& workingCopy)
{
    std::error_code ignored;
    fs::remove(RecordPath(workingCopy), ignored);
}

bool ReadWorkingCopyRecord(const std::string& workingCopy, TWorkingCopyRecord& record)
{
    record.WorkingCopy = workingCopy;
    record.RecordFile = RecordPath(workingCopy);
    return ReadRecord(record.RecordFile, record);
}

std::vector<TWorkingCopyRecord> FindAbandonedWorkingCopies(const std::string& folder)
{
    const fs::path prefix(TempFilePrefix);
    std::vector<std::pair<fs::file_time_type, TWorkingCopyRecord>> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const fs::path path = entry->path();
        // Compared as the system's own strings: a name of another code page
        // must not stop the search.
        if (path.filename().native().rfind(prefix.native(), 0) != 0 || !OwnRegularFile(path))
            continue;
        int claimant = 0;
        TWorkingCopyRecord record;
        record.WorkingCopy = CopyOfRecord(path, claimant);
        if (record.WorkingCopy.empty() || ProcessIsRunning(claimant) || !ReadRecord(path, record) ||
            ProcessIsRunning(record.ProcessId))
            continue;
        record.RecordFile = path.string();
        std::error_code ignored;
        if (!OwnRegularFile(record.WorkingCopy) || fs::file_size(record.WorkingCopy, ignored) == 0) {
            // Nothing to give back: a copy that is gone, or was never written.
            if (!fs::exists(fs::symlink_status(record.WorkingCopy, ignored)) ||
                fs::file_size(record.WorkingCopy, ignored) == 0) {
                fs::remove(record.WorkingCopy, ignored);
                fs::remove(path, ignored);
            }
            continue;
        }
        found.emplace_back(fs::last_write_time(record.WorkingCopy, ignored), record);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TWorkingCopyRecord> records;
    for (auto& [time, record] : found)
        records.push_back(std::move(record));
    return records;
}

bool ClaimWorkingCopy(TWorkingCopyRecord& record)
{
    // A rename succeeds for one process only: the others find the record gone.
    const std::string claimed =
        RecordPath(record.WorkingCopy) + ClaimSuffix + std::to_string(CurrentProcessId());
    std::error_code error;
    fs::rename(record.RecordFile, claimed, error);
    if (error)
        return false;
    record.RecordFile = claimed;
    return true;
}

void ReleaseWorkingCopy(const TWorkingCopyRecord& record)
{
    std::error_code ignored;
    fs::rename(record.RecordFile, RecordPath(record.WorkingCopy), ignored);
}

void DiscardAbandonedCopy(const TWorkingCopyRecord& record)
{
    std::error_code ignored;
    fs::remove(record.WorkingCopy, ignored);
    fs::remove(record.RecordFile, ignored);
}

} // namespace fl
