// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/SettingsStore.h"

namespace fl {
namespace {

TEST(MemorySettingsStore, AbsentValuesAndValuesOfTheOtherTypeGiveTheDefault)
{
    TMemorySettingsStore store;
    EXPECT_EQ(store.ReadInteger(SectionSettings, "FrameSize", 160), 160);
    EXPECT_EQ(store.ReadString(SectionSettings, "FrameWindowAlign", "Left"), "Left");
    EXPECT_FALSE(store.ValueExists(SectionSettings, "FrameSize"));

    store.WriteString(SectionSettings, "FrameSize", "96");
    EXPECT_EQ(store.ReadInteger(SectionSettings, "FrameSize", 160), 160) << "a text is no integer";
    EXPECT_TRUE(store.ValueExists(SectionSettings, "FrameSize"));
    store.WriteInteger(SectionSettings, "FrameSize", 96);
    EXPECT_EQ(store.ReadInteger(SectionSettings, "FrameSize", 160), 96);
    EXPECT_EQ(store.ReadString(SectionSettings, "FrameSize", "x"), "x");
    EXPECT_EQ(store.Count(), 1) << "rewriting replaces the value";
}

TEST(MemorySettingsStore, NamesIgnoreCaseAndSectionsAreSeparate)
{
    TMemorySettingsStore store;
    store.WriteInteger("Settings", "MaxUndo", 20);
    EXPECT_EQ(store.ReadInteger("SETTINGS", "maxundo", 50), 20);
    EXPECT_EQ(store.ReadInteger("Settings\\", "MaxUndo", 50), 20)
        << "a trailing separator names the same section";
    EXPECT_EQ(store.ReadInteger(SectionThumbnails, "MaxUndo", 50), 50);

    store.WriteBool(SectionInspectorForm, "Visible", false);
    EXPECT_FALSE(store.ReadBool(SectionInspectorForm, "Visible", true));
    EXPECT_EQ(store.ReadInteger(SectionInspectorForm, "Visible", 5), 0) << "booleans are stored as 0 and 1";
}

TEST(MemorySettingsStore, TextsStopAtTheirFirstNul)
{
    TMemorySettingsStore store;
    store.WriteString(SectionSettings, "InitialDir", std::string("/home/a\0/b", 10));
    EXPECT_EQ(store.ReadString(SectionSettings, "InitialDir", ""), "/home/a");
    store.WriteString(SectionSettings, "InitialDir", "");
    EXPECT_TRUE(store.ValueExists(SectionSettings, "InitialDir")) << "an empty text is still a value";
    EXPECT_EQ(store.ReadString(SectionSettings, "InitialDir", "default"), "");
}

TEST(MemorySettingsStore, DeletingValuesAndErasingSections)
{
    TMemorySettingsStore store;
    for (int i = 0; i < 3; ++i)
        store.WriteString(SectionRecentFiles, "MRU" + std::to_string(i), "file" + std::to_string(i));
    store.WriteInteger(SectionToolbars, "NormalStyle", 1);
    store.WriteInteger("Settings\\Toolbars\\Frame", "Left", 4);
    store.WriteInteger(SectionSettings, "FrameSize", 96);
    store.WriteInteger("SettingsOther", "Kept", 1);

    EXPECT_TRUE(store.DeleteValue(SectionRecentFiles, "MRU1"));
    EXPECT_FALSE(store.DeleteValue(SectionRecentFiles, "MRU1"));
    EXPECT_EQ(store.ReadString(SectionRecentFiles, "MRU2", ""), "file2");

    store.EraseSection(SectionRecentFiles);
    EXPECT_FALSE(store.ValueExists(SectionRecentFiles, "MRU0"));
    EXPECT_TRUE(store.ValueExists(SectionToolbars, "NormalStyle"));

    store.EraseSection(SectionToolbars);
    EXPECT_FALSE(store.ValueExists("Settings\\Toolbars\\Frame", "Left"))
        << "nested sections go with their parent";
    EXPECT_TRUE(store.ValueExists(SectionSettings, "FrameSize")) << "the parent section stays";
    EXPECT_TRUE(store.ValueExists("SettingsOther", "Kept")) << "a section that only starts alike stays";
    EXPECT_EQ(store.Count(), 2);
}

TEST(MemorySettingsStore, ErasingASectionSparesSectionsThatOnlySortAmongItsNestedOnes)
{
    TMemorySettingsStore store;
    store.WriteInteger("Settings", "FrameSize", 96);
    store.WriteInteger("Settings Old", "A", 1); // ' ' sorts before '\\'
    store.WriteInteger("Settings-Old", "B", 1);
    store.WriteString("Settings\\MRU", "MRU0", "a");
    store.WriteInteger("Settings\\Toolbars\\Frame", "Top", 2);
    store.EraseSection("SETTINGS");
    EXPECT_EQ(store.Count(), 2);
    EXPECT_TRUE(store.ValueExists("Settings Old", "A"));
    EXPECT_TRUE(store.ValueExists("Settings-Old", "B"));
}

TEST(MemorySettingsStore, ValueNamesListTheSectionsOwnValuesAsFirstSpelled)
{
    TMemorySettingsStore store;
    EXPECT_TRUE(store.ValueNames(SectionRecentFiles).empty());
    store.WriteString(SectionThumbnails, "Directory", "/images");
    store.WriteInteger(SectionThumbnails, "visible", 1);
    store.WriteInteger(SectionThumbnails, "VISIBLE", 0);
    store.WriteInteger(SectionThumbnails, "ExplorerWidth", 120);
    store.WriteString(SectionFavorites, "MRU0", "/a");
    EXPECT_EQ(store.ValueNames("thumbnails"), (std::vector<std::string>{"Directory", "ExplorerWidth", "visible"}))
        << "nested sections' values are not the section's own";
    EXPECT_EQ(store.ReadInteger(SectionThumbnails, "Visible", 5), 0);

    store.DeleteValue(SectionThumbnails, "Directory");
    store.EraseSection(SectionFavorites);
    EXPECT_EQ(store.ValueNames(SectionThumbnails), (std::vector<std::string>{"ExplorerWidth", "visible"}));
    EXPECT_TRUE(store.ValueNames(SectionFavorites).empty());
}

TEST(TextTerminator, TextsReadBackUnchangedWithOrWithoutTheirNul)
{
    for (const std::string text : {"", "Left", "C:\\Program Files\\", "B\xC3\xA4" "der \xE2\x82\xAC"}) {
        const std::string stored = TextWithTerminator(text);
        EXPECT_EQ(stored, text + '\0');
        EXPECT_EQ(TextUpToTerminator(stored), text);
        EXPECT_EQ(TextUpToTerminator(text), text) << "another writer's value without the NUL";
        EXPECT_EQ(TextUpToTerminator(stored + '\0'), text) << "or with more than one";
    }
    const std::string embedded("ab\0cd", 5);
    EXPECT_EQ(TextWithTerminator(embedded), std::string("ab\0", 3)) << "nothing after a NUL is kept";
    EXPECT_EQ(TextUpToTerminator(embedded), "ab");
}

} // namespace
} // namespace fl
