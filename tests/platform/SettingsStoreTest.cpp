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

} // namespace
} // namespace fl
