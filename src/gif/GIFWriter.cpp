// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/GIFWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/GIFException.h"

namespace fl {

TGIFWriter::~TGIFWriter()
{
    if (fill_ == 0)
        return;
    try {
        Finish();
    } catch (...) {
        // Already unwinding from the encoder's own error; that one counts.
    }
}

size_t TGIFWriter::Read(void*, size_t)
{
    throw GIFException("Invalid stream operation");
}

void TGIFWriter::SetPosition(int64_t)
{
    throw GIFException("Invalid stream operation");
}

void TGIFWriter::Write(const void* buffer, size_t count)
{
    const auto* src = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        const size_t n = std::min<size_t>(count, static_cast<size_t>(kBlockSize - fill_));
        std::memcpy(block_ + 1 + fill_, src, n);
        fill_ += static_cast<int>(n);
        src += n;
        count -= n;
        if (fill_ == kBlockSize)
            SpillBlock();
    }
}

void TGIFWriter::SpillBlock()
{
    block_[0] = kBlockSize;
    const int over = fill_ - kBlockSize;
    // Count the block as gone before writing: a failing target must not see
    // the same bytes again from the destructor.
    fill_ = 0;
    written_ += kBlockSize;
    target_.Write(block_, 1 + kBlockSize);
    std::memcpy(block_ + 1, block_ + 1 + kBlockSize, static_cast<size_t>(over));
    fill_ = over;
}

void TGIFWriter::Finish()
{
    if (fill_ == 0)
        return;
    block_[0] = static_cast<uint8_t>(fill_);
    const int n = fill_;
    written_ += n;
    fill_ = 0;
    target_.Write(block_, static_cast<size_t>(1 + n));
}

void TCodeOutput::PutEnd()
{
    Put(static_cast<uint32_t>(endCode));
    while (pending > 0) {
        writer.PutByte(static_cast<uint8_t>(bits));
        bits >>= 8;
        pending -= 8;
    }
    bits = 0;
    pending = 0;
}

} // namespace fl
