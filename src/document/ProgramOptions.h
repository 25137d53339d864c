// SPDX-License-Identifier: GPL-3.0-or-later
// The program options as the options dialog shows them, read from the
// settings and written back by the dialog's rules: some keys always, some
// only when changed, the remembered answers only while an answer is
// remembered. The windows apply what the values change.
#pragma once

#include <string>
#include <vector>

namespace fl {

class TSettingsStore;

// The thumbnail sizes offered.
inline constexpr int ThumbnailSizes[] = {50, 75, 100, 125, 150, 200};

struct TProgramOptions {
    // Program.
    bool NormalToolbars = false;
    bool DisplayAnimation = true;
    bool SyncOpenDialog = false;
    int MaxUndo = 50;
    bool NoOpenDialogPreview = false;
    // 0x00BBGGRR.
    unsigned TransparentColor = 0xFFFFFF;
    bool CheckCompatibility = false;
    // Animation.
    int DefaultDelay = 100;
    int DefaultLoop = 0;
    bool ClipFrame = true;
    bool ClipDefault = false;
    // Thumbnails.
    int ThumbnailSize = 75;
    // 0..17 one file type, 19 every supported type.
    int FilterType = 19;
    bool OpenDraggedGifs = false;
    bool AutoLoadThumbnails = true;

    bool operator==(const TProgramOptions&) const = default;
};

// The options the settings hold; the toolbar style, thumbnail size and
// filter are those in use, passed by the window.
TProgramOptions ReadProgramOptions(const TSettingsStore& settings, bool normalToolbars, int thumbnailSize,
                                   int filterType);

// Writes the confirmed options: "DefaultDelay", "DefaultNSLoop" and
// "MaxUndo" always; the clip keys, "DisplayAnimation", "AutoLoadStartUp",
// the open-dialog keys, the toolbar style, "FilterType", "ThumbailSize" and
// "FrameTransparentColor" when they changed; "DropImageDefault" and
// "Compatibility" (6 checked, 7 not) only while an answer is remembered.
void WriteProgramOptions(TSettingsStore& settings, const TProgramOptions& before,
                         const TProgramOptions& after);

// The file filter list's entry for a stored filter value, and back: the
// last entry ("All Supported Image Files ", index 18) stands for 19.
int FilterEntryOfValue(int value);
int FilterValueOfEntry(int entry);

// The favorite folders, in menu order.
std::vector<std::string> ReadFavoriteFolders(const TSettingsStore& settings);
void WriteFavoriteFolders(TSettingsStore& settings, const std::vector<std::string>& folders);

} // namespace fl
