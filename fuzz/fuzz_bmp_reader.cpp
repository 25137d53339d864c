// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the BMP reader (file and packed DIB), and the writer on
// whatever the reader accepts.
#include <cstdio>
#include <cstdlib>

#include "BMPRoundTrip.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // 4 Mi pixels keep a run within its memory budget.
    fl::BitmapMemoryLimits.MaxPixels = uint64_t(1) << 22;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = fl::fuzz::BMPLoadSaveReload(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "round trip failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
