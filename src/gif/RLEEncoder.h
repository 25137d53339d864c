// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "gif/GIFWriter.h"
#include "gif/PixelCursor.h"

namespace fl {

// Run-length compression that any LZW decoder reads: runs of one pixel are
// written with codes the decoder's table is known to hold already (after a
// clear, the codes baseCode, baseCode+1, ... stand for runs of 2, 3, ...
// pixels once the runs 1, 2, ... were output). No string table is needed.
// Costs are counted in codes: a run of n pixels rebuilt from a clear takes
// about the "triangle" number t with t(t+1)/2 >= n codes. Leaves the end code
// to the caller.
class TRLEEncoder {
public:
    explicit TRLEEncoder(TCodeOutput& output);

    // Encodes every pixel of the cursor; the cursor must hold at least one.
    void Compress(TPixelCursor& cursor);

    // Codes needed to write n pixels of one value from a fresh table when
    // runs of at most k pixels can be built before the next clear.
    static int64_t TriangleCost(int64_t n, int64_t k);

private:
    void EmitClear();
    void OutputPlain(int code);
    void FlushRun(int64_t n);
    void FlushFromClear(int64_t n);
    void FlushClearOrRepeat(int64_t n);
    void FlushWithTable(int64_t n);

    TCodeOutput& out_;
    const int bumpInit_;
    const int clearInit_;
    const int maxOut_;

    int outCount_ = 0;
    int bump_ = 0;
    int clearAt_ = 0;
    int tableMax_ = 0;
    int tablePixel_ = -1;
    bool justCleared_ = false;
    int runPixel_ = -1;
};

} // namespace fl
