// SPDX-License-Identifier: GPL-3.0-or-later
// Running frameloom-cli as a user runs it, from the tests.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fl {

struct TRun {
    int status = -1;
    std::string output;
};

inline TRun RunCli(const std::string& arguments)
{
    const std::string command = std::string(FL_CLI_PATH) + " " + arguments + " 2>&1";
    TRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline std::filesystem::path TempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("fl-cli-test-" + std::to_string(getpid()) + "-" + name);
}

inline const std::string kSample = std::string(FL_SOURCE_DIR) + "/resources/samples/sample.gif";

} // namespace fl
