// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a 10-second 640x480 MJPEG video made by the ffmpeg tool: our
// import (and the import with the GIF written), against ffmpeg turning the
// same file into a GIF and ffmpeg only decoding it, each in frames per
// second. The benchmarks register themselves; CorpusBench.cpp's main prints
// the summary after the run.
#pragma once

namespace fl::bench {

// Prints the AVI section (nothing when none of its benchmarks ran).
void PrintAviSummary();

} // namespace fl::bench
