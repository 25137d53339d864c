// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AviWriter.h"

#include <exception>
#include <limits>

namespace fl {

namespace {

constexpr uint32_t kKeyFrame = 0x10; // AVIIF_KEYFRAME
constexpr uint32_t kHasIndex = 0x10; // AVIF_HASINDEX
constexpr size_t kMainHeaderSize = 56;
constexpr size_t kStreamHeaderSize = 56;
// RIFF sizes are 32-bit; beyond them the extension we do not write is needed.
constexpr int64_t kMaxFileSize = std::numeric_limits<uint32_t>::max();

void PutChunkHead(std::vector<uint8_t>& out, const char (&id)[5], uint32_t size)
{
    const size_t at = out.size();
    out.resize(at + 8);
    PutLE32(&out[at], FourCC(id));
    PutLE32(&out[at + 4], size);
}

void PutFourCC(std::vector<uint8_t>& out, const char (&id)[5])
{
    const size_t at = out.size();
    out.resize(at + 4);
    PutLE32(&out[at], FourCC(id));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    const size_t at = out.size();
    out.resize(at + 4);
    PutLE32(&out[at], value);
}

} // namespace

TAviWriter::TAviWriter(const std::string& path)
{
    try {
        output_ = std::make_unique<TReplacingFile>(path);
    } catch (const std::exception&) {
        throw EAviError(avimsg::CreateFile);
    }
    file_ = output_->Handle();
}

// Without Finish, the replacing file goes and the target stays.
TAviWriter::~TAviWriter() = default;

void TAviWriter::Write(const void* data, size_t size, const char* message)
{
    if (size_ + int64_t(size) > kMaxFileSize || std::fwrite(data, 1, size, file_) != size)
        throw EAviError(message);
    size_ += int64_t(size);
}

// The header list, written once with placeholders at the start and again
// with the final counts by Finish; its size does not change between the two.
void TAviWriter::WriteHeaders(const char* message)
{
    const uint32_t formatSize = uint32_t(format_.size());
    const uint32_t strlSize = 4 + 8 + kStreamHeaderSize + 8 + formatSize + (formatSize & 1);
    const uint32_t hdrlSize = 4 + 8 + kMainHeaderSize + 8 + strlSize;
    std::vector<uint8_t> out;
    PutChunkHead(out, "RIFF", 0);
    PutFourCC(out, "AVI ");
    PutChunkHead(out, "LIST", hdrlSize);
    PutFourCC(out, "hdrl");

    // The rectangle's fields are 16-bit; sizes above 32767 read back unsigned.
    const uint32_t width = uint16_t(info_.FrameRight - info_.FrameLeft);
    const uint32_t height = uint16_t(info_.FrameBottom - info_.FrameTop);
    const uint32_t microseconds =
        info_.Rate ? uint32_t(std::min<uint64_t>(uint64_t(info_.Scale) * 1000000 / info_.Rate, UINT32_MAX))
                   : 0;
    PutChunkHead(out, "avih", kMainHeaderSize);
    Put32(out, microseconds);
    Put32(out, microseconds ? uint32_t(std::min<uint64_t>(uint64_t(maxSampleSize_) * 1000000 / microseconds,
                                                          UINT32_MAX))
                            : 0);
    Put32(out, 0);         // padding granularity
    Put32(out, kHasIndex); // flags
    Put32(out, length_);   // total frames
    Put32(out, 0);         // initial frames
    Put32(out, 1);         // streams
    Put32(out, info_.SuggestedBufferSize);
    Put32(out, width);
    Put32(out, height);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);

