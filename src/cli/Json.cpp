// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Json.h"

#include <cstdio>

namespace fl::cli {

void TJsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back())
            text_ += ',';
        hasItems_.back() = true;
    }
}

TJsonWriter& TJsonWriter::Open(char bracket)
{
    BeforeValue();
    text_ += bracket;
    hasItems_.push_back(false);
    return *this;
}

TJsonWriter& TJsonWriter::Close(char bracket)
{
    text_ += bracket;
    hasItems_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(const std::string& name)
{
    BeforeValue();
    AppendQuoted(name);
    text_ += ':';
    afterKey_ = true;
    return *this;
}

TJsonWriter& TJsonWriter::String(const std::string& value)
{
    BeforeValue();
    AppendQuoted(value);
    return *this;
}

TJsonWriter& TJsonWriter::Number(long long value)
{
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value)
{
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null()
{
    BeforeValue();
    text_ += "null";
    return *this;
}

// Comments are arbitrary bytes: control characters are escaped, and bytes
// that are not valid UTF-8 become U+FFFD so that the output stays valid JSON.
void TJsonWriter::AppendQuoted(const std::string& value)
{
    text_ += '"';
    const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
    const size_t size = value.size();
    for (size_t i = 0; i < size;) {
        const unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            text_ += escape;
            ++i;
        } else if (c < 0x80) {
            text_ += static_cast<char>(c);
            ++i;
        } else {
            size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
            bool valid = length > 0 && i + length <= size;
            for (size_t k = 1; valid && k < length; ++k)
                valid = (bytes[i + k] & 0xC0) == 0x80;
            if (valid) {
                text_.append(value, i, length);
                i += length;
            } else {
                text_ += "\xEF\xBF\xBD";
                ++i;
            }
        }
    }
    text_ += '"';
}

} // namespace fl::cli
