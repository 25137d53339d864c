// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/Stream.h"

namespace fl {

// Stores four bytes, least significant first (one plain store on the usual
// little-endian machines).
inline void StoreLE32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

// Write-only stream that packs everything written into GIF data sub-blocks
// (a size byte, then up to 255 bytes) on the target stream. Full sub-blocks
// go out as soon as they fill; Finish writes the last, shorter one. An empty
// sub-block is never written, since a reader takes it as the terminator.
class TGIFWriter final : public TStream {
public:
    explicit TGIFWriter(TStream& target) : target_(target) {}
    // Writes bytes left since the last Finish (an encoder that failed
    // half-way); errors are dropped here, Finish reports them.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    // Bytes accepted so far (the data without the size bytes).
    int64_t Position() const override { return written_ + fill_; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override { return Position(); }

    // Writes the pending bytes as a last, shorter sub-block.
    void Finish();

    void PutByte(uint8_t value)
    {
        block_[1 + fill_++] = value;
        if (fill_ == kBlockSize)
            SpillBlock();
    }

    // Appends four bytes, least significant first.
    void Put32(uint32_t value)
    {
        StoreLE32(block_ + 1 + fill_, value);
        fill_ += 4;
        if (fill_ >= kBlockSize)
            SpillBlock();
    }

    // Raw appending for the encoders' inner loops, which keep the write
    // position in a register: Tail() is where the next byte goes, and at
    // least 4 bytes may be stored from any tail before BlockEnd(). Commit
    // takes the bytes up to `tail`, writes out a sub-block that is full and
    // answers the new tail.
    uint8_t* Tail() { return block_ + 1 + fill_; }
    const uint8_t* BlockEnd() const { return block_ + 1 + kBlockSize; }
    uint8_t* Commit(uint8_t* tail)
    {
        fill_ = static_cast<int>(tail - (block_ + 1));
        if (fill_ >= kBlockSize)
            SpillBlock();
        return Tail();
    }

private:
    static constexpr int kBlockSize = 255;

    // Writes one full sub-block and keeps the bytes beyond it.
    void SpillBlock();

    TStream& target_;
    int64_t written_ = 0;
    int fill_ = 0;
    // The size byte, a sub-block, and room for four bytes that run over.
    uint8_t block_[1 + kBlockSize + 4];
};

// LZW code output shared by the encoders: codes are packed least significant
// bit first into a 64-bit accumulator, which hands whole 32-bit words to the
// writer. The code width and the special codes of the frame live here too,
// because the caller writes the end code at the width the encoder left.
struct TCodeOutput {
    TCodeOutput(TGIFWriter& w, int minimumCodeSize)
        : writer(w), minCodeSize(minimumCodeSize), clearCode(1 << minimumCodeSize), endCode(clearCode + 1),
          baseCode(clearCode + 2), codeSize(minimumCodeSize + 1)
    {
    }

    void Put(uint32_t code)
    {
        bits |= static_cast<uint64_t>(code) << pending;
        pending += codeSize;
        if (pending >= 32) {
            writer.Put32(static_cast<uint32_t>(bits));
            bits >>= 32;
            pending -= 32;
        }
    }

    // Outputs the end code and the remaining bits, the last byte padded with
    // zero bits.
    void PutEnd();

    TGIFWriter& writer;
    const int minCodeSize;
    const int clearCode;
    const int endCode;
    const int baseCode;
    int codeSize;
    uint64_t bits = 0;
    int pending = 0;
};

} // namespace fl
