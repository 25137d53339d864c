// SPDX-License-Identifier: GPL-3.0-or-later
// A small reader for INI files: [sections] of "key = value" lines. Lines
// starting with '#' or ';' are comments; values are kept verbatim (trimmed),
// since they may themselves start with '#', as colors do.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fl::test {

class IniFile {
public:
    static IniFile Parse(const std::string& text);
    static IniFile Load(const std::string& path);

    bool HasSection(const std::string& section) const { return sections_.count(section) > 0; }
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    std::string Get(const std::string& section, const std::string& key, const std::string& fallback) const;

private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

// Splits at commas, trimming each part; an empty text gives no parts.
std::vector<std::string> SplitList(const std::string& text);

// A quoted string value as the suite writes it: 'text' with backslash
// escapes (\\, \', \n, \t, \xHH). Text outside quotes is taken as it is.
std::string UnquoteValue(const std::string& value);

} // namespace fl::test
