// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/TextRoutines.h"

#include <cctype>

#include "platform/MessageService.h"

namespace fl {

bool IsNumericText(const std::string& text)
{
    bool digits = false;
    for (char c : text) {
        if (c == ' ')
            continue;
        if (c < '0' || c > '9')
            return false;
        digits = true;
    }
    return digits;
}

bool IsYesText(const std::string& text)
{
    static constexpr char yes[] = "yes";
    if (text.size() != 3)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != yes[i])
            return false;
    return true;
}

int64_t FileSizeKB(int64_t bytes)
{
    return bytes <= 1024 ? 1 : bytes / 1024;
}

std::optional<int> ParseIntegerText(const std::string& text, bool fifteenBit)
{
    if (!IsNumericText(text))
        return std::nullopt;
    const int limit = fifteenBit ? 0x7FFF : 0xFFFF;
    int value = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        value = value * 10 + (c - '0');
        // Stopping at the limit also keeps long digit strings from overflowing.
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

bool ValidateIntegerEdit(TMessageService& messages, const std::string& text, bool fifteenBit)
{
    if (ParseIntegerText(text, fifteenBit))
        return true;
    ShowErrorMessage(messages, "'" + text + "' is not a valid integer value.");
    return false;
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string text;
    text.reserve(pattern.size());
    auto argument = arguments.begin();
    size_t start = 0;
    for (size_t at = pattern.find("%s"); at != std::string_view::npos && argument != arguments.end();
         at = pattern.find("%s", start)) {
        text.append(pattern.substr(start, at - start));
        text.append(*argument++);
        start = at + 2;
    }
    text.append(pattern.substr(start));
    return text;
}

std::string LimitedText(const std::string& text, size_t characters)
{
    size_t end = 0;
    for (size_t counted = 0; end < text.size(); ++end) {
        // A character starts at every byte that is not a continuation byte.
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && counted++ == characters)
            break;
    }
    return text.substr(0, end);
}

} // namespace fl
