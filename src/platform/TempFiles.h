// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary files: the system's temporary folder and unique file names that
// are created on the spot, so that no other process can take a name between
// choosing it and using it.
#pragma once

#include <string>

namespace fl {

// The program's prefix for the temporary files it makes.
inline constexpr const char* TempFilePrefix = "~FL";
// Longest folder TempFolder answers; longer ones answer empty.
inline constexpr size_t MaxTempFolderLength = 260;

// The system's temporary folder with a trailing separator; empty when there
// is none or it is longer than MaxTempFolderLength.
std::string TempFolder();

// Creates a new empty file named prefix + a unique part + ".tmp" in folder
// and answers its path; the caller owns (and deletes) the file. Answers an
// empty string when the folder is empty, missing or not writable.
std::string MakeTempFileName(const std::string& folder, const std::string& prefix);

} // namespace fl
