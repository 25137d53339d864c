// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging control: pictures written by the image library's own writers
// come back with their size and (lossless formats) their exact pixels;
// hostile and mislabeled files are refused quickly with a non-zero code.
// The pictures are written with the library's command line tool, fed raw
// RGB rows, so that every writer is the library's own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "editing/FileTypes.h"
#include "io/ImageFileReader.h"
#include "io/ImagingControl.h"
#include "platform/Bitmap.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

constexpr int W = 37; // odd, so that DIB rows need padding
constexpr int H = 23;

uint32_t PatternColor(int x, int y)
{
    const uint32_t r = uint32_t(x * 7) & 255, g = uint32_t(y * 11) & 255, b = uint32_t(x * y + 40) & 255;
    return r << 16 | g << 8 | b;
}

std::vector<uint8_t> PatternRGB(int width, int height, uint32_t (*color)(int, int))
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = color(x, y);
            rgb.push_back(uint8_t(c >> 16));
            rgb.push_back(uint8_t(c >> 8));
            rgb.push_back(uint8_t(c));
        }
    return rgb;
}

uint32_t GrayColor(int x, int y)
{
    const uint32_t v = uint32_t(x * 5 + y * 3) & 255;
    return v << 16 | v << 8 | v;
}

uint32_t CheckerColor(int x, int y)
{
    return ((x / 3 + y / 2) & 1) ? 0xFFFFFF : 0x000000;
}

std::string U16(unsigned v)
{
    return std::string{char(v & 255), char(v >> 8)};
}