    PutChunkHead(out, "LIST", strlSize);
    PutFourCC(out, "strl");
    PutChunkHead(out, "strh", kStreamHeaderSize);
    Put32(out, info_.Type);
    Put32(out, info_.Handler);
    Put32(out, 0); // flags
    Put32(out, 0); // priority and language
    Put32(out, 0); // initial frames
    Put32(out, info_.Scale);
    Put32(out, info_.Rate);
    Put32(out, info_.Start);
    Put32(out, length_);
    Put32(out, info_.SuggestedBufferSize);
    Put32(out, 0); // quality
    Put32(out, 0); // sample size: samples vary
    Put32(out, uint32_t(uint16_t(info_.FrameLeft)) | uint32_t(uint16_t(info_.FrameTop)) << 16);
    Put32(out, uint32_t(uint16_t(info_.FrameRight)) | uint32_t(uint16_t(info_.FrameBottom)) << 16);
    PutChunkHead(out, "strf", formatSize);
    out.insert(out.end(), format_.begin(), format_.end());
    if (formatSize & 1)
        out.push_back(0);

    PutChunkHead(out, "LIST", 0);
    PutFourCC(out, "movi");
    if (std::fseek(file_, 0, SEEK_SET) != 0)
        throw EAviError(message);
    size_ = 0;
    Write(out.data(), out.size(), message);
    moviStart_ = size_ - 4;
}

void TAviWriter::CreateStream(const TAviStreamInfo& info)
{
    if (streamCreated_)
        throw EAviError(avimsg::CreateStream);
    info_ = info;
    streamCreated_ = true;
}

void TAviWriter::SetFormat(const std::vector<uint8_t>& format)
{
    if (!streamCreated_ || formatSet_ || format.size() < kBitmapInfoHeaderSize || format.size() > (1u << 20))
        throw EAviError(avimsg::SetFormat);
    format_ = format;
    WriteHeaders(avimsg::SetFormat);
    formatSet_ = true;
}

void TAviWriter::AppendChunk(const uint8_t* data, uint32_t size, uint32_t flags)
{
    // The index needs 16 bytes per sample at the end.
    const int64_t needed = 8 + int64_t(size) + (size & 1) + 16 * int64_t(index_.size() + 1) + 8;
    if (size_ + needed > kMaxFileSize)
        throw EAviError(avimsg::AddFrame);
    const TIndexEntry entry{flags, uint32_t(size_ - moviStart_), size};
    uint8_t head[8];
    PutLE32(head, FourCC("00db"));
    PutLE32(head + 4, size);
    Write(head, 8, avimsg::AddFrame);
    if (size)
        Write(data, size, avimsg::AddFrame);
    if (size & 1)
        Write("", 1, avimsg::AddFrame);
    index_.push_back(entry);
    maxSampleSize_ = std::max(maxSampleSize_, size);
}

void TAviWriter::WriteSample(uint32_t position, const uint8_t* data, uint32_t size, bool keyFrame)
{
    if (!formatSet_ || position < length_ || (size && !data))
        throw EAviError(avimsg::AddFrame);
    while (length_ < position) {
        AppendChunk(nullptr, 0, 0);
        ++length_;
    }
    AppendChunk(data, size, keyFrame ? kKeyFrame : 0);
    ++length_;
}

void TAviWriter::Finish()
{
    if (!formatSet_)
        throw EAviError(avimsg::CreateFile);
    const int64_t moviEnd = size_;
    std::vector<uint8_t> index;
    PutChunkHead(index, "idx1", uint32_t(index_.size() * 16));
    for (const TIndexEntry& entry : index_) {
        Put32(index, FourCC("00db"));
        Put32(index, entry.Flags);
        Put32(index, entry.Offset);
        Put32(index, entry.Size);
    }
    Write(index.data(), index.size(), avimsg::CreateFile);
    const int64_t fileEnd = size_;

    WriteHeaders(avimsg::CreateFile);
    uint8_t field[4];
    PutLE32(field, uint32_t(fileEnd - 8));
    if (std::fseek(file_, 4, SEEK_SET) != 0 || std::fwrite(field, 1, 4, file_) != 4)
        throw EAviError(avimsg::CreateFile);
    PutLE32(field, uint32_t(moviEnd - moviStart_));
    if (std::fseek(file_, long(moviStart_ - 4), SEEK_SET) != 0 || std::fwrite(field, 1, 4, file_) != 4)
        throw EAviError(avimsg::CreateFile);

    file_ = nullptr;
    try {
        output_->Commit();
    } catch (const std::exception&) {
        throw EAviError(avimsg::CreateFile);
    }
}

} // namespace fl
