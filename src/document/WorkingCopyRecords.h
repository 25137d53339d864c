// SPDX-License-Identifier: GPL-3.0-or-later
// Working copies that outlive the program. Beside each working copy lies a
// small record ("<copy>.owner") naming the document it belongs to and the
// process that keeps it; a normal end deletes both. Copies whose process no
// longer runs were left by a crash, and the next start offers them back.
#pragma once

#include <string>
#include <vector>

namespace fl {

struct TWorkingCopyRecord {
    std::string WorkingCopy;
    // The document's file, or its untitled name.
    std::string FileName;
    bool Untitled = false;
    int ProcessId = 0;
};

// Writes (or rewrites) the record of the working copy for this process;
// false when it cannot be written.
bool WriteWorkingCopyRecord(const std::string& workingCopy, const std::string& fileName, bool untitled);
void DeleteWorkingCopyRecord(const std::string& workingCopy);
// The working copies in the folder left by processes that no longer run,
// oldest first. A record without its copy is deleted on the way.
std::vector<TWorkingCopyRecord> FindAbandonedWorkingCopies(const std::string& folder);

} // namespace fl
