// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace fl {

// This process's id.
int CurrentProcessId();
// Whether a process with that id runs now (one of another user counts).
bool ProcessIsRunning(int id);

} // namespace fl
