// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <exception>

#include "cli/Commands.h"

namespace fl::cli {

int RunCommand(const std::vector<TCommand>& commands, const std::string& name,
               const std::vector<std::string>& args)
{
    for (const TCommand& command : commands) {
        if (name != command.Name)
            continue;
        try {
            return command.Run(args);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "frameloom-cli %s: %s\n", name.c_str(), error.what());
        } catch (...) {
            std::fprintf(stderr, "frameloom-cli %s: an unknown error\n", name.c_str());
        }
        return 1;
    }
    return -1;
}

} // namespace fl::cli
