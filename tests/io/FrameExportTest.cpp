// SPDX-License-Identifier: GPL-3.0-or-later
// Exporting frames as single images: the names, the placeholder, each
// format with its options, and what a missing frame or a bad folder does.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <unistd.h>

#include "color/ColorReduction.h"
#include "color/FixedPalettes.h"
#include "gif/GIFImage.h"
#include "io/FrameExport.h"
#include "io/JpegSupport.h"
#include "io/PlaceholderPicture.h"
#include "platform/Bitmap.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

TEST(FrameExportNames, IndexGoesBeforeTheExtensionWhateverItsLength)
{
    EXPECT_EQ(ExportFileName("anim.gif", 0, TExportFormat::Gif), "animFL10.gif");
    EXPECT_EQ(ExportFileName("anim.gif", 2, TExportFormat::Gif), "animFL12.gif");
    EXPECT_EQ(ExportFileName("pic.gif", 3, TExportFormat::Gif), "picFL13.gif");
    // GIF changes the extension first; the others keep the chosen one.
    EXPECT_EQ(ExportFileName("x.jpg", 0, TExportFormat::Gif), "xFL10.gif");
    EXPECT_EQ(ExportFileName("x.jpg", 0, TExportFormat::Jpeg), "xFL10.jpg");
    EXPECT_EQ(ExportFileName("pic.jpeg", 3, TExportFormat::Jpeg), "picFL13.jpeg");
    EXPECT_EQ(ExportFileName("pic.j", 3, TExportFormat::Jpeg), "picFL13.j");
    EXPECT_EQ(ExportFileName("a.b.bmp", 12, TExportFormat::Bitmap), "a.bFL112.bmp");
    // No extension: the index goes at the end (GIF adds its extension).
    EXPECT_EQ(ExportFileName("pic", 3, TExportFormat::Jpeg), "picFL13");
    EXPECT_EQ(ExportFileName("pic", 3, TExportFormat::Gif), "picFL13.gif");
    EXPECT_EQ(ExportFileName("out/my.dir/pic", 1, TExportFormat::Bitmap), "out/my.dir/picFL11");
    EXPECT_EQ(ExportFileName("c:\\my.dir\\pic", 1, TExportFormat::Bitmap), "c:\\my.dir\\picFL11");
    EXPECT_EQ(ExportFileName("out/my.dir/pic", 1, TExportFormat::Gif), "out/my.dir/picFL11.gif");
}

TEST(FrameExportNames, WindowsPaletteSizes)
{
    EXPECT_EQ(WindowsPaletteBits(256), 8);
    EXPECT_EQ(WindowsPaletteBits(128), 7);
    EXPECT_EQ(WindowsPaletteBits(64), 6);
    EXPECT_EQ(WindowsPaletteBits(32), 5);
    EXPECT_EQ(WindowsPaletteBits(16), 4);
    EXPECT_EQ(WindowsPaletteBits(8), 3);
    for (int colors : {0, 2, 4, 100, 512})
        EXPECT_EQ(WindowsPaletteBits(colors), 0) << colors;
}

bool IsBlack(const TBitmap& bitmap, int x, int y)
{
    return bitmap.PixelColor(x, y) == 0;
}

TEST(FrameExportPlaceholder, ThreeLinesOfBlackTextOnWhite)
{
    const auto picture = MakePlaceholderPicture();
    ASSERT_EQ(picture->Width(), 125);
    ASSERT_EQ(picture->Height(), 50);
    // Each line's glyphs (9 rows with descenders) start at its corner; the
    // rest of the picture stays white.
    const int lineTops[] = {5, 20, 35};
    for (int y = 0; y < 50; ++y) {
        int line = -1;
        for (int i = 0; i < 3; ++i)
            if (y >= lineTops[i] && y < lineTops[i] + 9)
                line = i;
        for (int x = 0; x < 125; ++x) {
            const uint32_t color = picture->PixelColor(x, y);
            ASSERT_TRUE(color == 0 || color == 0xFFFFFF) << x << "," << y;
            if (line < 0 || x < 5) {
                ASSERT_EQ(color, 0xFFFFFFu) << x << "," << y;
            }
        }
    }
    for (int top : lineTops) {
        int ink = 0;
        for (int y = top; y < top + 9; ++y)
            for (int x = 0; x < 125; ++x)
                ink += IsBlack(*picture, x, y);
        EXPECT_GT(ink, 100) << "line at " << top;
    }
    // "Error..." begins with the E's full left stem, "Frameloom" with the F's.
    for (int y = 5; y < 12; ++y)
        EXPECT_TRUE(IsBlack(*picture, 5, y)) << y;
    for (int y = 35; y < 42; ++y)
        EXPECT_TRUE(IsBlack(*picture, 5, y)) << y;
}

