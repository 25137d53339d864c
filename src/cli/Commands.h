// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace fl::cli {

// Each command takes the arguments after its name and answers the exit status.
int RunInfo(const std::vector<std::string>& args);
int RunCopy(const std::vector<std::string>& args);
int RunQuantize(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args);

} // namespace fl::cli
