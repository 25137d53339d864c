// SPDX-License-Identifier: GPL-3.0-or-later
// Optimizing the unoptimized animations of the corpus with the command line
// tool, gifsicle and ImageMagick, each as the process a user would run: the
// output sizes and wall times, and a summary of them against the targets.
// The benchmarks register themselves; CorpusBench.cpp's main prints the
// summary after the run.
#pragma once

namespace fl::bench {

// Prints the optimizing section (nothing when none of its benchmarks ran).
void PrintOptimizeSummary();

} // namespace fl::bench
