// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/TempFiles.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

class TempFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("fl-tempfiles-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(TempFilesTest, TempFolderEndsWithASeparatorAndExists)
{
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
    EXPECT_LE(folder.size(), MaxTempFolderLength);
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(TempFilesTest, NamesAreCreatedEmptyWithThePrefix)
{
    const std::string path = MakeTempFileName(folder_.string(), TempFilePrefix);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::exists(path)) << "the name is taken on the spot";
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(fs::path(path).parent_path(), folder_);
    const std::string name = fs::path(path).filename().string();
    EXPECT_EQ(name.rfind("~FL", 0), 0u) << name;
    EXPECT_EQ(fs::path(path).extension(), ".tmp");

    const std::string withSeparator = MakeTempFileName(folder_.string() + "/", "x");
    ASSERT_FALSE(withSeparator.empty());
    EXPECT_EQ(fs::path(withSeparator).parent_path(), folder_);
}

TEST_F(TempFilesTest, FailuresAnswerAnEmptyName)
{
    EXPECT_EQ(MakeTempFileName("", TempFilePrefix), "");
    EXPECT_EQ(MakeTempFileName((folder_ / "missing").string(), TempFilePrefix), "");
    // A file where the folder should be.
    const std::string file = MakeTempFileName(folder_.string(), "f");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(MakeTempFileName(file, TempFilePrefix), "");
}

TEST_F(TempFilesTest, ConcurrentCallersNeverShareAName)
{
    constexpr int threads = 8;
    constexpr int perThread = 200;
    std::mutex lock;
    std::vector<std::string> names;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            std::vector<std::string> mine;
            for (int i = 0; i < perThread; ++i)
                mine.push_back(MakeTempFileName(folder_.string(), TempFilePrefix));
            std::lock_guard guard(lock);
            names.insert(names.end(), mine.begin(), mine.end());
        });
    for (auto& worker : workers)
        worker.join();
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.count(""), 0u);
    EXPECT_EQ(unique.size(), names.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()),
              static_cast<long>(threads * perThread));
}

} // namespace
} // namespace fl
