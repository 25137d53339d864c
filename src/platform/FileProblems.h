// SPDX-License-Identifier: GPL-3.0-or-later
// What stands between the user and a file, in words for a message box.
#pragma once

#include <string>

namespace fl {

// Why the file cannot be read ("The file does not exist.", "The file cannot
// be read: Permission denied.", "It is a folder, not a file."), or empty
// when it can.
std::string FileReadProblem(const std::string& path);

// The system's reason in a write error ("Cannot create file "X": No space
// left on device" gives "No space left on device."); the text itself when it
// has no such part.
std::string WriteProblem(const std::string& error);

} // namespace fl
