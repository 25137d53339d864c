// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

#include "gif/GIFException.h"
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

} // namespace fl
