// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fl {

// The animation format the program registers on the clipboard.
inline constexpr const char* ClipboardFormatGIF = "GIF Image";
// Plain text, as UTF-8 bytes.
inline constexpr const char* ClipboardFormatText = "Text";
// The platform's bitmap format: a packed device-independent bitmap (header,
// color table, bits) as TBitmap::SaveToDIB writes it.
inline constexpr const char* ClipboardFormatBitmap = "DIB";

// The system clipboard, seen as a set of byte blocks by format name.
class TClipboard {
public:
    virtual ~TClipboard() = default;

    virtual bool HasFormat(const std::string& format) const = 0;
    // The block stored under the format; none when there is no such data.
    virtual std::optional<std::vector<uint8_t>> GetData(const std::string& format) const = 0;
    // Stores a block under the format, replacing the previous one; false
    // when the clipboard refuses it (the block is then not kept).
    virtual bool SetData(const std::string& format, std::vector<uint8_t> data) = 0;
    virtual void Clear() = 0;
};

// A clipboard in memory, for the command line and tests. It can be told to
// refuse formats, as a system clipboard does when it is held by another
// program or out of memory.
class TMemoryClipboard final : public TClipboard {
public:
    bool HasFormat(const std::string& format) const override;
    std::optional<std::vector<uint8_t>> GetData(const std::string& format) const override;
    bool SetData(const std::string& format, std::vector<uint8_t> data) override;
    void Clear() override;

    void SetRefused(const std::string& format, bool refused);

private:
    std::map<std::string, std::vector<uint8_t>> blocks_;
    std::set<std::string> refused_;
};

} // namespace fl
