// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/SettingsKeys.h"

namespace fl {
namespace {

std::string LowerPath(const TSettingKey& key)
{
    std::string path = std::string(key.Section) + '\\' + key.Name;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path;
}

bool Listed(const TSettingKey& key)
{
    const auto keys = AllSettingKeys();
    return std::find(keys.begin(), keys.end(), &key) != keys.end();
}

TEST(SettingKeys, KeysAreSpelledAsTheTreeSpellsThem)
{
    EXPECT_STREQ(KeyThumbnailSize.Section, "ThumbNails");
    EXPECT_STREQ(KeyThumbnailSize.Name, "ThumbailSize");
    EXPECT_EQ(KeyThumbnailSize.IntegerDefault, 75);
    EXPECT_EQ(KeyFrameWindowAlign.Type, TSettingType::Text);
    EXPECT_STREQ(KeyFrameWindowAlign.TextDefault, "Left");
    EXPECT_EQ(KeyFrameTransparentColor.IntegerDefault, 0xFFFFFF);
    EXPECT_EQ(KeyClipFrame.IntegerDefault, 1);
    EXPECT_STREQ(KeysAnimationToolbar.Visible.Section, "Settings\\Toolbars\\Animation");
    EXPECT_EQ(KeyInspectorHeight.IntegerDefault, 430);
    EXPECT_STREQ(KeyFavoriteFolder.Section, "ThumbNails\\Favorites");
}

TEST(SettingKeys, TheTableIsWholeAndEveryKeyIsUnique)
{
    std::set<std::string> paths;
    for (const TSettingKey* key : AllSettingKeys()) {
        const std::string path = LowerPath(*key);
        EXPECT_TRUE(paths.insert(path).second) << path << " twice";
        EXPECT_NE(std::string(key->Section).back(), '\\') << path;
        EXPECT_EQ(std::string(key->Name).find('\\'), std::string::npos) << path;
        EXPECT_EQ(std::string(key->Name).find('%') != std::string::npos, key->Numbered) << path;
        EXPECT_NE(key->TextDefault, nullptr) << path;
    }
    for (const TSettingKey* key : {&KeyMaxUndo, &KeyWelcomeDialog, &KeyWarnings, &KeyCompatibility, &KeyPaletteDefaults,
                                   &KeysStandardToolbar.Top, &KeysFrameToolbar.Left, &KeyFavoriteFolder})
        EXPECT_TRUE(Listed(*key)) << key->Name;
    EXPECT_TRUE(paths.count("thumbnails\\favorites\\mru%d") && paths.count("settings\\mru\\mru%d"))
        << "both numbered lists have a pattern";
}

TEST(SettingKeys, DefaultsOfTheRunningProgramAreFlaggedNotInvented)
{
    for (const TSettingKey* key : {&KeyMainTop, &KeyInspectorLeft, &KeySplitterPreviewPos, &KeyInitialDir,
                                   &KeyThumbnailDirectory, &KeysFrameToolbar.Left, &KeyRecentFile})
        EXPECT_TRUE(key->RuntimeDefault) << key->Section << '\\' << key->Name;
    for (const TSettingKey* key : {&KeyMaxUndo, &KeyInspectorHeight, &KeyMainWindowState, &KeysFrameToolbar.Visible})
        EXPECT_FALSE(key->RuntimeDefault) << key->Section << '\\' << key->Name;
}

TEST(SettingKeys, AccessorsUseTheKeysSectionNameAndDefault)
{
    TMemorySettingsStore store;
    EXPECT_EQ(ReadIntegerSetting(store, KeyMaxUndo), 50);
    EXPECT_EQ(ReadTextSetting(store, KeyMainWindowState), "Maximized");
    EXPECT_TRUE(ReadBoolSetting(store, KeyExplorerVisible));
    EXPECT_EQ(ReadIntegerSetting(store, KeyMainTop, 33), 33);
    EXPECT_EQ(ReadTextSetting(store, KeyInitialDir, "/opt/fl/Images"), "/opt/fl/Images");
    EXPECT_EQ(ReadIntegerSetting(store, KeyThumbnailSize, 100), 100) << "a caller may show its own default";

    WriteIntegerSetting(store, KeyMaxUndo, 20);
    WriteBoolSetting(store, KeysFrameToolbar.Visible, false);
    WriteTextSetting(store, KeyFrameWindowAlign, "Right");
    EXPECT_EQ(store.ReadInteger("Settings", "MaxUndo", 0), 20);
    EXPECT_EQ(store.ReadInteger("Settings\\Toolbars\\Frame", "Visible", 5), 0);
    EXPECT_FALSE(store.ValueExists("Settings\\Toolbars\\Standard", "Visible")) << "each toolbar has its section";
    EXPECT_EQ(store.ReadString("Settings", "FrameWindowAlign", ""), "Right");
    EXPECT_EQ(ReadIntegerSetting(store, KeyMaxUndo, 7), 20) << "a stored value wins over the caller's default";
}

TEST(SettingKeys, MisusedKeysThrowInsteadOfReadingTheWrongValue)
{
    TMemorySettingsStore store;
    EXPECT_THROW(ReadTextSetting(store, KeyMaxUndo), std::logic_error);
    EXPECT_THROW(WriteIntegerSetting(store, KeyFrameWindowAlign, 1), std::logic_error);
    EXPECT_THROW(ReadIntegerSetting(store, KeyMainTop), std::logic_error) << "no fixed default to fall back on";
    EXPECT_THROW(ReadTextSetting(store, KeyRecentFile, ""), std::logic_error) << "a numbered key needs its number";
    EXPECT_THROW(NumberedSettingName(KeyMaxUndo, 1), std::logic_error);
    EXPECT_EQ(store.Count(), 0);
}

TEST(SettingKeys, NumberedKeysFormatTheirNames)
{
    EXPECT_EQ(NumberedSettingName(KeyRecentFile, 0), "MRU0");
    EXPECT_EQ(NumberedSettingName(KeyFavoriteFolder, 12), "MRU12");
    EXPECT_THROW(NumberedSettingName(KeyRecentFile, -1), std::invalid_argument);

    TMemorySettingsStore store;
    WriteNumberedText(store, KeyFavoriteFolder, 1, "/home/a");
    EXPECT_EQ(store.ReadString("ThumbNails\\Favorites", "MRU1", ""), "/home/a");
    EXPECT_EQ(FindNumberedText(store, KeyFavoriteFolder, 1), "/home/a");
    EXPECT_EQ(FindNumberedText(store, KeyRecentFile, 1), std::nullopt) << "the recent files are a separate list";
}

} // namespace
} // namespace fl
