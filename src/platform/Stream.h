// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fl {

// Failure of the underlying medium (a file that cannot be opened, a full disk).
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // The failure's reason on its own ("No space left on device"), when the
    // message says more than that.
    EStreamError(const std::string& message, std::string reason)
        : std::runtime_error(message), reason_(std::move(reason))
    {
    }
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// A byte stream with a position, the smallest interface the codec needs.
// Read answers how many bytes actually arrived; Write either writes all bytes
// or throws EStreamError.
class TStream {
public:
    virtual ~TStream() = default;

    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual void Write(const void* buffer, size_t count) = 0;
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    virtual int64_t Size() const = 0;

    // Moves the position by offset from the current one.
    void Skip(int64_t offset) { SetPosition(Position() + offset); }
    int64_t Remaining() const;

    // Reads one byte; false at the end of the stream.
    bool ReadByte(uint8_t& value) { return Read(&value, 1) == 1; }
    void WriteByte(uint8_t value) { Write(&value, 1); }
};

// A growable stream in memory. It can also read a caller's buffer without
// copying it (read-only).
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes);
    // Reads the caller's bytes in place; the caller keeps them alive.
    TMemoryStream(const void* data, size_t size);

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Position() const override { return static_cast<int64_t>(position_); }
    void SetPosition(int64_t position) override;
    int64_t Size() const override { return static_cast<int64_t>(size_); }

    const uint8_t* Data() const { return data_; }
    // The written bytes; only for streams that own their storage.
    const std::vector<uint8_t>& Bytes() const { return storage_; }
    std::vector<uint8_t> TakeBytes();

    void LoadFromFile(const std::string& path);
    // Replaces the file with the stream's bytes in one step (see
    // platform/FileReplace.h): a failure leaves the old file as it was.
    void SaveToFile(const std::string& path) const;

private:
    std::vector<uint8_t> storage_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    bool readOnly_ = false;
};

// A buffered file stream for reading; files are written through
// platform/FileReplace.h, never in place.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    int64_t Size() const override;

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// Reads a whole file into memory; throws EStreamError.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

} // namespace fl