// A colorful picture: hue ramps across, brightness down.
TBitmap ColorfulPicture(int width, int height)
{
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = uint8_t(x * 255 / width);
            p[1] = uint8_t(y * 255 / height);
            p[2] = uint8_t(255 - (x + y) * 255 / (width + height));
        }
    return bitmap;
}

struct TExportCase {
    fs::path Folder = fs::temp_directory_path() / ("fl-export-" + std::to_string(getpid()));
    TGIFImage Image;

    TExportCase()
    {
        fs::create_directories(Folder);
        // Quantized frames keep up to 256 of the pictures' colors.
        Image.ReductionMethod = reduceQuantize;
        Image.AddFrame(*std::make_unique<TBitmap>(ColorfulPicture(40, 30)));
        TBitmap dark(24, 16, TPixelFormat::pf24bit); // all black but a white square
        for (int y = 4; y < 12; ++y)
            for (int x = 8; x < 16; ++x)
                std::memset(dark.ScanLine(y) + 3 * x, 0xFF, 3);
        Image.AddFrame(dark);
        Image.AddFrame(*std::make_unique<TBitmap>(ColorfulPicture(16, 16)));
    }
    ~TExportCase() { fs::remove_all(Folder); }

    std::string Name(const std::string& file) const { return (Folder / file).string(); }
    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder))
            names.insert(entry.path().filename().string());
        return names;
    }
};

std::unique_ptr<TGIFImage> LoadGif(const std::string& path)
{
    auto image = std::make_unique<TGIFImage>();
    image->LoadFromFile(path);
    return image;
}

// The colors of the frame's table (global when it has no local one).
std::vector<TColor> TableColors(TGIFImage& image)
{
    TGIFColorMap& colors = image.Frames[0]->ActiveColors();
    std::vector<TColor> result;
    for (int i = 0; i < colors.Count(); ++i)
        result.push_back(colors.ColorAt(i));
    return result;
}

TEST(FrameExportGif, ChosenFramesGoToNumberedGifFiles)
{
    TExportCase c;
    std::vector<std::pair<int, int>> steps;
    const TFrameExportReport report =
        ExportFrames(c.Image, {0, 2}, c.Name("anim.gif"), {}, [&](int position, int count) {
            steps.push_back({position, count});
        });
    EXPECT_FALSE(report.Error);
    EXPECT_TRUE(report.Failed.empty());
    EXPECT_EQ(report.Written, (std::vector<std::string>{c.Name("animFL10.gif"), c.Name("animFL12.gif")}));
    EXPECT_EQ(c.Files(), (std::set<std::string>{"animFL10.gif", "animFL12.gif"}));
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));

    const auto first = LoadGif(c.Name("animFL10.gif"));
    ASSERT_EQ(first->Frames.Count(), 1);
    EXPECT_EQ(first->Width(), 40);
    EXPECT_EQ(first->Height(), 30);
    const auto third = LoadGif(c.Name("animFL12.gif"));
    ASSERT_EQ(third->Frames.Count(), 1);
    EXPECT_EQ(third->Width(), 16) << "the scratch animation was cleared between frames";

    // A name with another extension still gives GIF files.
    ExportFrames(c.Image, {0}, c.Name("x.jpg"), {});
    EXPECT_TRUE(fs::exists(c.Name("xFL10.gif")));
}

