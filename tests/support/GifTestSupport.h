// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the file-level GIF tests: loading with the warnings
// collected, saving with a chosen encoding, comparing two documents field by
// field, and finding the shared test files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/Stream.h"

namespace fl::test {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

// Every .gif under a folder and its subfolders, sorted by path.
std::vector<std::filesystem::path> GifFilesUnder(const std::filesystem::path& folder);
std::filesystem::path SharedDir();

// The outcome of one load. Only GIFException counts as a refusal; any other
// exception passes through to the test, which then fails.
struct LoadResult {
    std::unique_ptr<TGIFImage> image = std::make_unique<TGIFImage>();
    std::vector<std::string> warnings;
    bool loaded = false;
    std::string error; // the GIFException message when not loaded
    int64_t startPosition = 0;
    int64_t positionAfter = 0;

    bool HasWarning(const std::string& message) const;
};

// Loads `size` bytes from `data`, starting `start` bytes in.
LoadResult LoadGif(const uint8_t* data, size_t size, int64_t start = 0);
inline LoadResult LoadGif(const std::vector<uint8_t>& bytes) { return LoadGif(bytes.data(), bytes.size()); }

// Saves with the given encoding (encodeLZW, encodeRunLength); the document's
// own setting is put back afterwards.
std::vector<uint8_t> SaveGif(TGIFImage& image, uint8_t encoding);

// A write-only stream that keeps nothing but the count: for saves whose
// bytes are not needed, without the cost of growing a large buffer.
class CountingStream : public TStream {
public:
    size_t Read(void*, size_t) override { return 0; }
    void Write(const void*, size_t count) override
    {
        position_ += static_cast<int64_t>(count);
        size_ = std::max(size_, position_);
    }
    int64_t Position() const override { return position_; }
    void SetPosition(int64_t position) override { position_ = position; }
    int64_t Size() const override { return size_; }

private:
    int64_t position_ = 0;
    int64_t size_ = 0;
};

// What ExpectSameModel may let differ.
struct CompareOptions {
    // The packed flag bytes of the header and of frames are recomputed on
    // every write; a round trip only keeps what they are derived from.
    bool rawFlags = false;
    // Compare the expected tables as written: padded with black to a power
    // of two, the sort flag not kept.
    bool writtenTables = false;
    bool pixels = true;
};

// The first difference between two documents, or success: header fields,
// global colors, and for every frame its descriptor, local colors, pixels,
// transparency, control block and every extension's fields.
testing::AssertionResult SameModel(const TGIFImage& expected, const TGIFImage& actual,
                                   const CompareOptions& options = {});
void ExpectSameModel(const TGIFImage& expected, const TGIFImage& actual, const CompareOptions& options = {});
// The same for one frame; `where` starts the failure message.
testing::AssertionResult SameFrame(const TGIFSubImage& expected, const TGIFSubImage& actual,
                                   const CompareOptions& options, const std::string& where);

// Frames that hold an image (the suite-style count of a file's images).
int ImageCount(const TGIFImage& image);
// The loop extension of the document (the first one), or null.
const TGIFAppExtNSLoop* FindLoopExtension(const TGIFImage& image);
// All comment lines of the document, joined without separator.
std::string AllCommentText(const TGIFImage& image);

// Messages the reader and writer give by design.
const std::set<std::string>& LoadErrorMessages();
const std::set<std::string>& LoadWarningMessages();
// Whether the reader gives this warning by design: one of the fixed
// messages, or the count of pixels a damaged frame's data left at the fill
// value.
bool IsLoadWarning(const std::string& message);
const std::set<std::string>& SaveErrorMessages();

// Printable form of a byte string for failure messages.
std::string Printable(const std::string& bytes, size_t limit = 80);

} // namespace fl::test
