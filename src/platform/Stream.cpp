// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "platform/FileReplace.h"

namespace fl {

int64_t TStream::Remaining() const
{
    return std::max<int64_t>(0, Size() - Position());
}

TMemoryStream::TMemoryStream(std::vector<uint8_t> bytes)
    : storage_(std::move(bytes)), data_(storage_.data()), size_(storage_.size())
{
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)), size_(size), readOnly_(true)
{
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    if (position_ >= size_)
        return 0;
    const size_t n = std::min(count, size_ - position_);
    if (n == 0)
        return 0;
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, size_t count)
{
    if (readOnly_)
        throw EStreamError("Stream write error");
    if (count == 0)
        return;
    const size_t end = position_ + count;
    if (end > storage_.size())
        storage_.resize(end);
    std::memcpy(storage_.data() + position_, buffer, count);
    position_ = end;
    data_ = storage_.data();
    size_ = std::max(size_, end);
}

void TMemoryStream::SetPosition(int64_t position)
{
    // Positions past the end are allowed (a later write fills the gap with
    // zeros), positions before the start are clamped.
    position_ = position < 0 ? 0 : static_cast<size_t>(position);
}

std::vector<uint8_t> TMemoryStream::TakeBytes()
{
    std::vector<uint8_t> bytes = std::move(storage_);
    storage_.clear();
    data_ = nullptr;
    size_ = position_ = 0;
    return bytes;
}

void TMemoryStream::LoadFromFile(const std::string& path)
{
    storage_ = ReadFileBytes(path);
    data_ = storage_.data();
    size_ = storage_.size();
    position_ = 0;
    readOnly_ = false;
}

void TMemoryStream::SaveToFile(const std::string& path) const
{
    ReplaceFileContents(path, data_, size_);
}

static std::string SystemError(const std::string& what, const std::string& path)
{
    return what + " \"" + path + "\": " + std::strerror(errno);
}

TFileStream::TFileStream(const std::string& path) : path_(path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        throw EStreamError(SystemError("Cannot open file", path));
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    return std::fread(buffer, 1, count, file_);
}

void TFileStream::Write(const void*, size_t)
{
    throw EStreamError("Cannot write file \"" + path_ + "\": it is open for reading");
}

int64_t TFileStream::Position() const
{
    return static_cast<int64_t>(std::ftell(file_));
}

void TFileStream::SetPosition(int64_t position)
{
    std::fseek(file_, static_cast<long>(std::max<int64_t>(0, position)), SEEK_SET);
}

int64_t TFileStream::Size() const
{
    struct stat info {};
    std::fflush(file_);
    if (fstat(fileno(file_), &info) != 0)
        return 0;
    return static_cast<int64_t>(info.st_size);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    TFileStream file(path);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    if (file.Read(bytes.data(), bytes.size()) != bytes.size())
        throw EStreamError(SystemError("Cannot read file", path));
    return bytes;
}

} // namespace fl
