// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/IniFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fl::test {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

IniFile IniFile::Parse(const std::string& text)
{
    IniFile ini;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';')
            continue;
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            section = Trim(trimmed.substr(1, trimmed.size() - 2));
            ini.sections_[section];
            continue;
        }
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos)
            throw std::runtime_error("INI line without '=': " + trimmed);
        ini.sections_[section][Trim(trimmed.substr(0, equals))] = Trim(trimmed.substr(equals + 1));
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return Parse(text.str());
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const
{
    const auto s = sections_.find(section);
    if (s == sections_.end())
        return std::nullopt;
    const auto k = s->second.find(key);
    if (k == s->second.end())
        return std::nullopt;
    return k->second;
}

std::string IniFile::Get(const std::string& section, const std::string& key, const std::string& fallback) const
{
    return Get(section, key).value_or(fallback);
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    if (Trim(text).empty())
        return parts;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(Trim(part));
    return parts;
}

std::string UnquoteValue(const std::string& value)
{
    if (value.size() < 2 || value.front() != '\'' || value.back() != '\'')
        return value;
    std::string out;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 2 >= value.size()) {
            out += c;
            continue;
        }
        const char next = value[++i];
        switch (next) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'x':
            if (i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 && HexDigit(value[i + 2]) >= 0) {
                out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
                i += 2;
            } else {
                out += "\\x";
            }
            break;
        default: out += next; break;
        }
    }
    return out;
}

} // namespace fl::test
