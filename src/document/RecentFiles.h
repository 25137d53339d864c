// SPDX-License-Identifier: GPL-3.0-or-later
// The recently opened files, newest first, at most ten: shown as the
// "&Recent Files" menu ("&0 /path/a.gif", ...) and kept in the settings.
#pragma once

#include <string>
#include <vector>

namespace fl {

class TSettingsStore;

inline constexpr int MaxRecentFiles = 10;

class TRecentFiles {
public:
    // Puts the path at the top; a path already listed moves there. Paths
    // compare exactly, so "/a/b.gif" never takes the entry of "/a/b.gif2".
    void Add(const std::string& path);
    // Answers whether the path was listed.
    bool Remove(const std::string& path);
    const std::vector<std::string>& Paths() const { return paths_; }
    bool Empty() const { return paths_.empty(); }
    // The menu caption of entry i: "&i path".
    std::string Caption(int index) const;

    // Reads "MRU0".. of the recent-files section, skipping empty values.
    void Load(const TSettingsStore& store);
    // Rewrites the section from scratch, newest as "MRU0".
    void Save(TSettingsStore& store) const;

private:
    std::vector<std::string> paths_;
};

} // namespace fl
