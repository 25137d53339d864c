// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <cctype>

namespace fl {

namespace {

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Trailing backslashes name the same section ("Settings\" is "Settings").
std::string SectionPath(const std::string& section)
{
    std::string path = LowerCase(section);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string ValuePath(const std::string& section, const std::string& key)
{
    return SectionPath(section) + '\\' + LowerCase(key);
}

} // namespace

std::optional<int> TMemorySettingsStore::FindInteger(const std::string& section, const std::string& key) const
{
    const auto found = values_.find(ValuePath(section, key));
    if (found == values_.end())
        return std::nullopt;
    if (const int* value = std::get_if<int>(&found->second))
        return *value;
    return std::nullopt;
}

std::optional<std::string> TMemorySettingsStore::FindString(const std::string& section,
                                                            const std::string& key) const
{
    const auto found = values_.find(ValuePath(section, key));
    if (found == values_.end())
        return std::nullopt;
    if (const std::string* value = std::get_if<std::string>(&found->second))
        return *value;
    return std::nullopt;
}

void TMemorySettingsStore::WriteInteger(const std::string& section, const std::string& key, int value)
{
    values_[ValuePath(section, key)] = value;
}

void TMemorySettingsStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value)
{
    // The system stores texts NUL-terminated, so nothing after a NUL survives.
    values_[ValuePath(section, key)] = value.substr(0, value.find('\0'));
}

bool TMemorySettingsStore::ValueExists(const std::string& section, const std::string& key) const
{
    return values_.count(ValuePath(section, key)) != 0;
}

bool TMemorySettingsStore::DeleteValue(const std::string& section, const std::string& key)
{
    return values_.erase(ValuePath(section, key)) != 0;
}

void TMemorySettingsStore::EraseSection(const std::string& section)
{
    const std::string prefix = SectionPath(section) + '\\';
    // Values of the section and of every nested section share the prefix
    // and are adjacent in the map.
    auto first = values_.lower_bound(prefix);
    auto last = first;
    while (last != values_.end() && last->first.compare(0, prefix.size(), prefix) == 0)
        ++last;
    values_.erase(first, last);
}

} // namespace fl
