// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/RLEEncoder.h"

#include <cmath>

namespace fl {

TRLEEncoder::TRLEEncoder(TCodeOutput& output)
    : out_(output), bumpInit_(output.clearCode - 1),
      // Small code sizes clear early so the code width stays narrow.
      clearInit_(output.minCodeSize <= 3 ? 9 : output.clearCode - 2), maxOut_(4095 - output.baseCode)
{
}

int64_t TRLEEncoder::TriangleCost(int64_t n, int64_t k)
{
    const int64_t perRep = k * (k + 1) / 2;
    int64_t cost = (n / perRep) * k;
    n %= perRep;
    if (n > 0) {
        // Smallest t with t(t+1)/2 >= n; the estimate is within one of it.
        auto t = static_cast<int64_t>((std::sqrt(8.0 * static_cast<double>(n) + 1.0) - 1.0) / 2.0);
        while (t > 0 && t * (t + 1) >= 2 * n)
            --t;
        while (t * (t + 1) < 2 * n)
            ++t;
        cost += t;
    }
    return cost;
}

void TRLEEncoder::EmitClear()
{
    bump_ = bumpInit_;
    clearAt_ = clearInit_;
    outCount_ = 0;
    tableMax_ = 0;
    justCleared_ = true;
    out_.Put(static_cast<uint32_t>(out_.clearCode));
    out_.codeSize = out_.minCodeSize + 1;
}

// Every code but the clear code makes the decoder add a table entry; the
// width follows the decoder's growth, and clearAt keeps it from ever
// reaching the full table.
void TRLEEncoder::OutputPlain(int code)
{
    justCleared_ = false;
    out_.Put(static_cast<uint32_t>(code));
    ++outCount_;
    if (outCount_ >= bump_) {
        bump_ += 1 << out_.codeSize;
        ++out_.codeSize;
    }
    if (outCount_ >= clearAt_)
        EmitClear();
}

// Builds runs of 1, 2, 3, ... pixels in the fresh table, each code one pixel
// longer than the last, so the table then holds runs up to tableMax.
void TRLEEncoder::FlushFromClear(int64_t n)
{
    clearAt_ = maxOut_;
    tablePixel_ = runPixel_;
    int step = 1;
    while (n > 0) {
        if (step == 1) {
            tableMax_ = 1;
            OutputPlain(runPixel_);
            n -= 1;
        } else if (n >= step) {
            tableMax_ = step;
            OutputPlain(out_.baseCode + step - 2);
            n -= step;
        } else if (n == 1) {
            ++tableMax_;
            OutputPlain(runPixel_);
            n = 0;
        } else {
            ++tableMax_;
            OutputPlain(out_.baseCode + static_cast<int>(n) - 2);
            n = 0;
        }
        step = outCount_ == 0 ? 1 : step + 1;
    }
    clearAt_ = clearInit_;
    if (outCount_ >= clearAt_)
        EmitClear();
}

void TRLEEncoder::FlushClearOrRepeat(int64_t n)
{
    if (1 + TriangleCost(n, maxOut_) < n) {
        EmitClear();
        FlushFromClear(n);
        return;
    }
    for (int64_t i = 0; i < n; ++i)
        OutputPlain(runPixel_);
}

void TRLEEncoder::FlushWithTable(int64_t n)
{
    int64_t reps = n / tableMax_;
    int64_t left = n % tableMax_;
    int64_t repLeft = left > 0 ? 1 : 0;
    if (outCount_ + reps + repLeft > maxOut_) {
        reps = maxOut_ - outCount_;
        left = n - reps * tableMax_;
        repLeft = 1 + TriangleCost(left, maxOut_);
    }
    if (1 + TriangleCost(n, maxOut_) < reps + repLeft) {
        EmitClear();
        FlushFromClear(n);
        return;
    }
    clearAt_ = maxOut_;
    for (int64_t i = 0; i < reps; ++i)
        OutputPlain(out_.baseCode + tableMax_ - 2);
    if (left > 0) {
        if (justCleared_)
            FlushFromClear(left);
        else if (left == 1)
            OutputPlain(runPixel_);
        else
            OutputPlain(out_.baseCode + static_cast<int>(left) - 2);
    }
    clearAt_ = clearInit_;
    if (outCount_ >= clearAt_)
        EmitClear();
}

void TRLEEncoder::FlushRun(int64_t n)
{
    if (n == 1)
        OutputPlain(runPixel_);
    else if (justCleared_)
        FlushFromClear(n);
    else if (tableMax_ > 1 && tablePixel_ == runPixel_)
        FlushWithTable(n);
    else
        FlushClearOrRepeat(n);
}

void TRLEEncoder::Compress(TPixelCursor& cursor)
{
    EmitClear();
    runPixel_ = -1;
    int64_t runCount = 0;
    const int width = cursor.Width();
    while (const uint8_t* row = cursor.NextRow()) {
        int x = 0;
        while (x < width) {
            const int pixel = row[x];
            const int start = x;
            while (++x < width && row[x] == pixel) {
            }
            if (pixel == runPixel_) {
                runCount += x - start;
                continue;
            }
            if (runCount > 0)
                FlushRun(runCount);
            runPixel_ = pixel;
            runCount = x - start;
        }
    }
    if (runCount > 0)
        FlushRun(runCount);
}

} // namespace fl
