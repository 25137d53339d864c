// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AviHeaders.h"

#include <cstdio>
#include <memory>

namespace fl {

namespace {

// Header chunks are small; anything larger is not a header we can use and
// is never read into memory.
constexpr uint32_t kMaxHeaderChunk = 1u << 20;
// A file with more stream lists than this is not a video we can import.
constexpr int kMaxStreams = 256;

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

bool ReadExact(std::FILE* file, void* buffer, size_t size)
{
    return std::fread(buffer, 1, size, file) == size;
}

// One chunk head: id and size, and the list type for "RIFF" and "LIST".
struct TChunk {
    uint32_t Id = 0;
    uint32_t Size = 0;
    int64_t Data = 0; // file offset of the data
};

bool ReadChunk(std::FILE* file, TChunk& chunk)
{
    uint8_t head[8];
    chunk.Data = std::ftell(file) + 8;
    if (!ReadExact(file, head, 8))
        return false;
    chunk.Id = ReadLE32(head);
    chunk.Size = ReadLE32(head + 4);
    return true;
}

bool SkipChunk(std::FILE* file, const TChunk& chunk)
{
    // Chunks are padded to an even length.
    const int64_t next = chunk.Data + int64_t(chunk.Size) + (chunk.Size & 1);
    return std::fseek(file, long(next), SEEK_SET) == 0;
}

bool ReadData(std::FILE* file, const TChunk& chunk, std::vector<uint8_t>& data)
{
    if (chunk.Size > kMaxHeaderChunk)
        return false;
    data.resize(chunk.Size);
    return std::fseek(file, long(chunk.Data), SEEK_SET) == 0 && ReadExact(file, data.data(), data.size());
}

TAviStreamInfo ParseStreamHeader(const std::vector<uint8_t>& h)
{
    TAviStreamInfo info;
    info.Type = ReadLE32(&h[0]);
    info.Handler = ReadLE32(&h[4]);
    info.Scale = ReadLE32(&h[20]);
    info.Rate = ReadLE32(&h[24]);
    info.Start = ReadLE32(&h[28]);
    info.Length = ReadLE32(&h[32]);
    info.SuggestedBufferSize = ReadLE32(&h[36]);
    if (h.size() >= 56) {
        info.FrameLeft = int16_t(ReadLE16(&h[48]));
        info.FrameTop = int16_t(ReadLE16(&h[50]));
        info.FrameRight = int16_t(ReadLE16(&h[52]));
        info.FrameBottom = int16_t(ReadLE16(&h[54]));
    }
    return info;
}

// Walks one "strl" list; answers whether it describes a video stream, with
// its header and format when it does.
bool ReadStreamList(std::FILE* file, const TChunk& list, TAviHeaders& headers)
{
    const int64_t end = list.Data + int64_t(list.Size);
    bool video = false;
    bool haveFormat = false;
    std::vector<uint8_t> data;
    if (std::fseek(file, long(list.Data + 4), SEEK_SET) != 0)
        return false;
    TChunk chunk;
    while (std::ftell(file) + 8 <= end && ReadChunk(file, chunk)) {
        if (chunk.Id == FourCC("strh")) {
            // Type, handler, flags, priority and language, initial frames,
            // scale, rate, start, length and buffer size at least.
            if (!ReadData(file, chunk, data) || data.size() < 40) {
                if (data.size() >= 4 && ReadLE32(data.data()) != FourCC("vids"))
                    return false;
                throw EAviError(avimsg::StreamInfo);
            }
            if (ReadLE32(data.data()) != FourCC("vids"))
                return false;
            video = true;
            headers.Info = ParseStreamHeader(data);
        } else if (chunk.Id == FourCC("strf") && video) {
            if (chunk.Size > kMaxHeaderChunk)
                throw EAviError(avimsg::FormatSize);
            if (!ReadData(file, chunk, headers.Format) || headers.Format.size() < kBitmapInfoHeaderSize)
                throw EAviError(avimsg::ReadFormat);
            haveFormat = true;
        }
        if (!SkipChunk(file, chunk))
            break;
    }
    if (video && !haveFormat)
        throw EAviError(avimsg::FormatSize);
    return video;
}

} // namespace

TAviHeaders ReadAviHeaders(const std::string& path)
{
    TFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw EAviError(avimsg::OpenFile);
    TChunk riff;
    uint8_t type[4];
    if (!ReadChunk(file.get(), riff) || riff.Id != FourCC("RIFF") || !ReadExact(file.get(), type, 4) ||
        ReadLE32(type) != FourCC("AVI "))
        throw EAviError(avimsg::OpenFile);

    TAviHeaders headers;
    TChunk chunk;
    // The header list comes first; the movie data after it is never walked.
    while (ReadChunk(file.get(), chunk)) {
        if (chunk.Id == FourCC("LIST") && chunk.Size >= 4) {
            if (!ReadExact(file.get(), type, 4))
                break;
            if (ReadLE32(type) == FourCC("movi"))
                break;
            if (ReadLE32(type) == FourCC("hdrl")) {
                const int64_t end = chunk.Data + int64_t(chunk.Size);
                int ordinal = 0;
                TChunk inner;
                std::fseek(file.get(), long(chunk.Data + 4), SEEK_SET);
                while (std::ftell(file.get()) + 8 <= end && ReadChunk(file.get(), inner)) {
                    uint8_t listType[4] = {};
                    if (inner.Id == FourCC("LIST") && inner.Size >= 4 && ReadExact(file.get(), listType, 4) &&
                        ReadLE32(listType) == FourCC("strl")) {
                        if (ordinal >= kMaxStreams)
                            break;
                        if (ReadStreamList(file.get(), inner, headers)) {
                            headers.StreamOrdinal = ordinal;
                            return headers;
                        }
                        ++ordinal;
                    }
                    if (!SkipChunk(file.get(), inner))
                        break;
                }
                break;
            }
        }
        if (!SkipChunk(file.get(), chunk))
            break;
    }
    throw EAviError(avimsg::OpenStream);
}

} // namespace fl
