// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileProblems.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Stream.h"

namespace fl {

std::string FileReadProblem(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(path), error);
    // A folder on the way that may not be looked into is no missing file.
    if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory)
        return "The file cannot be read: " + error.message() + ".";
    if (!fs::exists(status))
        return "The file does not exist.";
    if (fs::is_directory(status))
        return "It is a folder, not a file.";
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::string("The file cannot be read: ") + std::strerror(errno != 0 ? errno : EACCES) + ".";
    std::fclose(file);
    return {};
}

std::string WriteProblem(const EStreamError& error)
{
    std::string reason = error.Reason().empty() ? error.what() : error.Reason();
    if (!reason.empty() && reason.back() != '.')
        reason += '.';
    return reason;
}

} // namespace fl
