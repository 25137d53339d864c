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
    // The record file as found (it may carry a claim).
    std::string RecordFile;
};

// Writes (or rewrites) the record of the working copy for the process
// (this one by default); false when it cannot be written.
bool WriteWorkingCopyRecord(const std::string& workingCopy, const std::string& fileName, bool untitled,
                            int processId = 0);
void DeleteWorkingCopyRecord(const std::string& workingCopy);
// Reads the record of the working copy; false when it has none.
bool ReadWorkingCopyRecord(const std::string& workingCopy, TWorkingCopyRecord& record);

// The working copies in the folder left by processes that no longer run,
// oldest first: regular files of this user, never links. Records whose copy
// is gone or empty are deleted on the way, with the empty copy.
std::vector<TWorkingCopyRecord> FindAbandonedWorkingCopies(const std::string& folder);

// Takes the record for this process before the user is asked, so that two
// programs started after a crash never both take the same copy: false when
// another one was first.
bool ClaimWorkingCopy(TWorkingCopyRecord& record);
// Gives a claimed record back as it was, for the next start to offer again.
void ReleaseWorkingCopy(const TWorkingCopyRecord& record);
// Deletes a claimed copy and its record.
void DiscardAbandonedCopy(const TWorkingCopyRecord& record);

} // namespace fl
