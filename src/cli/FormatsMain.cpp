// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-formats: the commands of frameloom-cli that need the codec
// libraries. frameloom-cli starts it for them; it can be run directly too.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs("Usage: frameloom-formats import|import-avi|import-video|export-avi ARGUMENTS (see frameloom-cli --help)\n",
                   stderr);
        return 2;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    const int status = fl::cli::RunCommand({{"import", fl::cli::RunImport},
                                            {"import-avi", fl::cli::RunImportAvi},
                                            {"import-video", fl::cli::RunImportVideo},
                                            {"export-avi", fl::cli::RunExportAvi}},
                                           command, args);
    if (status >= 0)
        return status;
    std::fprintf(stderr, "frameloom-formats: unknown command \"%s\"\n", command.c_str());
    return 2;
}
