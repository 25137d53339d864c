// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/QtSettingsStore.h"

namespace fl {
namespace {

class QtSettingsStoreTest : public testing::Test {
protected:
    std::string Path(const char* name = "settings.ini") const { return folder.filePath(name).toStdString(); }
    std::unique_ptr<TQtSettingsStore> Open() const { return std::make_unique<TQtSettingsStore>(Path()); }
    void WriteFile(const std::string& content) const { std::ofstream(Path(), std::ios::binary) << content; }
    std::string FileContent() const
    {
        std::ifstream file(Path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    QTemporaryDir folder;
};

TEST_F(QtSettingsStoreTest, IntegersAndTextsKeepTheirTypeInTheFile)
{
    {
        auto store = Open();
        store->WriteInteger("Settings", "MaxUndo", 20);
        store->WriteInteger("Settings", "Offset", -7);
        store->WriteString("Settings", "FrameWindowAlign", "Right");
        store->WriteString("Settings", "Digits", "123");
        store->WriteString("Settings", "Empty", "");
        store->WriteInteger("FormPos\\Main", "Top", 12);
        EXPECT_EQ(store->FindInteger("Settings", "MaxUndo"), 20);
        EXPECT_EQ(store->FindString("Settings", "Digits"), "123");
        EXPECT_TRUE(store->Flush());
        EXPECT_EQ(store->Problem(), "");
    }
    EXPECT_NE(FileContent().find("[FormPos]"), std::string::npos) << "sections are nested groups:\n" << FileContent();

    auto store = Open();
    EXPECT_EQ(store->FindInteger("Settings", "MaxUndo"), 20);
    EXPECT_EQ(store->FindInteger("Settings", "Offset"), -7);
    EXPECT_EQ(store->FindString("Settings", "FrameWindowAlign"), "Right");
    EXPECT_EQ(store->FindString("Settings", "Digits"), "123") << "a text of digits stays a text";
    EXPECT_EQ(store->FindString("Settings", "Empty"), "");
    EXPECT_EQ(store->FindInteger("FormPos\\Main", "Top"), 12);

    EXPECT_EQ(store->FindString("Settings", "MaxUndo"), std::nullopt) << "an integer is no text";
    EXPECT_EQ(store->FindInteger("Settings", "Digits"), std::nullopt) << "a text is no integer";
    EXPECT_TRUE(store->ValueExists("Settings", "Digits"));
    EXPECT_EQ(store->ReadInteger("Settings", "Missing", 5), 5);
    EXPECT_EQ(store->FindInteger("FormPos", "Top"), std::nullopt) << "a parent section does not see nested values";
}

TEST_F(QtSettingsStoreTest, TextsWithTheFileFormatsSpecialCharactersRoundTrip)
{
    const std::string texts[] = {"C:\\Images\\", "a=b", "x;y", "one, two", "\"quoted\"", "@Variant(0)",
                                 "  padded  ", "line\nbreak", "B\xC3\xA4" "der \xE2\x82\xAC \xE6\x97\xA5",
                                 "50%", "[Section]"};
    {
        auto store = Open();
        for (std::size_t i = 0; i < std::size(texts); ++i)
            store->WriteString("ThumbNails\\Favorites", "MRU" + std::to_string(i), texts[i]);
    }
    auto store = Open();
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(store->FindString("ThumbNails\\Favorites", "MRU" + std::to_string(i)), texts[i]);
    EXPECT_EQ(store->ValueNames("ThumbNails\\Favorites").size(), std::size(texts)) << "no value split or merged";
}

TEST_F(QtSettingsStoreTest, TextsOfOtherWritersReadTheSameWithOrWithoutTheNul)
{
    WriteFile("[Settings]\n"
              "InitialDir=/home/ann/Images\n"
              "InstallDir=/opt/frameloom/\\0\n"
              "Twice=abc\\0\\0\n"
              "MaxUndo=30\n"
              "Big=99999999999\n"
              "Hex=0x10\n");
    auto store = Open();
    EXPECT_EQ(store->FindString("Settings", "InitialDir"), "/home/ann/Images");
    EXPECT_EQ(store->FindString("Settings", "InstallDir"), "/opt/frameloom/");
    EXPECT_EQ(store->FindString("Settings", "Twice"), "abc");
    EXPECT_EQ(store->FindInteger("Settings", "MaxUndo"), 30);
    EXPECT_EQ(store->FindInteger("Settings", "Big"), std::nullopt) << "beyond 32 bits it is no integer";
    EXPECT_EQ(store->FindString("Settings", "Hex"), "0x10");

    store->WriteString("Settings", "Cut", std::string("kept\0lost", 9));
    EXPECT_EQ(store->FindString("Settings", "Cut"), "kept") << "nothing after a NUL is stored";
}

TEST_F(QtSettingsStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    {
        auto store = Open();
        store->WriteInteger("FormPos\\Main", "Top", 10);
        store->WriteInteger("FORMPOS\\main", "TOP", 11);
        store->WriteInteger("formpos\\Inspector", "Width", 220);
        store->WriteString("Settings\\", "WindowState", "Normal");
    }
    const std::string content = FileContent();
    EXPECT_EQ(content.find("FORMPOS"), std::string::npos) << content;
    EXPECT_EQ(content.find("formpos"), std::string::npos) << content;

    auto store = Open();
    EXPECT_EQ(store->FindInteger("formpos\\MAIN", "top"), 11);
    EXPECT_EQ(store->FindInteger("FormPos\\Inspector", "WIDTH"), 220);
    EXPECT_EQ(store->FindString("SETTINGS", "windowstate"), "Normal") << "a trailing separator names the same section";
    EXPECT_EQ(store->ValueNames("formpos\\main"), std::vector<std::string>{"Top"});
    EXPECT_TRUE(store->DeleteValue("FORMPOS\\MAIN", "tOp"));
    EXPECT_FALSE(store->DeleteValue("FormPos\\Main", "Top"));
    EXPECT_FALSE(store->ValueExists("FormPos\\Main", "Top"));
}

TEST_F(QtSettingsStoreTest, HandWrittenSpellingsAreFoundInAnyCase)
{
    WriteFile("[thumbnails]\nthumbailsize=100\n[thumbnails/favorites]\nmru0=/a\\0\n");
    auto store = Open();
    EXPECT_EQ(store->FindInteger("ThumbNails", "ThumbailSize"), 100);
    EXPECT_EQ(store->FindString("ThumbNails\\Favorites", "MRU0"), "/a");
    store->WriteInteger("ThumbNails", "ThumbailSize", 150);
    EXPECT_EQ(store->ValueNames("ThumbNails"), std::vector<std::string>{"thumbailsize"})
        << "the stored spelling is rewritten, not doubled";
}

TEST_F(QtSettingsStoreTest, ErasingASectionTakesItsNestedSectionsAlong)
{
    {
        auto store = Open();
        store->WriteInteger("Settings", "FrameSize", 96);
        store->WriteInteger("Settings\\Toolbars", "NormalStyle", 1);
        store->WriteInteger("Settings\\Toolbars\\Frame", "Left", 4);
        store->WriteString("Settings\\MRU", "MRU0", "/a.gif");
        store->WriteInteger("SettingsOther", "Kept", 1);
        store->EraseSection("settings\\TOOLBARS");
        store->EraseSection("NoSuchSection\\Deeper");
        store->EraseSection("");
    }
    auto store = Open();
    EXPECT_FALSE(store->ValueExists("Settings\\Toolbars", "NormalStyle"));
    EXPECT_FALSE(store->ValueExists("Settings\\Toolbars\\Frame", "Left"));
    EXPECT_TRUE(store->ValueNames("Settings\\Toolbars\\Frame").empty());
    EXPECT_EQ(store->FindInteger("Settings", "FrameSize"), 96) << "the parent stays";
    EXPECT_EQ(store->FindString("Settings\\MRU", "MRU0"), "/a.gif") << "a sibling stays";
    EXPECT_EQ(store->FindInteger("SettingsOther", "Kept"), 1) << "erasing the root does nothing";
}

TEST_F(QtSettingsStoreTest, ValueNamesListTheSectionsOwnValuesSorted)
{
    auto store = Open();
    EXPECT_TRUE(store->ValueNames("Settings\\MRU").empty());
    store->WriteString("ThumbNails", "Directory", "/images");
    store->WriteInteger("ThumbNails", "visible", 1);
    store->WriteInteger("ThumbNails", "ExplorerWidth", 120);
    store->WriteString("ThumbNails\\Favorites", "MRU0", "/a");
    EXPECT_EQ(store->ValueNames("thumbnails"), (std::vector<std::string>{"Directory", "ExplorerWidth", "visible"}));
}

TEST_F(QtSettingsStoreTest, UnusableNamesAreRefusedNotMisfiled)
{
    auto store = Open();
    EXPECT_THROW(store->WriteInteger("Settings", "a/b", 1), std::invalid_argument);
    EXPECT_THROW(store->WriteString("Settings/Sub", "Key", "x"), std::invalid_argument);
    EXPECT_THROW(store->WriteInteger("Settings", "", 1), std::invalid_argument);
    EXPECT_EQ(store->FindInteger("Settings", "a/b"), std::nullopt);
    EXPECT_FALSE(store->DeleteValue("Settings", "a/b"));
    EXPECT_TRUE(store->ValueNames("Settings").empty()) << "nothing was written";
    store->WriteInteger("Settings", "Afterwards", 3);
    EXPECT_EQ(store->FindInteger("Settings", "Afterwards"), 3) << "a refused write leaves no group entered";
}

TEST_F(QtSettingsStoreTest, AStoreThatCannotBeWrittenSaysSoAndDoesNotCrash)
{
    WriteFile("not a folder");
    {
        TQtSettingsStore store(Path() + "/inside/settings.ini");
        store.WriteInteger("Settings", "MaxUndo", 20);
        EXPECT_EQ(store.FindInteger("Settings", "MaxUndo"), 20) << "kept in memory meanwhile";
        EXPECT_FALSE(store.Flush());
        EXPECT_NE(store.Problem(), "");
    }
    EXPECT_EQ(FileContent(), "not a folder");
}

TEST_F(QtSettingsStoreTest, ADamagedFileGivesWhatCanBeRead)
{
    const char damaged[] = "[Settings]\nMaxUndo=25\n\xFF\xFE\x00\x01garbage\n[[broken\n=\n";
    WriteFile(std::string(damaged, sizeof damaged - 1));
    auto store = Open();
    EXPECT_EQ(store->FindInteger("Settings", "MaxUndo"), 25);
    EXPECT_EQ(store->ReadInteger("Settings", "FrameSize", 160), 160);
}

TEST(QtSettingsStore, TheUsersStoreLivesUnderTheProgramsName)
{
    // Kept away from the real user's settings.
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    {
        TQtSettingsStore store;
        EXPECT_EQ(store.Location(), home.filePath("Quillmark Software/Frameloom 4.0.conf").toStdString());
        store.WriteInteger("Settings", "MaxUndo", 20);
    }
    EXPECT_EQ(TQtSettingsStore(home.filePath("Quillmark Software/Frameloom 4.0.conf").toStdString())
                  .FindInteger("Settings", "MaxUndo"),
              20);
}

} // namespace
} // namespace fl
