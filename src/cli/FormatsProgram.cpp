// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FormatsProgram.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fl::cli {

namespace {

// The folder of the running program; the companion program is built into
// the same folder.
std::filesystem::path ProgramFolder(const char* argv0)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return self.parent_path();
    return std::filesystem::absolute(argv0, error).parent_path();
}

} // namespace

bool IsFormatsCommand(const char* command)
{
    for (const char* name : {"import", "import-avi", "import-video", "export-avi"})
        if (std::strcmp(command, name) == 0)
            return true;
    return false;
}

int RunInFormatsProgram(char** argv)
{
    const std::string program = (ProgramFolder(argv[0]) / FormatsProgramName).string();
    argv[0] = const_cast<char*>(program.c_str());
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "frameloom-cli: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}

} // namespace fl::cli
