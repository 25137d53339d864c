// SPDX-License-Identifier: GPL-3.0-or-later
// Small checks of what the user typed, and sizes as the user reads them.
#pragma once

#include <cstdint>
#include <optional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace fl {

class TMessageService;

// True when the text, spaces removed, is non-empty and all digits.
bool IsNumericText(const std::string& text);
// True for "Yes" in any case.
bool IsYesText(const std::string& text);
// Kilobytes as the user reads them: 1 up to 1024 bytes, else bytes div 1024.
int64_t FileSizeKB(int64_t bytes);

// The value of an integer field's text: digits and spaces only, at least one
// digit, at most 32767 (fifteenBit) or 65535. None otherwise.
std::optional<int> ParseIntegerText(const std::string& text, bool fifteenBit);

// Checks an integer field's text as ParseIntegerText does and, when it is
// not valid, says so: "'<text>' is not a valid integer value.". Answers
// whether it is valid; the window then puts back the field's previous value
// and focuses it.
bool ValidateIntegerEdit(TMessageService& messages, const std::string& text, bool fifteenBit);

// The text cut after its first `characters` characters (UTF-8), never
// inside one.
std::string LimitedText(const std::string& text, size_t characters);

// The program's message patterns with each "%s" replaced by the next
// argument, in order; extra "%s" stay as they are, extra arguments are
// ignored. Arguments are inserted literally, never read as patterns.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

} // namespace fl