TEST(FrameExportGif, EachPaletteChoiceReducesTheColors)
{
    TExportCase c;
    ASSERT_GT(c.Image.Frames[0]->LocalColors.Count(), 100) << "a colorful source frame";
    const TPaletteHandle system = StockDefaultPalette();
    auto isSystem = [&](TColor color) {
        for (const TPaletteEntry& e : system->Entries)
            if (MakeColor(e.red, e.green, e.blue) == color)
                return true;
        return false;
    };
    struct TChoice {
        TExportPalette Palette;
        int Colors;
        std::function<bool(TColor)> Allowed;
        size_t MaxColors;
    };
    const std::vector<TChoice> choices = {
        {TExportPalette::Netscape, 256,
         [](TColor k) { return RedOf(k) % 51 == 0 && GreenOf(k) % 51 == 0 && BlueOf(k) % 51 == 0; }, 216},
        {TExportPalette::Grayscale, 256,
         [](TColor k) { return RedOf(k) == GreenOf(k) && GreenOf(k) == BlueOf(k); }, 256},
        {TExportPalette::Monochrome, 256,
         [](TColor k) { return k == MakeColor(0, 0, 0) || k == MakeColor(255, 255, 255); }, 2},
        {TExportPalette::WindowsSystem, 256, isSystem, 20},
        {TExportPalette::Windows, 16, [](TColor) { return true; }, 16},
        {TExportPalette::Windows, 8, [](TColor) { return true; }, 8},
    };
    for (const bool optimized : {true, false}) {
        for (const TChoice& choice : choices) {
            SCOPED_TRACE(std::to_string(int(choice.Palette)) + "/" + std::to_string(choice.Colors) +
                         (optimized ? " optimized" : " not optimized"));
            TFrameExportOptions options;
            options.Palette = choice.Palette;
            options.WindowsColors = choice.Colors;
            options.Optimized = optimized;
            const TFrameExportReport report = ExportFrames(c.Image, {0}, c.Name("p.gif"), options);
            ASSERT_EQ(report.Written.size(), 1u);
            const auto written = LoadGif(report.Written[0]);
            ASSERT_EQ(written->Frames.Count(), 1);
            TGIFSubImage& frame = *written->Frames[0];
            // Optimized: one global table and none of the frame's own.
            EXPECT_EQ(frame.LocalColors.Count() == 0, optimized);
            EXPECT_EQ(written->GlobalColors().Count() > 0, optimized);
            std::vector<TColor> colors = TableColors(*written);
            std::set<TColor> used;
            for (size_t i = 0; i < frame.PixelBytes(); ++i) {
                ASSERT_LT(frame.Pixels()[i], colors.size());
                used.insert(colors[frame.Pixels()[i]]);
            }
            EXPECT_LE(used.size(), choice.MaxColors);
            EXPECT_GT(used.size(), choice.MaxColors == 2 ? 1u : 4u);
            for (TColor color : used)
                EXPECT_TRUE(choice.Allowed(color)) << std::hex << color;
        }
    }
}

TEST(FrameExportGif, AnInvalidWindowsSizeIsRefusedBeforeWriting)
{
    TExportCase c;
    TFrameExportOptions options;
    options.Palette = TExportPalette::Windows;
    options.WindowsColors = 100;
    EXPECT_THROW(ExportFrames(c.Image, {0}, c.Name("p.gif"), options), std::invalid_argument);
    EXPECT_TRUE(c.Files().empty());
}

