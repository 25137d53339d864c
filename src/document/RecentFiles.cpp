// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/RecentFiles.h"

#include <algorithm>

#include "platform/SettingsKeys.h"

namespace fl {

void TRecentFiles::Add(const std::string& path)
{
    if (path.empty())
        return;
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > MaxRecentFiles)
        paths_.resize(MaxRecentFiles);
}

bool TRecentFiles::Remove(const std::string& path)
{
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found == paths_.end())
        return false;
    paths_.erase(found);
    return true;
}

std::string TRecentFiles::Caption(int index) const
{
    const std::string& path = paths_.at(static_cast<size_t>(index));
    std::string caption = "&";
    caption.append(std::to_string(index)).append(" ").append(path);
    return caption;
}

void TRecentFiles::Load(const TSettingsStore& store)
{
    paths_.clear();
    // The values are numbered from 0; a gap ends the list, and a list
    // edited by hand never grows past the menu's ten entries.
    for (int i = 0; static_cast<int>(paths_.size()) < MaxRecentFiles; ++i) {
        const auto path = FindNumberedText(store, KeyRecentFile, i);
        if (!path)
            break;
        if (!path->empty() && std::find(paths_.begin(), paths_.end(), *path) == paths_.end())
            paths_.push_back(*path);
    }
}

void TRecentFiles::Save(TSettingsStore& store) const
{
    store.EraseSection(KeyRecentFile.Section);
    for (size_t i = 0; i < paths_.size(); ++i)
        WriteNumberedText(store, KeyRecentFile, static_cast<int>(i), paths_[i]);
}

} // namespace fl
