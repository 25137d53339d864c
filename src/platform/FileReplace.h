// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace fl {

// Replaces the file's contents in one step: the bytes go to a temporary
// "~FL" file in the same folder (a rename cannot cross file systems), which
// then takes the target's name with the old file's permissions; through a
// link, the file it points to is replaced. Whatever fails, the old file stays
// as it was and no temporary file is left. Failures throw EStreamError
// "Cannot create file "PATH": REASON".
void ReplaceFileContents(const std::string& path, const void* data, size_t size);

} // namespace fl
