// SPDX-License-Identifier: GPL-3.0-or-later
// Loading an animation and playing it once onto a screen-sized canvas: what a
// viewer pays before it has shown every frame. CorpusBench.cpp registers it
// beside the decode benchmarks of the same file.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fl::bench {

// Timed loop: loads the document from the bytes of the file at `path` and
// plays every frame once, synchronously on a virtual clock, onto a 32-bit
// canvas of the logical screen's size. Counters: "Mpx/s", screen pixels times
// frames drawn per CPU second, and "frames". `skipReason`, when not empty, is
// reported instead of a time (the file is known not to decode correctly).
void CompositeOurs(benchmark::State& state, const std::string& path, const std::vector<uint8_t>& bytes,
                   const std::string& skipReason);

} // namespace fl::bench