TEST(FrameExport, MissingAndEmptyFramesGiveThePlaceholder)
{
    TExportCase c;
    c.Image.AddFrame(std::make_unique<TGIFSubImage>(&c.Image)); // frame 3: no pixels
    for (const TExportFormat format : {TExportFormat::Gif, TExportFormat::Bitmap}) {
        TFrameExportOptions options;
        options.Format = format;
        options.Palette = TExportPalette::Monochrome;
        const TFrameExportReport empty = ExportFrames(c.Image, {3}, c.Name("e.bmp"), options);
        EXPECT_FALSE(empty.Error) << "an empty frame is no error";
        const TFrameExportReport missing = ExportFrames(c.Image, {1, 9}, c.Name("m.bmp"), options);
        EXPECT_TRUE(missing.Error);
        ASSERT_EQ(missing.Written.size(), 2u) << "the export goes on";
        for (const std::string& path : {empty.Written.at(0), missing.Written[1]}) {
            TBitmap picture;
            if (format == TExportFormat::Gif)
                picture = *LoadGif(path)->Frames[0]->RenderBitmap();
            else
                picture.LoadFromFile(path);
            ASSERT_EQ(picture.Width(), 125) << path;
            ASSERT_EQ(picture.Height(), 50);
            const auto expected = MakePlaceholderPicture();
            for (int y = 0; y < 50; ++y)
                for (int x = 0; x < 125; ++x)
                    ASSERT_EQ(picture.PixelColor(x, y), expected->PixelColor(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(fs::exists(c.Name("eFL13.gif")));
    EXPECT_TRUE(fs::exists(c.Name("mFL19.bmp")));
}

TEST(FrameExport, UnwritableFilesAreSkippedAndReported)
{
    TExportCase c;
    for (const TExportFormat format : {TExportFormat::Gif, TExportFormat::Jpeg, TExportFormat::Bitmap}) {
        TFrameExportOptions options;
        options.Format = format;
        const TFrameExportReport report = ExportFrames(c.Image, {0, 1}, c.Name("none/x.img"), options);
        EXPECT_FALSE(report.Error);
        EXPECT_TRUE(report.Written.empty());
        ASSERT_EQ(report.Failed.size(), 2u);
        EXPECT_FALSE(report.Failed[0].second.empty());
    }
    EXPECT_TRUE(c.Files().empty());
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(FrameExportJpeg, OptionsReachTheFileAndThePixelsTheFrame)
{
    TExportCase c;
    TFrameExportOptions options;
    options.Format = TExportFormat::Jpeg;
    options.Jpeg.Quality = JpegQualityForPosition(0);
    options.Jpeg.Progressive = true;
    const TFrameExportReport report = ExportFrames(c.Image, {0}, c.Name("pic.jpeg"), options);
    ASSERT_EQ(report.Written, std::vector<std::string>{c.Name("picFL10.jpeg")});
    const std::vector<uint8_t> bytes = FileBytes(report.Written[0]);
    EXPECT_EQ(test::ReadJpegFacts(bytes).FrameMarkers, std::vector<uint8_t>{0xC2});
    const test::TDecodedJpeg decoded = test::DecodeJpeg(bytes);
    ASSERT_TRUE(decoded.Ok);
    ASSERT_EQ(decoded.Width, 40);
    ASSERT_EQ(decoded.Components, 3);
    // The frame as rendered, not the original picture: the frame holds
    // quantized colors.
    const TBitmap& frame = *c.Image.Frames[0]->RenderBitmap();
    double error = 0;
    for (int y = 0; y < decoded.Height; ++y)
        for (int x = 0; x < decoded.Width; ++x) {
            const uint32_t color = frame.PixelColor(x, y);
            const uint8_t* p = &decoded.Pixels[(size_t(y) * 40 + size_t(x)) * 3];
            error += std::abs(p[0] - int(color >> 16 & 0xFF)) + std::abs(p[1] - int(color >> 8 & 0xFF)) +
                     std::abs(p[2] - int(color & 0xFF));
        }
    EXPECT_LT(error / (40.0 * 30 * 3), 4.0);

    options.Jpeg.Grayscale = true;
    options.Jpeg.Progressive = false;
    ExportFrames(c.Image, {0}, c.Name("pic.jpeg"), options);
    const test::TJpegFacts gray = test::ReadJpegFacts(FileBytes(c.Name("picFL10.jpeg")));
    EXPECT_EQ(gray.FrameMarkers, std::vector<uint8_t>{0xC0});
    EXPECT_EQ(gray.Components, 1);
}

uint16_t BitCount(const std::vector<uint8_t>& bmp)
{
    return uint16_t(bmp.at(28) | bmp.at(29) << 8);
}

TEST(FrameExportBitmap, ColorOrMonochrome)
{
    TExportCase c;
    TFrameExportOptions options;
    options.Format = TExportFormat::Bitmap;
    ExportFrames(c.Image, {0, 1}, c.Name("b.bmp"), options);
    TBitmap color;
    color.LoadFromFile(c.Name("bFL10.bmp"));
    const TBitmap& frame = *c.Image.Frames[0]->RenderBitmap();
    ASSERT_EQ(color.Width(), frame.Width());
    ASSERT_EQ(color.Height(), frame.Height());
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
            ASSERT_EQ(color.PixelColor(x, y), frame.PixelColor(x, y)) << x << "," << y;

    options.Monochrome = true;
    ExportFrames(c.Image, {0, 1}, c.Name("m.bmp"), options);
    for (const char* name : {"mFL10.bmp", "mFL11.bmp"})
        EXPECT_EQ(BitCount(FileBytes(c.Name(name))), 1) << name;
    TBitmap mono;
    mono.LoadFromFile(c.Name("mFL11.bmp"));
    ASSERT_EQ(mono.Width(), 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool inSquare = y >= 4 && y < 12 && x >= 8 && x < 16;
            ASSERT_EQ(mono.PixelColor(x, y), inSquare ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    // The colorful frame keeps light and dark parts.
    mono.LoadFromFile(c.Name("mFL10.bmp"));
    std::set<uint32_t> seen;
    for (int y = 0; y < mono.Height(); ++y)
        for (int x = 0; x < mono.Width(); ++x)
            seen.insert(mono.PixelColor(x, y));
    EXPECT_EQ(seen, (std::set<uint32_t>{0u, 0xFFFFFFu}));
}

} // namespace
} // namespace fl
