// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-formats: the commands of frameloom-cli that need the codec
// libraries. frameloom-cli starts it for them; it can be run directly too.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs("Usage: frameloom-formats import|import-avi|export-avi ARGUMENTS (see frameloom-cli --help)\n",
                   stderr);
        return 2;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    // Whatever a command did not catch ends it with its message.
    try {
        if (command == "import")
            return fl::cli::RunImport(args);
        if (command == "import-avi")
            return fl::cli::RunImportAvi(args);
        if (command == "export-avi")
            return fl::cli::RunExportAvi(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "frameloom-cli %s: %s\n", command.c_str(), error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "frameloom-cli %s: an unknown error\n", command.c_str());
        return 1;
    }
    std::fprintf(stderr, "frameloom-formats: unknown command \"%s\"\n", command.c_str());
    return 2;
}