std::string U32BE(uint32_t v)
{
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

class ImagingControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The first control sets the library up (policy and limits) before
        // the writers below run.
        TImagingControl first;
        folder_ = fs::temp_directory_path() / ("fl-imaging-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static fs::path PathFor(const std::string& name) { return folder_ / name; }

    // Runs the library's converter on raw RGB pictures of the pattern
    // (several make several pages) with extra options before the target.
    static std::string Convert(const std::string& name, const std::string& target,
                               std::initializer_list<uint32_t (*)(int, int)> pages,
                               const std::string& options = "", int width = W, int height = H)
    {
        std::string command = "convert";
        int page = 0;
        for (auto color : pages) {
            const std::vector<uint8_t> rgb = PatternRGB(width, height, color);
            const std::string raw = PathFor(name + "." + std::to_string(page++) + ".rgb").string();
            std::ofstream(raw, std::ios::binary)
                .write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
            command += " -size " + std::to_string(width) + "x" + std::to_string(height) +
                       " -depth 8 'rgb:" + raw + "'";
        }
        const std::string path = PathFor(name).string();
        const std::string written = PathFor("out-" + std::to_string(counter_++)).string();
        command += " " + options + " '" + target + ":" + written + "' 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::filesystem::rename(written, path);
        return path;
    }

    static std::string Write(const std::string& name, const std::string& coder,
                             uint32_t (*color)(int, int) = PatternColor)
    {
        return Convert(name, coder, {color});
    }

    static void WriteBytes(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }

    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    static void ExpectPixels(const TBitmap& bitmap, uint32_t (*color)(int, int), const std::string& what)
    {
        ASSERT_EQ(bitmap.Width(), W) << what;
        ASSERT_EQ(bitmap.Height(), H) << what;
        int wrong = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                wrong += bitmap.PixelColor(x, y) != color(x, y);
        EXPECT_EQ(wrong, 0) << what;
    }

    // Loads through the control and turns the copy into a bitmap.
    static int Load(const std::string& path, TBitmap& bitmap)
    {
        TImagingControl control;
        control.LoadFile(path);
        if (control.ErrorCode() != icOK)
            return control.ErrorCode();
        BitmapFromDIB(control.CopyAsDIB(), bitmap);
        control.ReleaseImage();
        return icOK;
    }

    static int LoadCode(const std::string& path)
    {
        TImagingControl control;
        control.LoadFile(path);
        EXPECT_EQ(control.ErrorCode() != icOK, !control.ErrorText().empty()) << path;
        return control.ErrorCode();
    }

    static fs::path folder_;
    static int counter_;
};

fs::path ImagingControlTest::folder_;
int ImagingControlTest::counter_ = 0;

TEST_F(ImagingControlTest, LosslessFormatsGiveBackTheExactPixels)
{
    const std::pair<const char*, const char*> cases[] = {
        {"p.png", "PNG"}, {"p.tif", "TIFF"}, {"p.tga", "TGA"}, {"p.pcx", "PCX"},
        {"p.ppm", "PPM"}, {"p.dcx", "DCX"},  {"p.ico", "ICO"}, {"p.pic", "PICT"},
    };
    for (const auto& [name, coder] : cases) {
        const std::string path = Write(name, coder);
        TBitmap bitmap;
        ASSERT_EQ(Load(path, bitmap), icOK) << name;
        ExpectPixels(bitmap, PatternColor, name);
    }
}

TEST_F(ImagingControlTest, GrayAndBlackWhitePicturesComeAsCompactIndexedBitmaps)
{
    TBitmap gray;
    ASSERT_EQ(Load(Write("g.pgm", "PGM", GrayColor), gray), icOK);
    EXPECT_EQ(gray.BitsPerPixel(), 8);
    ExpectPixels(gray, GrayColor, "pgm");

    TBitmap mono;
    ASSERT_EQ(Load(Write("m.pbm", "PBM", CheckerColor), mono), icOK);
    EXPECT_EQ(mono.BitsPerPixel(), 1);
    ExpectPixels(mono, CheckerColor, "pbm");

    // A color format holding only grays is compacted the same way.
    TBitmap grayPng;
    ASSERT_EQ(Load(Write("g.png", "PNG", GrayColor), grayPng), icOK);
    EXPECT_EQ(grayPng.BitsPerPixel(), 8);
    ExpectPixels(grayPng, GrayColor, "gray png");
}

TEST_F(ImagingControlTest, JpegFamilyExtensionsReadWithTheRightSize)
{
    for (const char* name : {"j.jpg", "j.jif", "j.ljp"}) {
        const std::string path = Write(name, "JPEG");
        TBitmap bitmap;
        ASSERT_EQ(Load(path, bitmap), icOK) << name;
        EXPECT_EQ(bitmap.Width(), W);
        EXPECT_EQ(bitmap.Height(), H);
        // Lossy, but close: compare one smooth spot.
        const uint32_t c = bitmap.PixelColor(1, 1), e = PatternColor(1, 1);
        EXPECT_NEAR(int(c >> 16), int(e >> 16), 40) << name;
    }
}

TEST_F(ImagingControlTest, RunLengthBitmapsReadAsRle)
{
    // Windows run-length bitmaps are what .rle files mostly hold.
    const std::string path = Convert("r.rle", "BMP3", {CheckerColor}, "-type Palette -compress RLE");
    ASSERT_EQ(ReadBytes(path).substr(0, 2), "BM");
    TBitmap bitmap;
    ASSERT_EQ(Load(path, bitmap), icOK);
    ExpectPixels(bitmap, CheckerColor, "rle");
}

TEST_F(ImagingControlTest, UtahRunLengthFilesReadWhenTheBitmapCoderDeclines)
{
    // 3 x 2, three color planes, no background color; rows are stored from
    // the bottom up, each plane as one literal run.
    const uint32_t top[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    const uint32_t bottom[3] = {0x0A141E, 0x28323C, 0x46505A};
    std::string bytes = std::string("\x52\xCC", 2) + U16(0) + U16(0) + U16(3) + U16(2);
    bytes += std::string("\x02\x03\x08\x00\x00\x00", 6);
    for (const uint32_t* row : {bottom, top}) {
        for (int plane = 0; plane < 3; ++plane) {
            bytes += {'\x02', char(plane), '\x05', '\x02'};
            for (int x = 0; x < 3; ++x)
                bytes += char(row[x] >> (16 - 8 * plane));
            bytes += '\0'; // runs of odd length are padded
        }
        bytes += {'\x01', '\x01'};
    }
    bytes += '\x07';
    const std::string path = PathFor("utah.rle").string();
    WriteBytes(path, bytes);
    TBitmap bitmap;
    ASSERT_EQ(Load(path, bitmap), icOK);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(bitmap.PixelColor(x, 0), top[x]);
        EXPECT_EQ(bitmap.PixelColor(x, 1), bottom[x]);
    }
}

TEST_F(ImagingControlTest, OnlyTheFirstPageOfAMultiPageFileIsTaken)
{
    const std::string path = Convert("two.dcx", "DCX", {PatternColor, GrayColor});
    TBitmap bitmap;
    ASSERT_EQ(Load(path, bitmap), icOK);
    ExpectPixels(bitmap, PatternColor, "first page");
}

TEST_F(ImagingControlTest, ResizeScalesToExactlyTheSizeAndRefusesNonsense)
{
    TImagingControl control;
    EXPECT_FALSE(control.Resize(10, 10)) << "no image held";
    control.LoadFile(Write("s.png", "PNG"));
    ASSERT_EQ(control.ErrorCode(), icOK);
    EXPECT_EQ(control.ImageWidth(), W);
    EXPECT_EQ(control.ImageHeight(), H);
    EXPECT_FALSE(control.Resize(0, 5));
    EXPECT_FALSE(control.Resize(40000, 5));
    EXPECT_FALSE(control.Resize(30000, 30000)) << "beyond the pixel limit";
    EXPECT_EQ(control.ImageWidth(), W);
    ASSERT_TRUE(control.Resize(100, 7)); // not in proportion
    EXPECT_EQ(control.ImageWidth(), 100);
    EXPECT_EQ(control.ImageHeight(), 7);
    TBitmap bitmap;
    BitmapFromDIB(control.CopyAsDIB(), bitmap);
    EXPECT_EQ(bitmap.Width(), 100);
    EXPECT_EQ(bitmap.Height(), 7);

    control.ReleaseImage();
    EXPECT_EQ(control.ImageWidth(), 0);
    EXPECT_TRUE(control.CopyAsDIB().empty());
}

TEST_F(ImagingControlTest, PathsAreNeverReadAsLibraryFileNameSyntax)
{
    // Brackets select frames and a leading "|" runs a command when the
    // library sees a path; the control hands it bytes instead.
    const std::string path = Write("a[1]|b.png", "PNG");
    TBitmap bitmap;
    ASSERT_EQ(Load(path, bitmap), icOK);
    ExpectPixels(bitmap, PatternColor, "odd name");
}

TEST_F(ImagingControlTest, UnknownMissingAndEmptyFilesAreRefused)
{
    const std::string png = ReadBytes(Write("u.png", "PNG"));
    for (const char* name : {"u.jpeg", "u.svg", "u.gif.txt", "u", "u.avi"}) {
        WriteBytes(PathFor(name).string(), png);
        EXPECT_EQ(LoadCode(PathFor(name).string()), icUnknownType) << name;
    }
    EXPECT_EQ(LoadCode(PathFor("missing.png").string()), icFileNotFound);
    // Not plain files: a folder, and a pipe that would block a read.
    fs::create_directories(PathFor("folder.png"));
    EXPECT_EQ(LoadCode(PathFor("folder.png").string()), icFileNotFound);
    ASSERT_EQ(mkfifo(PathFor("pipe.tga").c_str(), 0600), 0);
    EXPECT_EQ(LoadCode(PathFor("pipe.tga").string()), icFileNotFound);
    WriteBytes(PathFor("empty.tga").string(), "");
    EXPECT_NE(LoadCode(PathFor("empty.tga").string()), icOK);
}

TEST_F(ImagingControlTest, AnExtensionThatLiesAboutTheContentIsRefused)
{
    const std::string png = ReadBytes(Write("l.png", "PNG"));
    for (const char* name :
         {"l.jpg", "l.pcx", "l.tif", "l.ico", "l.ppm", "l.wmf", "l.wpg", "l.pic", "l.rle"}) {
        WriteBytes(PathFor(name).string(), png);
        EXPECT_NE(LoadCode(PathFor(name).string()), icOK) << name;
    }
    // A vector script behind a picture extension reaches no script coder.
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'>"
                            "<image href='file:///etc/passwd'/></svg>";
    const std::string mvg =
        "push graphic-context\nviewbox 0 0 9 9\nimage over 0,0 9,9 'file:///etc/passwd'\n";
    for (const char* name : {"s.png", "s.wmf", "s.wpg", "s.tga"}) {
        WriteBytes(PathFor(name).string(), svg);
        EXPECT_NE(LoadCode(PathFor(name).string()), icOK) << name;
        WriteBytes(PathFor(name).string(), mvg);
        EXPECT_NE(LoadCode(PathFor(name).string()), icOK) << name;
    }
}

TEST_F(ImagingControlTest, HeadersDeclaringHugePicturesAreRefusedQuickly)
{
    // PNG: a real picture whose header chunk is patched to 60000 x 60000.
    std::string png = ReadBytes(Write("h.png", "PNG"));
    ASSERT_GE(png.size(), 33u);
    png.replace(16, 8, U32BE(60000) + U32BE(60000));
    // The header chunk's crc, recomputed.
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 12; i < 29; ++i) {
        c ^= uint8_t(png[i]);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    png.replace(29, 4, U32BE(~c));
    WriteBytes(PathFor("huge.png").string(), png);
    EXPECT_NE(LoadCode(PathFor("huge.png").string()), icOK);

    // TGA: uncompressed true color, 60000 x 60000, a few bytes of pixels.
    std::string tga = std::string("\0\0\2", 3) + std::string(9, '\0') + U16(60000) + U16(60000) + "\x18\x20";
    tga += std::string(64, '\x7f');
    WriteBytes(PathFor("huge.tga").string(), tga);
    EXPECT_NE(LoadCode(PathFor("huge.tga").string()), icOK);

    // PCX and PPM say it in their headers too.
    WriteBytes(PathFor("huge.ppm").string(), "P6\n60000 60000\n255\n" + std::string(30, 'x'));
    EXPECT_NE(LoadCode(PathFor("huge.ppm").string()), icOK);
    std::string pcx = ReadBytes(Write("h.pcx", "PCX"));
    pcx.replace(8, 4, U16(59999) + U16(59999));
    WriteBytes(PathFor("huge.pcx").string(), pcx);
    EXPECT_NE(LoadCode(PathFor("huge.pcx").string()), icOK);
}

TEST_F(ImagingControlTest, TruncatedFilesAreRefused)
{
    const std::pair<const char*, const char*> cases[] = {
        {"t.png", "PNG"},  {"t.jpg", "JPEG"}, {"t.tga", "TGA"},
        {"t.tif", "TIFF"}, {"t.ppm", "PPM"},  {"t.pcx", "PCX"},
    };
    for (const auto& [name, coder] : cases) {
        const std::string whole = ReadBytes(Write(std::string("w") + name, coder));
        WriteBytes(PathFor(name).string(), whole.substr(0, whole.size() / 2));
        EXPECT_NE(LoadCode(PathFor(name).string()), icOK) << name;
    }
}

TEST_F(ImagingControlTest, CopiedDIBBecomesABitmapOrAClearError)
{
    TBitmap bitmap;
    EXPECT_THROW(BitmapFromDIB({}, bitmap), EBitmapError);
    EXPECT_THROW(BitmapFromDIB({40, 0, 0, 0, 1, 0}, bitmap), EBitmapError);
    std::vector<uint8_t> hugeTable(64, 0);
    hugeTable[0] = 40;
    hugeTable[33] = 0x10; // 4096 colors used
    EXPECT_THROW(BitmapFromDIB(hugeTable, bitmap), EBitmapError);
}

TEST_F(ImagingControlTest, TheReaderRoutesEachTypeAndChecksItAgainstTheExtension)
{
    TImagingFileReader reader;
    TBitmap bitmap;
    const std::string png = Write("r.png", "PNG");
    EXPECT_EQ(reader.LoadImage(png, ftPNG, bitmap), icOK);
    ExpectPixels(bitmap, PatternColor, "png through the reader");
    EXPECT_EQ(reader.LoadImage(png, ftJPG, bitmap), icUnknownType);
    EXPECT_FALSE(reader.LastError().empty());
    EXPECT_EQ(reader.LoadImage(png, ftAVI, bitmap), icUnknownType);

    // BMP goes through the engine's own reader.
    const std::string bmp = PathFor("r.bmp").string();
    TBitmap source(W, H, TPixelFormat::pf24bit);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t c = PatternColor(x, y);
            uint8_t* p = source.ScanLine(y) + x * 3;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
    source.SaveToFile(bmp);
    TBitmap fromBmp;
    EXPECT_EQ(reader.LoadImage(bmp, ftBMP, fromBmp), icOK);
    ExpectPixels(fromBmp, PatternColor, "bmp");
    EXPECT_NE(reader.LoadImage(png, ftBMP, fromBmp), icOK);
}

} // namespace
} // namespace fl
