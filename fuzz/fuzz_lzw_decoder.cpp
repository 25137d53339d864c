// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the LZW decoder on one frame's image data.
#include "LZWInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fl::fuzz::DecodeLZWInput(data, size);
    return 0;
}
