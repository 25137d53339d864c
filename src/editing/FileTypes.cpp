// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/FileTypes.h"

#include <array>
#include <cctype>

namespace fl {

namespace {

// clang-format off
constexpr std::array<const char*, LabelCount> Labels = {
    // File types, then the thumbnail filter.
    ".gif", ".jpg", ".bmp", ".jif", ".dcx", ".ico", ".pbm", ".pcx", ".ljp", ".pgm",
    ".pic", ".png", ".ppm", ".rle", ".tga", ".tif", ".wmf", ".wpg", ".avi", "*.*",
    // Disposal names, no and yes, the frame inspector's labels, the buttons.
    "None", "Remove", "Background", "Previous", "No", "Yes",
    "Dimensions & Offsets", "Height", "Width", "X-Offset", "Y-Offset", "Display Settings",
    "Interlaced", "Transparent", "Local Palette", "Frame Playing", "Delay", "Disposal",
    "&Include", "&Start New"};
// clang-format on

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

const char* LabelText(int index)
{
    return index >= 0 && index < LabelCount ? Labels[static_cast<size_t>(index)] : "";
}

const char* DisposalName(int code)
{
    return code >= 0 && code <= 3 ? LabelText(lblDisposalNone + code) : "";
}

std::string ExtractFileName(const std::string& path)
{
    size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]))
        --start;
    return path.substr(start);
}

int FileTypeIndex(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return ftUnknown;
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int index = ftGIF; index <= ftAVI; ++index)
        if (extension == Labels[static_cast<size_t>(index)])
            return index;
    return ftUnknown;
}

} // namespace fl
