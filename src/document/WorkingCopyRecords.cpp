// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/WorkingCopyRecords.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/FileReplace.h"
#include "platform/ProcessInfo.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

constexpr const char* RecordSuffix = ".owner";
constexpr const char* RecordHeader = "Frameloom working copy";

std::string RecordPath(const std::string& workingCopy)
{
    return workingCopy + RecordSuffix;
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

} // namespace

bool WriteWorkingCopyRecord(const std::string& workingCopy, const std::string& fileName, bool untitled)
{
    std::ostringstream text;
    text << RecordHeader << '\n'
         << CurrentProcessId() << '\n'
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

std::vector<TWorkingCopyRecord> FindAbandonedWorkingCopies(const std::string& folder)
{
    std::vector<std::pair<fs::file_time_type, TWorkingCopyRecord>> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const fs::path path = entry->path();
        const std::string name = path.filename().string();
        if (name.rfind(TempFilePrefix, 0) != 0 || path.extension() != RecordSuffix)
            continue;
        TWorkingCopyRecord record;
        if (!ReadRecord(path, record) || ProcessIsRunning(record.ProcessId))
            continue;
        std::error_code ignored;
        record.WorkingCopy = (path.parent_path() / path.stem()).string();
        if (!fs::is_regular_file(record.WorkingCopy, ignored)) {
            fs::remove(path, ignored);
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

} // namespace fl
