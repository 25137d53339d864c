// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser without its window: which files of a folder it
// shows, how large each thumbnail is drawn and how many rows the grid has,
// and what the status bar says of a thumbnail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fl {

// The filter values: one file type 0..17, nothing, every supported type.
inline constexpr int thumbFilterNone = 18;
inline constexpr int thumbFilterAll = 19;

struct TThumbnailFile {
    std::string Name; // without the folder
    uint64_t Size = 0;
};

// The image files of the folder the filter selects: regular files that are
// not hidden, sorted by name without regard to case, each once. The
// extension compares without regard to case. Empty for a folder that
// cannot be read.
std::vector<TThumbnailFile> ListThumbnailFiles(const std::string& folder, int filter);

// One thumbnail: the file, its picture's size and its size in kilobytes.
struct TThumbnailRecord {
    std::string FileName;
    int Height = 0;
    int Width = 0;
    int64_t SizeKB = 0;
};

// "name - (h x w) nKB", the status text of a selected thumbnail.
std::string ThumbnailStatusText(const TThumbnailRecord& record);

// The size a picture's thumbnail takes within a square bound: a picture wider
// or taller than bound + 1 is scaled to the bound on its longer side,
// aspect kept; a picture that fits keeps its size.
void ThumbnailSize(int width, int height, int bound, int& thumbWidth, int& thumbHeight);

// The grid: a column is two text lines and the cell wide (plus 14), rows
// are as high as columns are wide; at least one column; rows hold every
// file (the count over the columns rounded half to even, one more when
// that is too few).
int ThumbnailColumnWidth(int textHeight, int cell);
int ThumbnailColumns(int clientWidth, int columnWidth);
int ThumbnailRows(int count, int columns);

} // namespace fl
