// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails made in the background: a folder of good, broken and hostile
// files gives the readable pictures in order, fitted to the cell; a newer
// scan replaces an older one; a dropped picture is made again on request.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "editing/ThumbnailFolder.h"
#include "io/ImagingControl.h"
#include "io/ThumbnailMaker.h"
#include "io/ThumbnailScanner.h"
#include "platform/Bitmap.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

class ThumbnailScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("fl-thumbs-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // A picture written by the image library's converter.
    void Convert(const std::string& name, int width, int height)
    {
        std::string command = "convert -size ";
        command += std::to_string(width);
        command += 'x';
        command += std::to_string(height);
        command += " gradient:red-blue '";
        command += Path(name);
        command += "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    void WriteBitmap(const std::string& name, int width, int height)
    {
        TBitmap picture(width, height, TPixelFormat::pf24bit);
        picture.SaveToFile(Path(name));
    }

    // Runs a scan of the folder to its end, taking the results as an owner
    // does when told they are ready.
    std::vector<TScannedThumbnail> ScanAll(TThumbnailScanner& scanner, int cell)
    {
        scanner.Start(folder_.string() + "/", ListThumbnailFiles(folder_.string(), thumbFilterAll), cell);
        return TakeUntilDone(scanner);
    }

    static std::vector<TScannedThumbnail> TakeUntilDone(TThumbnailScanner& scanner)
    {
        std::vector<TScannedThumbnail> all;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (scanner.Running() && std::chrono::steady_clock::now() < deadline) {
            for (TScannedThumbnail& result : scanner.TakeResults())
                all.push_back(std::move(result));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        for (TScannedThumbnail& result : scanner.TakeResults())
            all.push_back(std::move(result));
        return all;
    }

    fs::path folder_;
};

TEST_F(ThumbnailScannerTest, ReadablePicturesArriveInOrderFittedToTheCell)
{
    Convert("a-wide.png", 300, 150);
    Convert("b-photo.jpg", 1600, 1200);
    WriteBitmap("c-tall.bmp", 150, 300);
    WriteBitmap("d-small.bmp", 76, 76);
    Convert("e-anim.gif", 40, 20);
    // Skipped: not a picture, empty, a header claiming 20,000 x 20,000,
    // a symbolic link to itself, a folder with a picture's name.
    std::ofstream(Path("f-broken.png")) << "not a picture at all";
    std::ofstream(Path("g-empty.jpg"));
    Convert("h-huge.png", 8, 8);
    {
        std::fstream huge(Path("h-huge.png"), std::ios::in | std::ios::out | std::ios::binary);
        huge.seekp(16);
        const char size[8] = {0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
        huge.write(size, 8); // the header's checksum no longer matches either
    }
    fs::create_symlink(Path("i-loop.gif"), Path("i-loop.gif"));
    fs::create_directory(Path("j-folder.png"));

    TThumbnailScanner scanner;
    const std::vector<TScannedThumbnail> results = ScanAll(scanner, 75);
    ASSERT_EQ(results.size(), 5u);
    const auto expect = [&](size_t i, const char* name, int width, int height, int thumbWidth, int thumbHeight) {
        const TThumbnail& made = results[i].Thumbnail;
        EXPECT_EQ(made.Record.FileName, name);
        EXPECT_EQ(made.Record.Width, width) << name;
        EXPECT_EQ(made.Record.Height, height) << name;
        EXPECT_EQ(made.Picture.Width(), thumbWidth) << name;
        EXPECT_EQ(made.Picture.Height(), thumbHeight) << name;
        EXPECT_EQ(made.Picture.PixelFormat(), TPixelFormat::pf32bit) << name;
        EXPECT_FALSE(results[i].Refill);
    };
    expect(0, "a-wide.png", 300, 150, 75, 37);
    // Decoded at a reduced scale, recorded at its stored size.
    expect(1, "b-photo.jpg", 1600, 1200, 75, 56);
    expect(2, "c-tall.bmp", 150, 300, 37, 75);
    expect(3, "d-small.bmp", 76, 76, 76, 76); // within the cell's one-pixel grace
    expect(4, "e-anim.gif", 40, 20, 40, 20);
    EXPECT_EQ(results[1].FileIndex, 1);
    EXPECT_EQ(results[4].FileIndex, 4);
    // The link and the folder are no files; the rest were tried.
    EXPECT_EQ(scanner.Count(), 8);
    EXPECT_EQ(scanner.Done(), 8);

    // A picture asked for again comes back as a refill.
    scanner.Request(2);
    std::vector<TScannedThumbnail> refill;
    for (int tries = 0; tries < 6000 && refill.empty(); ++tries) {
        refill = scanner.TakeResults();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(refill.size(), 1u);
    EXPECT_TRUE(refill[0].Refill);
    EXPECT_EQ(refill[0].Thumbnail.Record.FileName, "c-tall.bmp");
}

TEST_F(ThumbnailScannerTest, ANewerScanReplacesAnOlderOneAndWorkersWaitForTheOwner)
{
    for (int i = 0; i < 150; ++i)
        WriteBitmap(std::to_string(1000 + i).append(".bmp"), 64, 48);
    TThumbnailScanner scanner(2);
    // Nobody takes the results: the workers stop well before the end.
    scanner.Start(folder_.string() + "/", ListThumbnailFiles(folder_.string(), thumbFilterAll), 32);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(scanner.Done(), 100);
    EXPECT_TRUE(scanner.Running());

    // The newer scan's results alone arrive.
    fs::create_directory(Path("other"));
    WriteBitmap("other/only.bmp", 10, 10);
    scanner.Start(Path("other") + "/", ListThumbnailFiles(Path("other"), thumbFilterAll), 32);
    const std::vector<TScannedThumbnail> results = TakeUntilDone(scanner);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Thumbnail.Record.FileName, "only.bmp");

    // A cancelled scan delivers nothing, and ending the scanner mid-scan
    // does not wait for the rest of the folder.
    scanner.Start(folder_.string() + "/", ListThumbnailFiles(folder_.string(), thumbFilterAll), 32);
    scanner.Cancel();
    EXPECT_FALSE(scanner.Running());
    EXPECT_TRUE(scanner.TakeResults().empty());
    scanner.Start(folder_.string() + "/", ListThumbnailFiles(folder_.string(), thumbFilterAll), 32);
}

TEST(ThumbnailMaker, ShrinkingAveragesTheCoveredPixels)
{
    TBitmap source(4, 2, TPixelFormat::pf32bit);
    const uint8_t pixels[2][4] = {{0, 100, 200, 255}, {50, 150, 0, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* pixel = source.ScanLine(y) + x * 4;
            pixel[0] = pixel[1] = pixel[2] = pixels[y][x];
        }
    const TBitmap half = ShrinkBitmap(source, 2, 1);
    ASSERT_EQ(half.Width(), 2);
    ASSERT_EQ(half.Height(), 1);
    EXPECT_EQ(half.ScanLine(0)[0], 75);  // (0 + 100 + 50 + 150) / 4
    EXPECT_EQ(half.ScanLine(0)[4], 114); // (200 + 255 + 0 + 1) / 4, rounded
    // A picture that keeps its size is copied as 32 bits.
    TBitmap indexed(3, 3, TPixelFormat::pf8bit);
    const TBitmap same = ShrinkBitmap(indexed, 3, 3);
    EXPECT_EQ(same.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(same.Width(), 3);
}

} // namespace
} // namespace fl
