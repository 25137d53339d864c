// SPDX-License-Identifier: GPL-3.0-or-later
// The companion library when it is missing or is not a library: the tree
// these tests also run in builds no companion library, so the library's
// own contents are checked by the window tests (windows/ServicesTest.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <cstdio>
#include <dlfcn.h>
#ifdef __GLIBC__
#include <gnu/libc-version.h>
#endif
#endif

#include "editing/LibraryResources.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SharedLibrary.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

class LibraryResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("fl-library-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string WriteFile(const std::string& name, const std::string& content) const
    {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    // Checks the one box a failed load shows.
    static void ExpectLibraryMessage(const TScriptedMessageService& messages, const std::string& fileName)
    {
        ASSERT_EQ(messages.Requests().size(), 1u);
        const TMessageRequest& request = messages.Requests().front();
        EXPECT_EQ(request.Kind, TMsgDlgType::mtError);
        EXPECT_EQ(request.Text, "Could not load " + fileName + " library file.");
        ASSERT_EQ(request.Buttons.size(), 1u);
        EXPECT_EQ(request.Buttons.front().Button, TMsgDlgBtn::mbOK);
        EXPECT_TRUE(request.CheckBoxCaption.empty());
    }

    // A bitmap and an animation with something in them, to see that a
    // failed load empties them.
    static TBitmap FilledBitmap() { return TBitmap(3, 2, TPixelFormat::pf24bit); }
    static void FillAnimation(TGIFImage& animation)
    {
        TBitmap frame = FilledBitmap();
        animation.AddFrame(frame);
        ASSERT_FALSE(animation.IsEmpty());
    }

    fs::path folder_;
};

TEST_F(LibraryResourcesTest, CompanionFileNameFollowsTheSystem)
{
#ifdef _WIN32
    EXPECT_EQ(CompanionLibraryFileName(), "Reellib.dll");
#elif defined(__APPLE__)
    EXPECT_EQ(CompanionLibraryFileName(), "libReellib.dylib");
#else
    EXPECT_EQ(CompanionLibraryFileName(), "libReellib.so");
#endif
}

TEST_F(LibraryResourcesTest, MissingLibraryNamesItsFileAndEmptiesTheTargets)
{
    const std::string path = (folder_ / "absent" / CompanionLibraryFileName()).string();

    std::vector<uint8_t> bytes{1, 2, 3};
    EXPECT_FALSE(ReadLibraryResource(path, "SPLASH", "BITMAP", bytes));
    EXPECT_TRUE(bytes.empty());

    TScriptedMessageService bitmapMessages;
    TBitmap bitmap = FilledBitmap();
    EXPECT_FALSE(LoadLibraryBitmap(bitmapMessages, path, "SPLASH", bitmap));
    EXPECT_TRUE(bitmap.Empty());
    // The file name only: the folder would make the sentence unreadable.
    ExpectLibraryMessage(bitmapMessages, CompanionLibraryFileName());

    TScriptedMessageService animationMessages;
    TGIFImage animation;
    FillAnimation(animation);
    EXPECT_FALSE(LoadLibraryAnimation(animationMessages, path, "ANIMATED", "GIF", animation));
    EXPECT_TRUE(animation.IsEmpty());
    ExpectLibraryMessage(animationMessages, CompanionLibraryFileName());
}

TEST_F(LibraryResourcesTest, FilesThatAreNoLibraryAreRefusedLikeMissingOnes)
{
    struct Case {
        const char* name;
        std::string content;
    };
    const std::vector<Case> cases = {
        {"empty.so", ""},
        {"text.so", "This is not a shared library.\n"},
        // An ELF signature followed by nothing usable.
        {"truncated.so", std::string{'\x7f', 'E', 'L', 'F', 2, 1, 1} + std::string(40, '\0')},
        {"Reellib.dll", std::string("MZ", 2) + std::string(100, '\x01')},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const std::string path = WriteFile(item.name, item.content);
        TScriptedMessageService messages;
        TBitmap bitmap = FilledBitmap();
        EXPECT_FALSE(LoadLibraryBitmap(messages, path, "SPLASH", bitmap));
        EXPECT_TRUE(bitmap.Empty());
        ExpectLibraryMessage(messages, item.name);

        TSharedLibrary library(path);
        EXPECT_FALSE(library.Loaded());
        EXPECT_FALSE(library.Error().empty());
        EXPECT_EQ(library.Symbol("ReellibFindResource"), nullptr);
    }
}

TEST_F(LibraryResourcesTest, AFolderOrAnEmptyPathIsNoLibrary)
{
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadLibraryResource(folder_.string(), "SPLASH", "BITMAP", bytes));
    EXPECT_FALSE(ReadLibraryResource("", "SPLASH", "BITMAP", bytes));

    TScriptedMessageService messages;
    TBitmap bitmap;
    EXPECT_FALSE(LoadLibraryBitmap(messages, "", "SPLASH", bitmap));
    ExpectLibraryMessage(messages, CompanionLibraryFileName());
}

#if !defined(_WIN32) && defined(__GLIBC__)
// A real library without our export: the C library, found through one of
// its own functions.
TEST_F(LibraryResourcesTest, ALibraryWithoutTheLookupIsRefused)
{
    // A function of the C library that no sanitizer intercepts, so that its
    // address lies in the C library itself and not in the test program.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&gnu_get_libc_version), &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    const std::string path = info.dli_fname;

    TSharedLibrary library(path);
    ASSERT_TRUE(library.Loaded()) << library.Error();
    EXPECT_NE(library.Symbol("gnu_get_libc_version"), nullptr);
    EXPECT_EQ(library.Symbol("ReellibFindResource"), nullptr);

    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadLibraryResource(path, "SPLASH", "BITMAP", bytes));
    EXPECT_TRUE(bytes.empty());

    TScriptedMessageService messages;
    TGIFImage animation;
    EXPECT_FALSE(LoadLibraryAnimation(messages, path, "ANIMATED", "GIF", animation));
    ExpectLibraryMessage(messages, fs::path(path).filename().string());
}
#endif

} // namespace
} // namespace fl
