// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <algorithm>
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

} // namespace

std::string TextWithTerminator(std::string_view text)
{
    std::string stored(text.substr(0, text.find('\0')));
    stored.push_back('\0');
    return stored;
}

std::string TextUpToTerminator(std::string_view stored)
{
    return std::string(stored.substr(0, stored.find('\0')));
}

const TMemorySettingsStore::TEntry* TMemorySettingsStore::Find(const std::string& section,
                                                               const std::string& key) const
{
    const auto values = sections_.find(SectionPath(section));
    if (values == sections_.end())
        return nullptr;
    const auto found = values->second.find(LowerCase(key));
    return found == values->second.end() ? nullptr : &found->second;
}

std::optional<int> TMemorySettingsStore::FindInteger(const std::string& section, const std::string& key) const
{
    if (const TEntry* entry = Find(section, key))
        if (const int* value = std::get_if<int>(&entry->Value))
            return *value;
    return std::nullopt;
}

std::optional<std::string> TMemorySettingsStore::FindString(const std::string& section,
                                                            const std::string& key) const
{
    if (const TEntry* entry = Find(section, key))
        if (const std::string* value = std::get_if<std::string>(&entry->Value))
            return TextUpToTerminator(*value);
    return std::nullopt;
}

void TMemorySettingsStore::WriteInteger(const std::string& section, const std::string& key, int value)
{
    // try_emplace keeps the spelling of a value that exists already.
    sections_[SectionPath(section)].try_emplace(LowerCase(key), TEntry{key, 0}).first->second.Value = value;
}

void TMemorySettingsStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value)
{
    sections_[SectionPath(section)].try_emplace(LowerCase(key), TEntry{key, 0}).first->second.Value =
        TextWithTerminator(value);
}

bool TMemorySettingsStore::ValueExists(const std::string& section, const std::string& key) const
{
    return Find(section, key) != nullptr;
}

bool TMemorySettingsStore::DeleteValue(const std::string& section, const std::string& key)
{
    const auto values = sections_.find(SectionPath(section));
    if (values == sections_.end() || values->second.erase(LowerCase(key)) == 0)
        return false;
    if (values->second.empty())
        sections_.erase(values);
    return true;
}

void TMemorySettingsStore::EraseSection(const std::string& section)
{
    const std::string path = SectionPath(section);
    sections_.erase(path);
    // Nested sections share the prefix and are adjacent in the map.
    const std::string nested = path + '\\';
    auto first = sections_.lower_bound(nested);
    auto last = first;
    while (last != sections_.end() && last->first.compare(0, nested.size(), nested) == 0)
        ++last;
    sections_.erase(first, last);
}

std::vector<std::string> TMemorySettingsStore::ValueNames(const std::string& section) const
{
    std::vector<std::string> names;
    const auto values = sections_.find(SectionPath(section));
    if (values != sections_.end())
        for (const auto& [lowerName, entry] : values->second)
            names.push_back(entry.Name);
    return names;
}

int TMemorySettingsStore::Count() const
{
    std::size_t count = 0;
    for (const auto& [path, values] : sections_)
        count += values.size();
    return static_cast<int>(count);
}

} // namespace fl
