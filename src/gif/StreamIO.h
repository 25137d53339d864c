// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl {

// Reads exactly count bytes or fails with "Premature end of data".
inline void ReadExactly(TStream& stream, void* buffer, size_t count)
{
    if (stream.Read(buffer, count) != count)
        throw GIFException("Premature end of data");
}

// Skips a sub-block chain up to and including its terminator, or to the end
// of the stream.
inline void SkipSubBlocks(TStream& stream)
{
    uint8_t size;
    while (stream.ReadByte(size) && size != 0)
        stream.Skip(size);
}

// Whether the bytes at the stream's position open the next block (an image,
// an extension with a label the format defines, or the trailer at the end
// of the stream) rather than continue a sub-block chain whose terminator
// is missing. Reads nothing.
inline bool NextBlockStartsHere(TStream& stream)
{
    const int64_t position = stream.Position();
    uint8_t bytes[2] = {};
    const size_t count = stream.Read(bytes, 2);
    stream.SetPosition(position);
    if (count == 0)
        return false;
    switch (bytes[0]) {
    case 0x2C:
        return true;
    case 0x21:
        return count == 2 && (bytes[1] == 0xF9 || bytes[1] == 0xFE || bytes[1] == 0xFF || bytes[1] == 0x01);
    case 0x3B:
        return count == 1;
    default:
        return false;
    }
}

} // namespace fl
