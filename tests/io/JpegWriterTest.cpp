// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG writing: every option shows in the file, and the pixels come back
// close to the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "io/JpegSupport.h"
#include "io/JpegWriter.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace fl {
namespace {

using test::DecodeJpeg;
using test::ReadJpegFacts;

// Smooth color ramps (red across, green down, blue on the diagonal), which
// JPEG keeps well, with an odd size so that partial blocks are covered.
TBitmap Ramps(int width = 67, int height = 45)
{
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t((x + y) * 255 / (width + height));
            row[3 * x + 1] = uint8_t(y * 255 / height);
            row[3 * x + 2] = uint8_t(x * 255 / width);
        }
    }
    return bitmap;
}

std::vector<uint8_t> Encode(const TBitmap& bitmap, const TJpegOptions& options)
{
    TMemoryStream stream;
    WriteJpeg(bitmap, options, stream);
    return stream.Bytes();
}

// Mean of |decoded - expected| over all channels; the picture is compared
// as RGB, or as its luminance for a one-component file.
double MeanError(const test::TDecodedJpeg& decoded, const TBitmap& expected)
{
    double sum = 0;
    for (int y = 0; y < decoded.Height; ++y)
        for (int x = 0; x < decoded.Width; ++x) {
            const uint32_t color = expected.PixelColor(x, y);
            const int r = int(color >> 16 & 0xFF), g = int(color >> 8 & 0xFF), b = int(color & 0xFF);
            const uint8_t* p =
                &decoded.Pixels[(size_t(y) * size_t(decoded.Width) + size_t(x)) * size_t(decoded.Components)];
            if (decoded.Components == 1) {
                sum += std::abs(p[0] - (r * 299 + g * 587 + b * 114 + 500) / 1000);
            } else {
                sum += std::abs(p[0] - r) + std::abs(p[1] - g) + std::abs(p[2] - b);
            }
        }
    return sum / (double(decoded.Width) * decoded.Height * decoded.Components);
}

TEST(JpegWriter, QualityOfTheTrackBarPositions)
{
    EXPECT_EQ(JpegQualityForPosition(0), 100);
    EXPECT_EQ(JpegQualityForPosition(1), 75);
    EXPECT_EQ(JpegQualityForPosition(2), 50);
    EXPECT_EQ(JpegQualityForPosition(3), 25);
    EXPECT_EQ(JpegQualityForPosition(4), 1);
    EXPECT_EQ(JpegQualityForPosition(-3), 100);
    EXPECT_EQ(JpegQualityForPosition(9), 1);
}

TEST(JpegWriter, DefaultsGiveABaselineColorFileThatDecodesClose)
{
    const TBitmap picture = Ramps();
    const std::vector<uint8_t> bytes = Encode(picture, {});
    const test::TJpegFacts facts = ReadJpegFacts(bytes);
    EXPECT_EQ(facts.FrameMarkers, std::vector<uint8_t>{0xC0});
    EXPECT_EQ(facts.Components, 3);
    EXPECT_EQ(facts.Width, 67);
    EXPECT_EQ(facts.Height, 45);

    const test::TDecodedJpeg decoded = DecodeJpeg(bytes);
    ASSERT_TRUE(decoded.Ok);
    ASSERT_EQ(decoded.Components, 3);
    EXPECT_LT(MeanError(decoded, picture), 4.0);
}

TEST(JpegWriter, QualityChangesTheTablesAndTheFidelity)
{
    const TBitmap picture = Ramps();
    std::vector<std::vector<uint8_t>> tables;
    std::vector<size_t> sizes;
    std::vector<double> errors;
    for (int position = 0; position <= 4; ++position) {
        TJpegOptions options;
        options.Quality = JpegQualityForPosition(position);
        const std::vector<uint8_t> bytes = Encode(picture, options);
        const test::TJpegFacts facts = ReadJpegFacts(bytes);
        ASSERT_FALSE(facts.QuantTables.empty());
        tables.push_back(facts.QuantTables[0]);
        sizes.push_back(bytes.size());
        const test::TDecodedJpeg decoded = DecodeJpeg(bytes);
        ASSERT_TRUE(decoded.Ok);
        errors.push_back(MeanError(decoded, picture));
    }
    // Quality 100 quantizes nothing; quality 1 as coarsely as baseline allows.
    EXPECT_EQ(tables[0], std::vector<uint8_t>(64, 1));
    EXPECT_EQ(tables[4], std::vector<uint8_t>(64, 255));
    for (size_t i = 1; i < tables.size(); ++i) {
        EXPECT_NE(tables[i - 1], tables[i]) << "position " << i;
        EXPECT_GT(sizes[i - 1], sizes[i]) << "position " << i;
    }
    EXPECT_LT(errors[0], 2.0);
    EXPECT_LT(errors[0], errors[4]);
}

