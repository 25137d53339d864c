// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser's folder listing, grid geometry and status text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editing/ThumbnailFolder.h"
#include "editing/EditorTestSupport.h"

namespace fl {
namespace {

TEST(ThumbnailFolder, TheFilterChoosesImageFilesSortedWithoutRegardToCase)
{
    test::ScratchFolder folder;
    for (const char* name : {"b.GIF", "a.png", "C.jpg", "notes.txt", ".hidden.gif", "d.avi"})
        std::ofstream(folder.File(name)) << std::string(2048, 'x');
    std::filesystem::create_directory(folder.File("sub.gif"));

    const auto names = [&](int filter) {
        std::vector<std::string> listed;
        for (const TThumbnailFile& file : ListThumbnailFiles(folder.Path().string(), filter))
            listed.push_back(file.Name);
        return listed;
    };
    EXPECT_EQ(names(thumbFilterAll), (std::vector<std::string>{"a.png", "b.GIF", "C.jpg"}));
    EXPECT_EQ(names(0), (std::vector<std::string>{"b.GIF"}));
    EXPECT_TRUE(names(thumbFilterNone).empty());
    EXPECT_EQ(ListThumbnailFiles(folder.Path().string(), thumbFilterAll).front().Size, 2048u);
    EXPECT_TRUE(ListThumbnailFiles(folder.File("missing"), thumbFilterAll).empty());
}

TEST(ThumbnailFolder, TheGridHoldsEveryFileAndTheStatusNamesTheThumbnail)
{
    EXPECT_EQ(ThumbnailColumnWidth(15, 75), 119);
    EXPECT_EQ(ThumbnailColumns(500, 119), 4);
    EXPECT_EQ(ThumbnailColumns(50, 119), 1);
    EXPECT_EQ(ThumbnailRows(5, 4), 2);
    EXPECT_EQ(ThumbnailRows(6, 4), 2);  // 1.5 rounds to 2
    EXPECT_EQ(ThumbnailRows(10, 4), 3); // 2.5 rounds to 2, then one more
    EXPECT_EQ(ThumbnailRows(8, 4), 2);
    EXPECT_EQ(ThumbnailRows(0, 4), 1);
    EXPECT_EQ(ThumbnailStatusText({"cat.png", 30, 40, 2}), "cat.png - (30 x 40) 2KB");
}

} // namespace
} // namespace fl
