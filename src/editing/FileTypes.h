// SPDX-License-Identifier: GPL-3.0-or-later
// The image file types the program knows, recognized by extension only, and
// the table of short labels that shares their list.
#pragma once

#include <string>

namespace fl {

// Indices of the file-type table.
inline constexpr int ftGIF = 0;
inline constexpr int ftJPG = 1;
inline constexpr int ftBMP = 2;
inline constexpr int ftJIF = 3;
inline constexpr int ftDCX = 4;
inline constexpr int ftICO = 5;
inline constexpr int ftPBM = 6;
inline constexpr int ftPCX = 7;
inline constexpr int ftLJP = 8;
inline constexpr int ftPGM = 9;
inline constexpr int ftPIC = 10;
inline constexpr int ftPNG = 11;
inline constexpr int ftPPM = 12;
inline constexpr int ftRLE = 13;
inline constexpr int ftTGA = 14;
inline constexpr int ftTIF = 15;
inline constexpr int ftWMF = 16;
inline constexpr int ftWPG = 17;
inline constexpr int ftAVI = 18;
// "*.*": the thumbnail browser's filter for every supported type.
inline constexpr int ftAllFiles = 19;
// What FileTypeIndex answers for any other extension.
inline constexpr int ftUnknown = 20;

// Further labels of the same table.
inline constexpr int lblDisposalNone = 20; // disposal code d is lblDisposalNone + d
inline constexpr int lblNo = 24;
inline constexpr int lblYes = 25;
inline constexpr int lblDimensionsOffsets = 26; // frame inspector labels, through lblDisposal
inline constexpr int lblHeight = 27;
inline constexpr int lblWidth = 28;
inline constexpr int lblXOffset = 29;
inline constexpr int lblYOffset = 30;
inline constexpr int lblDisplaySettings = 31;
inline constexpr int lblInterlaced = 32;
inline constexpr int lblTransparent = 33;
inline constexpr int lblLocalPalette = 34;
inline constexpr int lblFramePlaying = 35;
inline constexpr int lblDelay = 36;
inline constexpr int lblDisposal = 37;
inline constexpr int lblInclude = 38; // button captions of the dropped-image question
inline constexpr int lblStartNew = 39;
inline constexpr int LabelCount = 40;

// The table's text at index; empty outside it.
const char* LabelText(int index);
// The name of a disposal code 0..3 ("None", "Remove", "Background",
// "Previous"); empty for other codes.
const char* DisposalName(int code);

// The type of a file from its extension (after the last dot of the file
// name, any case): ftGIF..ftAVI, or ftUnknown. "*.*" is a filter, not an
// extension, and is never answered.
int FileTypeIndex(const std::string& path);

// The file name without its folder.
std::string ExtractFileName(const std::string& path);

} // namespace fl
