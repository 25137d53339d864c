// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that read images and video through the codec libraries run in
// a companion program, frameloom-formats, beside this one: loading those
// libraries takes longer than most commands run, so the everyday commands
// start without them.
#pragma once

namespace fl::cli {

constexpr const char* FormatsProgramName = "frameloom-formats";

// Whether the command runs in the companion program.
bool IsFormatsCommand(const char* command);

// Replaces this process by the companion program with the same arguments;
// answers only when that fails (after printing why), with exit status 1.
int RunInFormatsProgram(char** argv);

} // namespace fl::cli
