// SPDX-License-Identifier: GPL-3.0-or-later
// Our RIFF AVI writer: one uncompressed video stream of packed bitmap rows
// ("00db" chunks), an "idx1" index, no OpenDML extension (so at most 4 GiB).
// The file is written beside the target under a temporary name and takes
// the target's name only when Finish succeeds, so a failed or abandoned
// export never leaves a half-written file where the user asked for one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "io/AviFormat.h"
#include "platform/FileReplace.h"

namespace fl {

class TAviWriter {
public:
    // Creates the temporary file; EAviError "Failed to create AVI file".
    explicit TAviWriter(const std::string& path);
    // Without Finish the temporary file is removed.
    ~TAviWriter();
    TAviWriter(const TAviWriter&) = delete;
    TAviWriter& operator=(const TAviWriter&) = delete;

    // The stream: its header and its format (a bitmap info header and color
    // table). EAviError "Failed to create AVI stream" when called twice,
    // "Failed to set AVI stream format" for a format without an info header.
    void CreateStream(const TAviStreamInfo& info);
    void SetFormat(const std::vector<uint8_t>& format);

    // Writes one sample at a position after the previous one; skipped
    // positions become empty samples, which readers show as the previous
    // picture. EAviError "Failed to add frame to AVI".
    void WriteSample(uint32_t position, const uint8_t* data, uint32_t size, bool keyFrame);

    // Writes the index, completes the headers and gives the file the
    // target's name; EAviError "Failed to create AVI file" when that fails.
    void Finish();

private:
    struct TIndexEntry {
        uint32_t Flags;
        uint32_t Offset;
        uint32_t Size;
    };
    void Write(const void* data, size_t size, const char* message);
    void AppendChunk(const uint8_t* data, uint32_t size, uint32_t flags);
    void WriteHeaders(const char* message);

    std::unique_ptr<TReplacingFile> output_;
    std::FILE* file_ = nullptr;
    bool streamCreated_ = false;
    bool formatSet_ = false;
    TAviStreamInfo info_;
    std::vector<uint8_t> format_;
    uint32_t length_ = 0; // positions written, with gaps
    uint32_t maxSampleSize_ = 0;
    int64_t moviStart_ = 0; // offset of the "movi" list type
    int64_t size_ = 0;      // bytes written so far
    std::vector<TIndexEntry> index_;
};

} // namespace fl
