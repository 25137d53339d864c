// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "document/RecentFiles.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"

namespace fl {
namespace {

std::string PathNumber(int i)
{
    return "/animations/file" + std::to_string(i) + ".gif";
}

TEST(RecentFiles, NewestFirstAtMostTenAndReopenedFilesMoveUp)
{
    TRecentFiles recent;
    for (int i = 0; i < 11; ++i)
        recent.Add(PathNumber(i));
    ASSERT_EQ(recent.Paths().size(), 10u);
    EXPECT_EQ(recent.Paths().front(), PathNumber(10));
    EXPECT_EQ(recent.Paths().back(), PathNumber(1)) << "the oldest went";
    EXPECT_EQ(recent.Caption(0), "&0 " + PathNumber(10));

    recent.Add(PathNumber(5));
    EXPECT_EQ(recent.Paths().size(), 10u);
    EXPECT_EQ(recent.Caption(0), "&0 " + PathNumber(5));
    EXPECT_EQ(recent.Caption(1), "&1 " + PathNumber(10));
}

TEST(RecentFiles, PathsCompareExactly)
{
    TRecentFiles recent;
    recent.Add("/a/b.gif2");
    recent.Add("/a/b.gif");
    EXPECT_EQ(recent.Paths().size(), 2u);
    EXPECT_TRUE(recent.Remove("/a/b.gif"));
    EXPECT_FALSE(recent.Remove("/a/b.gif"));
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/a/b.gif2"}));
    recent.Add("");
    EXPECT_EQ(recent.Paths().size(), 1u);
}

TEST(RecentFiles, TheSettingsHoldTheListInOrder)
{
    TMemorySettingsStore store;
    WriteNumberedText(store, KeyRecentFile, 7, "/stale.gif");
    TRecentFiles recent;
    for (int i = 0; i < 11; ++i)
        recent.Add(PathNumber(i));
    recent.Save(store);
    EXPECT_FALSE(FindNumberedText(store, KeyRecentFile, 10));
    EXPECT_EQ(*FindNumberedText(store, KeyRecentFile, 0), PathNumber(10));
    EXPECT_EQ(*FindNumberedText(store, KeyRecentFile, 9), PathNumber(1));
    EXPECT_EQ(store.ValueNames(KeyRecentFile.Section).size(), 10u);

    // Empty values are skipped when read; the order stays.
    WriteNumberedText(store, KeyRecentFile, 1, "");
    TRecentFiles reread;
    reread.Load(store);
    ASSERT_EQ(reread.Paths().size(), 9u);
    EXPECT_EQ(reread.Paths()[0], PathNumber(10));
    EXPECT_EQ(reread.Paths()[1], PathNumber(8));
}

} // namespace
} // namespace fl
