// SPDX-License-Identifier: GPL-3.0-or-later
// What stands between the user and a file, in words for a message box.
#pragma once

#include <string>

namespace fl {

// Why the file cannot be read ("The file does not exist.", "The file cannot
// be read: Permission denied.", "It is a folder, not a file."), or empty
// when it can.
std::string FileReadProblem(const std::string& path);

class EStreamError;

// The reason of a write error as a sentence ("No space left on device."),
// or its whole message when it carries no reason of its own.
std::string WriteProblem(const EStreamError& error);

} // namespace fl
