// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace fl::cli {

// A small streaming JSON writer: commas and escaping handled, nothing else.
class TJsonWriter {
public:
    TJsonWriter& BeginObject() { return Open('{'); }
    TJsonWriter& EndObject() { return Close('}'); }
    TJsonWriter& BeginArray() { return Open('['); }
    TJsonWriter& EndArray() { return Close(']'); }
    TJsonWriter& Key(const std::string& name);
    TJsonWriter& String(const std::string& value);
    TJsonWriter& Number(long long value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();

    const std::string& Text() const { return text_; }

private:
    TJsonWriter& Open(char bracket);
    TJsonWriter& Close(char bracket);
    void BeforeValue();
    void AppendQuoted(const std::string& value);

    std::string text_;
    std::vector<bool> hasItems_;
    bool afterKey_ = false;
};

} // namespace fl::cli
