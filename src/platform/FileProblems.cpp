// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileProblems.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fl {

std::string FileReadProblem(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(path), error);
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

std::string WriteProblem(const std::string& error)
{
    // The reason is what follows the quoted path.
    const size_t quote = error.rfind("\": ");
    std::string reason = quote == std::string::npos ? error : error.substr(quote + 3);
    if (!reason.empty() && reason.back() != '.')
        reason += '.';
    return reason;
}

} // namespace fl
