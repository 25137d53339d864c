// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TempFiles.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <system_error>
#include <thread>

namespace fl {

namespace {

constexpr int MaxNameAttempts = 200;

bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// A different sequence in every thread and every process: random_device
// alone may be deterministic on some platforms, so the time, the thread and
// a process-wide counter are mixed in.
uint32_t NextRandom()
{
    static std::atomic<uint32_t> counter{0};
    thread_local std::mt19937 engine([] {
        std::random_device device;
        std::seed_seq seed{device(),
                           static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id())),
                           static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
                           counter.fetch_add(1)};
        return std::mt19937(seed);
    }());
    return engine();
}

std::string UniquePart()
{
    static constexpr char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    uint64_t bits = uint64_t(NextRandom()) << 32 | NextRandom();
    std::string part(8, '0');
    for (char& digit : part) {
        digit = digits[bits % 36];
        bits /= 36;
    }
    return part;
}

} // namespace

std::string TempFolder()
{
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error || folder.empty())
        return {};
    if (!EndsWithSeparator(folder))
        folder += static_cast<char>(std::filesystem::path::preferred_separator);
    if (folder.size() > MaxTempFolderLength)
        return {};
    return folder;
}

std::string MakeTempFileName(const std::string& folder, const std::string& prefix)
{
    if (folder.empty())
        return {};
    std::string base = folder;
    if (!EndsWithSeparator(base))
        base += static_cast<char>(std::filesystem::path::preferred_separator);
    base += prefix;
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const std::string path = base + UniquePart() + ".tmp";
        // "x" creates the file only when it does not exist, in one step.
        errno = 0;
        if (std::FILE* file = std::fopen(path.c_str(), "wbx")) {
            if (std::fclose(file) == 0)
                return path;
            std::remove(path.c_str());
            return {};
        }
        // Only a name already taken is worth another try; a missing or
        // read-only folder fails the same way every time.
        if (errno != EEXIST)
            return {};
    }
    return {};
}

} // namespace fl
