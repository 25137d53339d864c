// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/GIFWriter.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/GIFException.h"

namespace fl {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Sequence(size_t count)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return bytes;
}

// Expected sub-block framing of `data`.
Bytes Framed(const Bytes& data)
{
    Bytes out;
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(i),
                   data.begin() + static_cast<ptrdiff_t>(i + n));
    }
    return out;
}

TEST(GIFWriter, SplitsIntoSubBlocksOf255)
{
    for (size_t count :
         {size_t{0}, size_t{1}, size_t{254}, size_t{255}, size_t{256}, size_t{510}, size_t{600}}) {
        SCOPED_TRACE(count);
        const Bytes data = Sequence(count);
        TMemoryStream target;
        TGIFWriter writer(target);
        writer.Write(data.data(), data.size());
        writer.Finish();
        EXPECT_EQ(target.Bytes(), Framed(data));
        EXPECT_EQ(writer.Position(), static_cast<int64_t>(count));
    }
}

TEST(GIFWriter, MixedWritesKeepByteOrder)
{
    // Word and byte appends crossing block boundaries at every offset.
    Bytes expected;
    TMemoryStream target;
    {
        TGIFWriter writer(target);
        uint32_t word = 0x04030201;
        for (int i = 0; i < 300; ++i) {
            writer.PutByte(static_cast<uint8_t>(i));
            expected.push_back(static_cast<uint8_t>(i));
            writer.Put32(word);
            for (int b = 0; b < 4; ++b)
                expected.push_back(static_cast<uint8_t>(word >> (8 * b)));
            word = word * 2654435761u + 1;
            if (i % 37 == 0) {
                const Bytes chunk = Sequence(static_cast<size_t>(i % 300));
                writer.Write(chunk.data(), chunk.size());
                expected.insert(expected.end(), chunk.begin(), chunk.end());
            }
        }
        writer.Finish();
    }
    EXPECT_EQ(target.Bytes(), Framed(expected));
}

TEST(GIFWriter, DestructorWritesThePartialBlockOnce)
{
    TMemoryStream target;
    {
        TGIFWriter writer(target);
        writer.PutByte(9);
        writer.PutByte(8);
    }
    EXPECT_EQ(target.Bytes(), (Bytes{2, 9, 8}));

    TMemoryStream finished;
    {
        TGIFWriter writer(finished);
        writer.PutByte(9);
        writer.Finish();
    }
    EXPECT_EQ(finished.Bytes(), (Bytes{1, 9}));
}

TEST(GIFWriter, ReadingOrSeekingFails)
{
    TMemoryStream target;
    TGIFWriter writer(target);
    uint8_t byte = 0;
    try {
        writer.Read(&byte, 1);
        ADD_FAILURE() << "read succeeded";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    try {
        writer.SetPosition(0);
        ADD_FAILURE() << "seek succeeded";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    writer.Finish();
    EXPECT_TRUE(target.Bytes().empty());
}

// A target that refuses every write, like a full disk.
class TFailingStream : public TMemoryStream {
public:
    void Write(const void*, size_t) override { throw EStreamError("Stream write error"); }
};

TEST(GIFWriter, WriteErrorsReachTheCaller)
{
    TFailingStream target;
    TGIFWriter writer(target);
    const Bytes data = Sequence(100);
    writer.Write(data.data(), data.size());
    EXPECT_THROW(writer.Finish(), EStreamError);

    TGIFWriter full(target);
    const Bytes block = Sequence(255);
    EXPECT_THROW(full.Write(block.data(), block.size()), EStreamError);
}

TEST(CodeOutput, PacksCodesLeastSignificantBitFirst)
{
    TMemoryStream target;
    TGIFWriter writer(target);
    TCodeOutput output(writer, 2);
    // 3-bit codes 4, 1, 2, then 4-bit 15 and 4-bit end code 5.
    output.Put(4);
    output.Put(1);
    output.Put(2);
    output.codeSize = 4;
    output.Put(15);
    output.PutEnd();
    writer.Finish();
    // Bits: 100 | 001<<3 | 010<<6 | 1111<<9 | 0101<<13 = 0xBE8C; two bytes,
    // the last one padded.
    EXPECT_EQ(target.Bytes(), (Bytes{3, 0x8C, 0xBE, 0x00}));
}

} // namespace
} // namespace fl