TEST(JpegWriter, ProgressiveGrayscaleAndFastModesShowInTheFile)
{
    const TBitmap picture = Ramps();
    TJpegOptions progressive;
    progressive.Progressive = true;
    const std::vector<uint8_t> progressiveBytes = Encode(picture, progressive);
    EXPECT_EQ(ReadJpegFacts(progressiveBytes).FrameMarkers, std::vector<uint8_t>{0xC2});
    const test::TDecodedJpeg progressiveDecoded = DecodeJpeg(progressiveBytes);
    ASSERT_TRUE(progressiveDecoded.Ok);
    EXPECT_LT(MeanError(progressiveDecoded, picture), 4.0);

    for (const bool isProgressive : {false, true}) {
        TJpegOptions gray;
        gray.Grayscale = true;
        gray.Progressive = isProgressive;
        const std::vector<uint8_t> grayBytes = Encode(picture, gray);
        const test::TJpegFacts facts = ReadJpegFacts(grayBytes);
        EXPECT_EQ(facts.Components, 1);
        EXPECT_EQ(facts.FrameMarkers, std::vector<uint8_t>{uint8_t(isProgressive ? 0xC2 : 0xC0)});
        const test::TDecodedJpeg decoded = DecodeJpeg(grayBytes);
        ASSERT_TRUE(decoded.Ok);
        ASSERT_EQ(decoded.Components, 1);
        EXPECT_LT(MeanError(decoded, picture), 4.0) << "the luminance of the picture";
    }

    // The fast transform rounds differently: other coefficients, same
    // tables, and still a faithful picture.
    TJpegOptions fast;
    fast.FastDct = true;
    const std::vector<uint8_t> fastBytes = Encode(picture, fast);
    const std::vector<uint8_t> slowBytes = Encode(picture, {});
    EXPECT_NE(fastBytes, slowBytes);
    EXPECT_EQ(ReadJpegFacts(fastBytes).QuantTables, ReadJpegFacts(slowBytes).QuantTables);
    const test::TDecodedJpeg fastDecoded = DecodeJpeg(fastBytes);
    ASSERT_TRUE(fastDecoded.Ok);
    EXPECT_LT(MeanError(fastDecoded, picture), 4.0);
}

TEST(JpegWriter, AnyPixelFormatIsWrittenByItsColors)
{
    // An indexed picture: two colors in vertical stripes 16 pixels wide, so
    // that every block, subsampled color blocks too, is flat.
    auto palette = std::make_shared<TPalette>();
    palette->Entries = {{200, 30, 40, 0}, {10, 220, 90, 0}};
    TBitmap indexed(64, 16, TPixelFormat::pf8bit);
    indexed.SetPalette(palette);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            indexed.ScanLine(y)[x] = uint8_t(x / 16 % 2);
    TJpegOptions best;
    best.Quality = 100;
    const test::TDecodedJpeg decoded = DecodeJpeg(Encode(indexed, best));
    ASSERT_TRUE(decoded.Ok);
    // The decoder's smooth color upsampling blurs the stripes' edges a little;
    // a palette lost on the way would be off by a hundred.
    EXPECT_LT(MeanError(decoded, indexed), 6.0);

    TBitmap wide = Ramps();
    wide.SetPixelFormat(TPixelFormat::pf32bit);
    const test::TDecodedJpeg decodedWide = DecodeJpeg(Encode(wide, best));
    ASSERT_TRUE(decodedWide.Ok);
    EXPECT_LT(MeanError(decodedWide, wide), 2.0);
}

TEST(JpegWriter, NoiseLargerThanTheFirstBufferIsWrittenWhole)
{
    // Noise at quality 100 compresses badly: the output outgrows the first
    // block and the destination has to grow several times. Gray, so that
    // the subsampled color planes lose nothing.
    TBitmap noise(160, 120, TPixelFormat::pf24bit);
    std::mt19937 random(7);
    for (int y = 0; y < noise.Height(); ++y)
        for (size_t x = 0; x < size_t(noise.Width()); ++x)
            std::memset(noise.ScanLine(y) + 3 * x, uint8_t(random()), 3);
    TJpegOptions best;
    best.Quality = 100;
    const std::vector<uint8_t> bytes = Encode(noise, best);
    EXPECT_GT(bytes.size(), size_t(160 * 120 * 3 / 4));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9) << "ends with the end-of-image marker";
    const test::TDecodedJpeg decoded = DecodeJpeg(bytes);
    ASSERT_TRUE(decoded.Ok);
    EXPECT_LT(MeanError(decoded, noise), 8.0);
}

TEST(JpegWriter, FailuresThrowAndWriteNothing)
{
    TMemoryStream stream;
    stream.WriteByte(0x42);
    EXPECT_THROW(WriteJpeg(TBitmap(), {}, stream), EJpegError);
    // Beyond the format's 65500-pixel limit: the codec's own error, caught.
    TBitmap tooWide(70000, 1, TPixelFormat::pf24bit);
    try {
        WriteJpeg(tooWide, {}, stream);
        ADD_FAILURE() << "an over-wide picture was encoded";
    } catch (const EJpegError& error) {
        EXPECT_NE(std::string(error.what()), "");
    }
    EXPECT_EQ(stream.Size(), 1) << "nothing appended";

    const auto path =
        std::filesystem::temp_directory_path() / ("fl-jpeg-" + std::to_string(getpid()) + ".jpg");
    EXPECT_THROW(SaveJpegToFile(TBitmap(), {}, path.string()), EJpegError);
    EXPECT_FALSE(std::filesystem::exists(path)) << "no file for a failed encoding";
    EXPECT_ANY_THROW(SaveJpegToFile(Ramps(), {}, (path / "no-such-folder" / "x.jpg").string()));
    SaveJpegToFile(Ramps(), {}, path.string());
    EXPECT_GT(std::filesystem::file_size(path), 100u);
    std::filesystem::remove(path);
}

} // namespace
} // namespace fl
