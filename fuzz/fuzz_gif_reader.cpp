// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the GIF reader, and the writer on whatever the reader accepts.
#include <cstdio>
#include <cstdlib>

#include "GIFRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > fl::fuzz::kMaxGIFInput)
        return 0;
    const auto result = fl::fuzz::LoadSaveReload(data, size);
    if (result.stage == fl::fuzz::RoundTripResult::Stage::ReloadFailed) {
        // What we write must open again.
        std::fprintf(stderr, "saved image does not load again: %s\n", result.message.c_str());
        std::abort();
    }
    return 0;
}
