// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG export of one corpus picture against libjpeg-turbo's own cjpeg on the
// same pixels. The benchmarks register themselves; CorpusBench.cpp's main
// prints the summary after the run.
#pragma once

namespace fl::bench {

// Prints the JPEG section (nothing when none of its benchmarks ran).
void PrintJpegSummary();

} // namespace fl::bench
