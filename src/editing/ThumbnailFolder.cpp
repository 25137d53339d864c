// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ThumbnailFolder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "editing/FileTypes.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool FilterTakes(int filter, const std::string& name)
{
    const int type = FileTypeIndex(name);
    if (filter == thumbFilterAll)
        return type >= ftGIF && type <= ftWPG;
    return filter >= ftGIF && filter <= ftWPG && type == filter;
}

} // namespace

std::vector<TThumbnailFile> ListThumbnailFiles(const std::string& folder, int filter)
{
    std::vector<TThumbnailFile> files;
    std::error_code error;
    fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    if (error || filter == thumbFilterNone)
        return files;
    for (const fs::directory_entry& entry : entries) {
        std::error_code entryError;
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !entry.is_regular_file(entryError) ||
            !FilterTakes(filter, name))
            continue;
        const uintmax_t size = entry.file_size(entryError);
        files.push_back({name, entryError ? 0 : static_cast<uint64_t>(size)});
    }
    std::sort(files.begin(), files.end(), [](const TThumbnailFile& a, const TThumbnailFile& b) {
        const std::string left = LowerCase(a.Name), right = LowerCase(b.Name);
        return left != right ? left < right : a.Name < b.Name;
    });
    // Names that differ only in case are one file where case does not count.
    files.erase(
        std::unique(files.begin(), files.end(),
                    [](const TThumbnailFile& a, const TThumbnailFile& b) { return a.Name == b.Name; }),
        files.end());
    return files;
}

std::string ThumbnailStatusText(const TThumbnailRecord& record)
{
    return record.FileName + " - (" + std::to_string(record.Height) + " x " + std::to_string(record.Width) +
           ") " + std::to_string(record.SizeKB) + "KB";
}

int ThumbnailColumnWidth(int textHeight, int cell)
{
    return 2 * textHeight + cell + 14;
}

int ThumbnailColumns(int clientWidth, int columnWidth)
{
    return columnWidth > 0 ? std::max(1, clientWidth / columnWidth) : 1;
}

int ThumbnailRows(int count, int columns)
{
    if (count <= 0)
        return 1;
    columns = std::max(columns, 1);
    // Rounded to nearest, halves to even.
    int rows = static_cast<int>(std::nearbyint(static_cast<double>(count) / columns));
    if (rows * columns < count)
        ++rows;
    return std::max(rows, 1);
}

void ThumbnailSize(int width, int height, int bound, int& thumbWidth, int& thumbHeight)
{
    thumbWidth = width;
    thumbHeight = height;
    if (width <= bound + 1 && height <= bound + 1)
        return;
    // 64-bit products: frame sides go up to 65535.
    if (width > height) {
        thumbWidth = bound;
        thumbHeight = static_cast<int>(int64_t(height) * bound / width);
    } else {
        thumbHeight = bound;
        thumbWidth = static_cast<int>(int64_t(width) * bound / height);
    }
}

} // namespace fl
