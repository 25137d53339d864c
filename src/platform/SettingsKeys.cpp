// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsKeys.h"

#include <stdexcept>

namespace fl {

namespace {

constexpr const TSettingKey* allKeys[] = {
    &KeyMainWindowState, &KeyMainTop, &KeyMainLeft, &KeyMainHeight, &KeyMainWidth,
    &KeyInspectorVisible, &KeyInspectorHideOnce, &KeyInspectorTop, &KeyInspectorLeft, &KeyInspectorHeight,
    &KeyInspectorWidth, &KeySplitterPreviewPos,
    &KeyFrameSize, &KeyAutoSizeSplitter, &KeyFrameWindowWidth, &KeyFrameWindowAlign, &KeyInitialDir,
    &KeyInstallDir, &KeyClipDefault, &KeyClipFrame, &KeyDefaultDelay, &KeyDefaultNSLoop, &KeySyncOpenDialog,
    &KeyNoOpenDlgPreview, &KeyFrameTransparentColor, &KeyDisplayAnimation, &KeyWarnings, &KeyAutoLoadStartUp,
    &KeyWelcomeDialog, &KeyMaxUndo, &KeyDropImageDefault, &KeyCompatibility, &KeyPaletteType,
    &KeyMaxColorCount, &KeyDitherMethod, &KeyPaletteDefaults, &KeyMaxImportCount,
    &KeyNormalStyle,
    &KeysStandardToolbar.Left, &KeysStandardToolbar.Top, &KeysStandardToolbar.Visible,
    &KeysFrameToolbar.Left, &KeysFrameToolbar.Top, &KeysFrameToolbar.Visible,
    &KeysAnimationToolbar.Left, &KeysAnimationToolbar.Top, &KeysAnimationToolbar.Visible,
    &KeyRecentFile,
    &KeyThumbnailDirectory, &KeyThumbnailFilterType, &KeyThumbnailSize, &KeyThumbnailsVisible,
    &KeyThumbnailWindowHeight, &KeyExplorerWidth, &KeyExplorerVisible,
    &KeyFavoriteFolder,
};

std::string KeyPath(const TSettingKey& key)
{
    return std::string(key.Section) + '\\' + key.Name;
}

[[noreturn]] void Misuse(const TSettingKey& key, const char* what)
{
    throw std::logic_error("setting " + KeyPath(key) + ": " + what);
}

// Checks a key before a plain (not numbered) access of the given type.
void Expect(const TSettingKey& key, TSettingType type)
{
    if (key.Numbered)
        Misuse(key, "a numbered key needs its number");
    if (key.Type != type)
        Misuse(key, type == TSettingType::Integer ? "is a text, not an integer" : "is an integer, not a text");
}

void ExpectFixedDefault(const TSettingKey& key)
{
    if (key.RuntimeDefault)
        Misuse(key, "has no fixed default; pass the one of the running program");
}

} // namespace

std::span<const TSettingKey* const> AllSettingKeys()
{
    return allKeys;
}

int ReadIntegerSetting(const TSettingsStore& store, const TSettingKey& key)
{
    Expect(key, TSettingType::Integer);
    ExpectFixedDefault(key);
    return store.ReadInteger(key.Section, key.Name, key.IntegerDefault);
}

bool ReadBoolSetting(const TSettingsStore& store, const TSettingKey& key)
{
    return ReadIntegerSetting(store, key) != 0;
}

std::string ReadTextSetting(const TSettingsStore& store, const TSettingKey& key)
{
    Expect(key, TSettingType::Text);
    ExpectFixedDefault(key);
    return store.ReadString(key.Section, key.Name, key.TextDefault);
}

int ReadIntegerSetting(const TSettingsStore& store, const TSettingKey& key, int defaultValue)
{
    Expect(key, TSettingType::Integer);
    return store.ReadInteger(key.Section, key.Name, defaultValue);
}

std::string ReadTextSetting(const TSettingsStore& store, const TSettingKey& key, const std::string& defaultValue)
{
    Expect(key, TSettingType::Text);
    return store.ReadString(key.Section, key.Name, defaultValue);
}

void WriteIntegerSetting(TSettingsStore& store, const TSettingKey& key, int value)
{
    Expect(key, TSettingType::Integer);
    store.WriteInteger(key.Section, key.Name, value);
}

void WriteBoolSetting(TSettingsStore& store, const TSettingKey& key, bool value)
{
    WriteIntegerSetting(store, key, value ? 1 : 0);
}

void WriteTextSetting(TSettingsStore& store, const TSettingKey& key, const std::string& value)
{
    Expect(key, TSettingType::Text);
    store.WriteString(key.Section, key.Name, value);
}

std::string NumberedSettingName(const TSettingKey& key, int number)
{
    if (!key.Numbered)
        Misuse(key, "is not a numbered key");
    if (number < 0)
        throw std::invalid_argument("setting " + KeyPath(key) + ": negative number " + std::to_string(number));
    std::string name = key.Name;
    const std::size_t at = name.find("%d");
    if (at == std::string::npos)
        Misuse(key, "has no \"%d\" in its name");
    return name.replace(at, 2, std::to_string(number));
}

std::optional<std::string> FindNumberedText(const TSettingsStore& store, const TSettingKey& key, int number)
{
    if (key.Type != TSettingType::Text)
        Misuse(key, "is an integer, not a text");
    return store.FindString(key.Section, NumberedSettingName(key, number));
}

void WriteNumberedText(TSettingsStore& store, const TSettingKey& key, int number, const std::string& value)
{
    if (key.Type != TSettingType::Text)
        Misuse(key, "is an integer, not a text");
    store.WriteString(key.Section, NumberedSettingName(key, number), value);
}

} // namespace fl
