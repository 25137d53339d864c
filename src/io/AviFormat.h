// SPDX-License-Identifier: GPL-3.0-or-later
// What the AVI reader and writer share: the stream information a video
// stream is described by, the error they raise and its messages, and the
// little-endian field helpers of the RIFF layout.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace fl {

// Raised with one of the messages below, at the step that failed.
class EAviError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace avimsg {
inline constexpr const char* OpenFile = "Failed to open AVI file";
inline constexpr const char* OpenStream = "Failed to open AVI stream";
inline constexpr const char* StreamInfo = "Failed to get AVI stream info";
inline constexpr const char* FormatSize = "Failed to get AVI stream format size";
inline constexpr const char* ReadFormat = "Failed to get AVI stream format";
inline constexpr const char* BeginStreaming = "Failed to start AVI stream";
inline constexpr const char* StartDecompression = "Failed to start AVI decompression";
inline constexpr const char* Decompress = "Failed to decompress AVI frame";
inline constexpr const char* CreateFile = "Failed to create AVI file";
inline constexpr const char* BitmapInfo = "Failed to retrieve bitmap info";
inline constexpr const char* CreateStream = "Failed to create AVI stream";
inline constexpr const char* SetFormat = "Failed to set AVI stream format";
inline constexpr const char* AddFrame = "Failed to add frame to AVI";
} // namespace avimsg

// The fields of a stream header that the import and export use; a frame
// lasts Scale / Rate seconds.
struct TAviStreamInfo {
    uint32_t Type = 0; // four-character code, e.g. "vids"
    uint32_t Handler = 0;
    uint32_t Scale = 0;
    uint32_t Rate = 0;
    uint32_t Start = 0;
    uint32_t Length = 0;
    uint32_t SuggestedBufferSize = 0;
    int16_t FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;
};

constexpr uint32_t FourCC(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 | uint32_t(uint8_t(code[2])) << 16 |
           uint32_t(uint8_t(code[3])) << 24;
}

inline constexpr size_t kBitmapInfoHeaderSize = 40;
inline constexpr size_t kBitmapFileHeaderSize = 14;

inline uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t ReadLE16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
inline void PutLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutLE16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

} // namespace fl
