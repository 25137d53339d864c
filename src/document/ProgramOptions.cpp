// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ProgramOptions.h"

#include <algorithm>

#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

// The list entry standing for "every supported type" and its stored value.
constexpr int AllFilesEntry = 18;
constexpr int AllFilesValue = 19;
// A favorites list edited by hand never grows without end.
constexpr int MaxFavorites = 100;

// A remembered answer (Yes or No) is rewritten from its box; while the
// question is still asked the box changes nothing.
void WriteRememberedAnswer(TSettingsStore& settings, const TSettingKey& key, bool checked)
{
    if (ReadIntegerSetting(settings, key) > 0)
        WriteIntegerSetting(settings, key, checked ? mrYes : mrNo);
}

template <typename T>
void WriteWhenChanged(TSettingsStore& settings, const TSettingKey& key, const T& before, const T& after,
                      int value)
{
    if (before != after)
        WriteIntegerSetting(settings, key, value);
}

} // namespace

TProgramOptions ReadProgramOptions(const TSettingsStore& settings, bool normalToolbars, int thumbnailSize,
                                   int filterType)
{
    TProgramOptions options;
    options.NormalToolbars = normalToolbars;
    options.DisplayAnimation = ReadIntegerSetting(settings, KeyDisplayAnimation) != 0;
    options.SyncOpenDialog = ReadIntegerSetting(settings, KeySyncOpenDialog) != 0;
    options.MaxUndo = std::clamp(ReadIntegerSetting(settings, KeyMaxUndo), 5, 50);
    options.NoOpenDialogPreview = ReadIntegerSetting(settings, KeyNoOpenDlgPreview) != 0;
    options.TransparentColor =
        static_cast<unsigned>(ReadIntegerSetting(settings, KeyFrameTransparentColor)) & 0xFFFFFFu;
    options.CheckCompatibility = ReadIntegerSetting(settings, KeyCompatibility) == mrYes;
    options.DefaultDelay = std::clamp(ReadIntegerSetting(settings, KeyDefaultDelay), 1, 32767);
    options.DefaultLoop = std::clamp(ReadIntegerSetting(settings, KeyDefaultNSLoop), 0, 32767);
    options.ClipFrame = ReadIntegerSetting(settings, KeyClipFrame) != 0;
    options.ClipDefault = ReadIntegerSetting(settings, KeyClipDefault) != 0;
    options.ThumbnailSize = thumbnailSize;
    options.FilterType = filterType;
    options.OpenDraggedGifs = ReadIntegerSetting(settings, KeyDropImageDefault) == mrYes;
    options.AutoLoadThumbnails = ReadIntegerSetting(settings, KeyAutoLoadStartUp) != 0;
    return options;
}

void WriteProgramOptions(TSettingsStore& settings, const TProgramOptions& before,
                         const TProgramOptions& after)
{
    // The stored clip values count, not the ones shown (a missing
    // "ClipFrame" is 1).
    if (after.ClipDefault != (ReadIntegerSetting(settings, KeyClipDefault) != 0))
        WriteIntegerSetting(settings, KeyClipDefault, after.ClipDefault ? 1 : 0);
    if (after.ClipFrame != (ReadIntegerSetting(settings, KeyClipFrame) != 0))
        WriteIntegerSetting(settings, KeyClipFrame, after.ClipFrame ? 1 : 0);
    WriteIntegerSetting(settings, KeyDefaultDelay, after.DefaultDelay);
    WriteIntegerSetting(settings, KeyDefaultNSLoop, after.DefaultLoop);
    WriteIntegerSetting(settings, KeyMaxUndo, after.MaxUndo);
    WriteWhenChanged(settings, KeyDisplayAnimation, before.DisplayAnimation, after.DisplayAnimation,
                     after.DisplayAnimation ? 1 : 0);
    WriteWhenChanged(settings, KeyAutoLoadStartUp, before.AutoLoadThumbnails, after.AutoLoadThumbnails,
                     after.AutoLoadThumbnails ? 1 : 0);
    WriteWhenChanged(settings, KeySyncOpenDialog, before.SyncOpenDialog, after.SyncOpenDialog,
                     after.SyncOpenDialog ? 1 : 0);
    WriteWhenChanged(settings, KeyNoOpenDlgPreview, before.NoOpenDialogPreview, after.NoOpenDialogPreview,
                     after.NoOpenDialogPreview ? 1 : 0);
    WriteWhenChanged(settings, KeyNormalStyle, before.NormalToolbars, after.NormalToolbars,
                     after.NormalToolbars ? 1 : 0);
    WriteRememberedAnswer(settings, KeyDropImageDefault, after.OpenDraggedGifs);
    WriteRememberedAnswer(settings, KeyCompatibility, after.CheckCompatibility);
    WriteWhenChanged(settings, KeyThumbnailFilterType, before.FilterType, after.FilterType, after.FilterType);
    WriteWhenChanged(settings, KeyThumbnailSize, before.ThumbnailSize, after.ThumbnailSize,
                     after.ThumbnailSize);
    WriteWhenChanged(settings, KeyFrameTransparentColor, before.TransparentColor, after.TransparentColor,
                     static_cast<int>(after.TransparentColor));
}

int FilterEntryOfValue(int value)
{
    return value == AllFilesValue ? AllFilesEntry : std::clamp(value, 0, AllFilesEntry);
}

int FilterValueOfEntry(int entry)
{
    return entry == AllFilesEntry ? AllFilesValue : std::clamp(entry, 0, AllFilesEntry - 1);
}

std::vector<std::string> ReadFavoriteFolders(const TSettingsStore& settings)
{
    std::vector<std::string> folders;
    for (int i = 0; static_cast<int>(folders.size()) < MaxFavorites; ++i) {
        const auto folder = FindNumberedText(settings, KeyFavoriteFolder, i);
        if (!folder)
            break;
        if (!folder->empty() && std::find(folders.begin(), folders.end(), *folder) == folders.end())
            folders.push_back(*folder);
    }
    return folders;
}

void WriteFavoriteFolders(TSettingsStore& settings, const std::vector<std::string>& folders)
{
    settings.EraseSection(KeyFavoriteFolder.Section);
    for (size_t i = 0; i < folders.size(); ++i)
        WriteNumberedText(settings, KeyFavoriteFolder, static_cast<int>(i), folders[i]);
}

} // namespace fl
