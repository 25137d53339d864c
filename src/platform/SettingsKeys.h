// SPDX-License-Identifier: GPL-3.0-or-later
// Every key of the settings tree with its section, type and default, so that
// callers name a key once and never repeat its section, spelling or default.
// The names are spelled as the tree has always spelled them ("ThumbailSize").
#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/SettingsStore.h"

namespace fl {

enum class TSettingType { Integer, Text };

struct TSettingKey {
    const char* Section;
    // For a numbered key, a pattern with one "%d" for the number.
    const char* Name;
    TSettingType Type;
    int IntegerDefault;
    const char* TextDefault;
    // The default depends on the running program (designed window bounds,
    // program folder, current position) or there is none: readers pass their
    // own, and the two default fields above mean nothing.
    bool RuntimeDefault;
    bool Numbered;
};

namespace settingkeys {

constexpr TSettingKey Integer(const char* section, const char* name, int defaultValue)
{
    return {section, name, TSettingType::Integer, defaultValue, "", false, false};
}
constexpr TSettingKey Text(const char* section, const char* name, const char* defaultValue)
{
    return {section, name, TSettingType::Text, 0, defaultValue, false, false};
}
constexpr TSettingKey RuntimeInteger(const char* section, const char* name)
{
    return {section, name, TSettingType::Integer, 0, "", true, false};
}
constexpr TSettingKey RuntimeText(const char* section, const char* name)
{
    return {section, name, TSettingType::Text, 0, "", true, false};
}
constexpr TSettingKey NumberedText(const char* section, const char* pattern)
{
    return {section, pattern, TSettingType::Text, 0, "", true, true};
}

} // namespace settingkeys

// Main window: "Normal" restores the bounds, anything else maximizes.
inline constexpr TSettingKey KeyMainWindowState = settingkeys::Text(SectionMainForm, "WindowState", "Maximized");
inline constexpr TSettingKey KeyMainTop = settingkeys::RuntimeInteger(SectionMainForm, "Top");
inline constexpr TSettingKey KeyMainLeft = settingkeys::RuntimeInteger(SectionMainForm, "Left");
inline constexpr TSettingKey KeyMainHeight = settingkeys::RuntimeInteger(SectionMainForm, "Height");
inline constexpr TSettingKey KeyMainWidth = settingkeys::RuntimeInteger(SectionMainForm, "Width");

// Frame inspector; its top and left follow the main window's bounds.
inline constexpr TSettingKey KeyInspectorVisible = settingkeys::Integer(SectionInspectorForm, "Visible", 1);
inline constexpr TSettingKey KeyInspectorHideOnce = settingkeys::Integer(SectionInspectorForm, "HideOnce", 0);
inline constexpr TSettingKey KeyInspectorTop = settingkeys::RuntimeInteger(SectionInspectorForm, "Top");
inline constexpr TSettingKey KeyInspectorLeft = settingkeys::RuntimeInteger(SectionInspectorForm, "Left");
inline constexpr TSettingKey KeyInspectorHeight = settingkeys::Integer(SectionInspectorForm, "Height", 430);
inline constexpr TSettingKey KeyInspectorWidth = settingkeys::Integer(SectionInspectorForm, "Width", 220);

inline constexpr TSettingKey KeySplitterPreviewPos =
    settingkeys::RuntimeInteger(SectionOpenDialogForm, "SplitterPreviewPos");

// "Settings".
inline constexpr TSettingKey KeyFrameSize = settingkeys::Integer(SectionSettings, "FrameSize", 160);
inline constexpr TSettingKey KeyAutoSizeSplitter = settingkeys::Integer(SectionSettings, "AutoSizeSplitter", 1);
inline constexpr TSettingKey KeyFrameWindowWidth = settingkeys::RuntimeInteger(SectionSettings, "FrameWindowWidth");
// "Right" puts the frame panel at the right edge, anything else at the left.
inline constexpr TSettingKey KeyFrameWindowAlign = settingkeys::Text(SectionSettings, "FrameWindowAlign", "Left");
// Both default to the folder "Images" inside the program's folder.
inline constexpr TSettingKey KeyInitialDir = settingkeys::RuntimeText(SectionSettings, "InitialDir");
// Only written: the program's folder with a trailing separator.
inline constexpr TSettingKey KeyInstallDir = settingkeys::RuntimeText(SectionSettings, "InstallDir");
inline constexpr TSettingKey KeyClipDefault = settingkeys::Integer(SectionSettings, "ClipDefault", 0);
inline constexpr TSettingKey KeyClipFrame = settingkeys::Integer(SectionSettings, "ClipFrame", 1);
inline constexpr TSettingKey KeyDefaultDelay = settingkeys::Integer(SectionSettings, "DefaultDelay", 100);
inline constexpr TSettingKey KeyDefaultNSLoop = settingkeys::Integer(SectionSettings, "DefaultNSLoop", 0);
inline constexpr TSettingKey KeySyncOpenDialog = settingkeys::Integer(SectionSettings, "SyncOpenDialog", 0);
inline constexpr TSettingKey KeyNoOpenDlgPreview = settingkeys::Integer(SectionSettings, "NoOpenDlgPreview", 0);
inline constexpr TSettingKey KeyFrameTransparentColor =
    settingkeys::Integer(SectionSettings, "FrameTransparentColor", 0xFFFFFF);
inline constexpr TSettingKey KeyDisplayAnimation = settingkeys::Integer(SectionSettings, "DisplayAnimation", 1);
inline constexpr TSettingKey KeyWarnings = settingkeys::Integer(SectionSettings, "Warnings", 0);
inline constexpr TSettingKey KeyAutoLoadStartUp = settingkeys::Integer(SectionSettings, "AutoLoadStartUp", 1);
inline constexpr TSettingKey KeyWelcomeDialog = settingkeys::Integer(SectionSettings, "WelcomeDialog", 0);
inline constexpr TSettingKey KeyMaxUndo = settingkeys::Integer(SectionSettings, "MaxUndo", 50);
// Remembered answers: 0 ask, 6 (Yes) and 7 (No) answer without asking.
inline constexpr TSettingKey KeyDropImageDefault = settingkeys::Integer(SectionSettings, "DropImageDefault", 0);
inline constexpr TSettingKey KeyCompatibility = settingkeys::Integer(SectionSettings, "Compatibility", 0);
// Color reduction.
inline constexpr TSettingKey KeyPaletteType = settingkeys::Integer(SectionSettings, "PaletteType", 0);
inline constexpr TSettingKey KeyMaxColorCount = settingkeys::Integer(SectionSettings, "MaxColorCount", 256);
inline constexpr TSettingKey KeyDitherMethod = settingkeys::Integer(SectionSettings, "DitherMethod", 0);
inline constexpr TSettingKey KeyPaletteDefaults = settingkeys::Integer(SectionSettings, "PaletteDefaults", 0);
inline constexpr TSettingKey KeyMaxImportCount = settingkeys::Integer(SectionSettings, "MaxImportCount", 256);

// Toolbars: 1 regular (raised) buttons, 0 flat.
inline constexpr TSettingKey KeyNormalStyle = settingkeys::Integer(SectionToolbars, "NormalStyle", 0);

// Each toolbar's place in the tool dock (designed position by default) and
// whether it is shown.
struct TToolbarSettingKeys {
    TSettingKey Left;
    TSettingKey Top;
    TSettingKey Visible;
};

constexpr TToolbarSettingKeys ToolbarKeys(const char* section)
{
    return {settingkeys::RuntimeInteger(section, "Left"), settingkeys::RuntimeInteger(section, "Top"),
            settingkeys::Integer(section, "Visible", 1)};
}

// In the tool dock's tag order: 0 standard, 1 frame, 2 animation.
inline constexpr TToolbarSettingKeys KeysStandardToolbar = ToolbarKeys(SectionStandardToolbar);
inline constexpr TToolbarSettingKeys KeysFrameToolbar = ToolbarKeys(SectionFrameToolbar);
inline constexpr TToolbarSettingKeys KeysAnimationToolbar = ToolbarKeys(SectionAnimationToolbar);

// Recent files, "MRU0" the newest; the list keeps this many.
inline constexpr TSettingKey KeyRecentFile = settingkeys::NumberedText(SectionRecentFiles, "MRU%d");
inline constexpr int RecentFileCount = 10;

// Thumbnail browser. The folder defaults to "Images" in the program's folder,
// the panel and tree sizes to their designed sizes.
inline constexpr TSettingKey KeyThumbnailDirectory = settingkeys::RuntimeText(SectionThumbnails, "Directory");
// 0..17 one file type, 19 all of them.
inline constexpr TSettingKey KeyThumbnailFilterType = settingkeys::Integer(SectionThumbnails, "FilterType", 19);
inline constexpr TSettingKey KeyThumbnailSize = settingkeys::Integer(SectionThumbnails, "ThumbailSize", 75);
inline constexpr TSettingKey KeyThumbnailsVisible = settingkeys::Integer(SectionThumbnails, "Visible", 1);
inline constexpr TSettingKey KeyThumbnailWindowHeight = settingkeys::RuntimeInteger(SectionThumbnails, "WindowHeight");
inline constexpr TSettingKey KeyExplorerWidth = settingkeys::RuntimeInteger(SectionThumbnails, "ExplorerWidth");
inline constexpr TSettingKey KeyExplorerVisible = settingkeys::Integer(SectionThumbnails, "ExplorerVisible", 1);

// Favorite folders in menu order.
inline constexpr TSettingKey KeyFavoriteFolder = settingkeys::NumberedText(SectionFavorites, "MRU%d");

// Every key above (numbered keys once, as their pattern).
std::span<const TSettingKey* const> AllSettingKeys();

// Misuse of a key (the wrong type, a numbered key without its number, the
// table's default of a key that has none) is a programming error and throws
// std::logic_error naming the key.

// The table's default when absent.
int ReadIntegerSetting(const TSettingsStore& store, const TSettingKey& key);
bool ReadBoolSetting(const TSettingsStore& store, const TSettingKey& key);
std::string ReadTextSetting(const TSettingsStore& store, const TSettingKey& key);
// The caller's default when absent, for keys whose default is decided at
// run time (and for callers that show another value for a missing key).
int ReadIntegerSetting(const TSettingsStore& store, const TSettingKey& key, int defaultValue);
std::string ReadTextSetting(const TSettingsStore& store, const TSettingKey& key, const std::string& defaultValue);

void WriteIntegerSetting(TSettingsStore& store, const TSettingKey& key, int value);
void WriteBoolSetting(TSettingsStore& store, const TSettingKey& key, bool value);
void WriteTextSetting(TSettingsStore& store, const TSettingKey& key, const std::string& value);

// Numbered keys: "MRU%d" with 3 is "MRU3". Negative numbers throw
// std::invalid_argument.
std::string NumberedSettingName(const TSettingKey& key, int number);
std::optional<std::string> FindNumberedText(const TSettingsStore& store, const TSettingKey& key, int number);
void WriteNumberedText(TSettingsStore& store, const TSettingKey& key, int number, const std::string& value);

} // namespace fl
