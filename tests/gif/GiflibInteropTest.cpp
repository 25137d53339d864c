// SPDX-License-Identifier: GPL-3.0-or-later
// giflib as the independent party: what we write it must read as we meant
// it, what it writes we must read as it meant it, and on the corpus files
// both readers must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "gif/Extensions.h"
#include "gif/PixelEncoder.h"
#include "platform/GIFException.h"
#include "support/GifTestSupport.h"
#include "support/GiflibBridge.h"

namespace fs = std::filesystem;
using namespace fl;
using namespace fl::test;

namespace {

using Rng = std::mt19937;

int Uniform(Rng& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

bool Chance(Rng& rng, double p)
{
    return std::bernoulli_distribution(p)(rng);
}

// Pixels below `colors`, in runs whose length varies from 1 to long, so that
// both encoders meet single pixels, short runs and long ones.
std::vector<uint8_t> RandomPixels(Rng& rng, size_t count, int colors, double repeat = 0.6)
{
    std::vector<uint8_t> pixels(count);
    uint8_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i == 0 || !Chance(rng, repeat))
            value = static_cast<uint8_t>(Uniform(rng, 0, colors - 1));
        pixels[i] = value;
    }
    return pixels;
}

std::string RandomText(Rng& rng, size_t length)
{
    std::string text(length, ' ');
    for (char& c : text)
        c = static_cast<char>(Uniform(rng, 0x20, 0x7E));
    return text;
}

std::vector<uint8_t> RandomBytes(Rng& rng, size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(Uniform(rng, 0, 255));
    return bytes;
}

// Building documents through the model's own interface.

TGIFSubImage& NewFrame(TGIFImage& image, int left, int top, int width, int height)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(left, top, width, height);
    return *image.Frames[image.AddFrame(std::move(frame))];
}

void AddColors(TGIFColorMap& colors, Rng& rng, int count)
{
    for (int i = 0; i < count; ++i)
        colors.Add(MakeColor(uint8_t(Uniform(rng, 0, 255)), uint8_t(Uniform(rng, 0, 255)), uint8_t(Uniform(rng, 0, 255))));
}

void SetPixels(TGIFSubImage& frame, const std::vector<uint8_t>& pixels)
{
    ASSERT_EQ(frame.PixelBytes(), pixels.size());
    std::copy(pixels.begin(), pixels.end(), frame.Pixels());
}

TGIFGraphicControlExtension& AddControl(TGIFSubImage& frame, int delay, int disposal, int transparentIndex)
{
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    auto& ref = *control;
    control->Delay = static_cast<uint16_t>(delay);
    control->SetDisposal(disposal);
    if (transparentIndex >= 0) {
        control->SetTransparentIndex(transparentIndex);
        control->SetTransparent(true);
    }
    frame.Extensions.Append(std::move(control));
    return ref;
}

void AddComment(TGIFSubImage& frame, TGIFLines lines)
{
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    comment->Lines = std::move(lines);
    frame.Extensions.Append(std::move(comment));
}

void AddLoop(TGIFSubImage& frame, int loops, uint32_t bufferSize = 0)
{
    auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = static_cast<uint16_t>(loops);
    loop->BufferSize = bufferSize;
    frame.Extensions.Append(std::move(loop));
}

void AddUnknownApplication(TGIFSubImage& frame, const char* id, const std::vector<std::vector<uint8_t>>& blocks)
{
    auto app = std::make_unique<TGIFUnknownAppExtension>(frame);
    app->AppId = MakeApplicationId(id);
    for (const auto& data : blocks)
        app->DataBlocks.push_back({data});
    frame.Extensions.Append(std::move(app));
}

void AddPlainText(TGIFSubImage& frame, TGIFLines lines)
{
    auto text = std::make_unique<TGIFTextExtension>(frame);
    text->GridLeft = 1;
    text->GridTop = 2;
    text->GridWidth = 300;
    text->GridHeight = 16;
    text->CellWidth = 8;
    text->CellHeight = 16;
    text->ForegroundIndex = 1;
    text->BackgroundIndex = 0;
    text->Lines = std::move(lines);
    frame.Extensions.Append(std::move(text));
}

// Saves the document with both encoders; giflib must decode each stream to
// the document, and our own reader must give the document back (unless its
// text lines are longer than a sub-block or empty: those come back re-cut).
void ExpectGiflibReads(TGIFImage& image, bool linesKept = true)
{
    for (const uint8_t encoding : {encodeLZW, encodeRunLength}) {
        SCOPED_TRACE(encoding == encodeLZW ? "LZW" : "run-length");
        const std::vector<uint8_t> bytes = SaveGif(image, encoding);
        RefGif decoded;
        std::string error;
        ASSERT_TRUE(DecodeWithGiflib(bytes, decoded, error)) << "giflib: " << error;
        EXPECT_TRUE(SameRef(DescribeAsWritten(image), decoded));

        LoadResult reloaded = LoadGif(bytes);
        ASSERT_TRUE(reloaded.loaded) << reloaded.error;
        EXPECT_TRUE(reloaded.warnings.empty()) << reloaded.warnings.front();
        if (linesKept) {
            EXPECT_TRUE(SameModel(image, *reloaded.image, {.rawFlags = true, .writtenTables = true}));
        }
    }
}

// Writes the description with giflib; our reader must load it, quietly, to
// the same description.
void ExpectWeRead(const RefGif& description)
{
    const std::vector<uint8_t> bytes = EncodeWithGiflib(description);
    LoadResult loaded = LoadGif(bytes);
    ASSERT_TRUE(loaded.loaded) << loaded.error;
    EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.front();
    EXPECT_TRUE(SameRef(description, DescribeAsWritten(*loaded.image)));
}

// What we write, giflib reads

TEST(GiflibReadsOurs, LocalTablesOfEverySizeWithExtensions)
{
    Rng rng(11);
    auto image = std::make_unique<TGIFImage>();
    image->SetWidth(23);
    image->SetHeight(17);
    AddColors(image->GlobalColors(), rng, 5);
    image->GlobalColors().SetSorted(true); // written as the sort flag
    image->Header.BackgroundIndex = 3;
    image->Header.AspectRatio = 49;
    for (int colors = 1; colors <= 256; ++colors) {
        const int width = Uniform(rng, 1, 9);
        const int height = Uniform(rng, 1, 11);
        TGIFSubImage& frame = NewFrame(*image, Uniform(rng, 0, 23 - width), Uniform(rng, 0, 17 - height), width, height);
        AddColors(frame.LocalColors, rng, colors);
        frame.SetInterlaced(colors % 3 == 0);
        SetPixels(frame, RandomPixels(rng, size_t(width * height), colors));
        if (colors == 1)
            AddLoop(frame, 7, 1024);
        if (colors % 2 == 0)
            AddControl(frame, colors, colors % 4, colors % 5 == 0 ? Uniform(rng, 0, colors - 1) : -1);
        if (colors % 17 == 0)
            AddComment(frame, {RandomText(rng, size_t(colors))});
        if (colors % 50 == 0)
            AddUnknownApplication(frame, "FRAMELOOM10", {RandomBytes(rng, 1), RandomBytes(rng, 255), {0, 0, 0}});
        if (colors == 128)
            AddPlainText(frame, {"Hello", RandomText(rng, 40)});
    }
    // Extensions after the last image live in an empty frame.
    auto trailing = std::make_unique<TGIFSubImage>(image.get());
    AddComment(*trailing, {"the end"});
    image->AddFrame(std::move(trailing));
    ExpectGiflibReads(*image);
}

TEST(GiflibReadsOurs, ExtremeFrameShapes)
{
    Rng rng(12);
    struct Shape {
        int width, height;
        bool interlaced;
    };
    for (const Shape shape : {Shape{1, 1, false}, Shape{1, 1, true}, Shape{1000, 1, false}, Shape{1000, 1, true},
                              Shape{1, 1000, false}, Shape{1, 1000, true}, Shape{3, 2, true}, Shape{7, 9, true}}) {
        SCOPED_TRACE(std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                     (shape.interlaced ? " interlaced" : ""));
        auto image = std::make_unique<TGIFImage>();
        AddColors(image->GlobalColors(), rng, 256);
        TGIFSubImage& frame = NewFrame(*image, 0, 0, shape.width, shape.height);
        frame.SetInterlaced(shape.interlaced);
        SetPixels(frame, RandomPixels(rng, size_t(shape.width * shape.height), 256, 0.3));
        ExpectGiflibReads(*image);
    }
}

TEST(GiflibReadsOurs, CodeTableFillsAndClearsManyTimes)
{
    // Noise at 8 bits fills the 4096-entry table every few thousand pixels;
    // the 2-color frame does so at the smallest code size.
    Rng rng(13);
    auto image = std::make_unique<TGIFImage>();
    AddColors(image->GlobalColors(), rng, 256);
    TGIFSubImage& noisy = NewFrame(*image, 0, 0, 300, 200);
    SetPixels(noisy, RandomPixels(rng, 300 * 200, 256, 0.0));
    TGIFSubImage& binary = NewFrame(*image, 0, 0, 300, 200);
    AddColors(binary.LocalColors, rng, 2);
    SetPixels(binary, RandomPixels(rng, 300 * 200, 2, 0.0));
    ExpectGiflibReads(*image);
}

TEST(GiflibReadsOurs, RunsOfEveryLength)
{
    // The run-length encoder builds runs from codes the decoder has made;
    // runs of 1..300 in a row, and one run longer than a whole code table.
    Rng rng(14);
    for (const int colors : {2, 4, 16, 256}) {
        SCOPED_TRACE(std::to_string(colors) + " colors");
        auto image = std::make_unique<TGIFImage>();
        AddColors(image->GlobalColors(), rng, colors);
        std::vector<uint8_t> pixels;
        for (int run = 1; run <= 300; ++run)
            pixels.insert(pixels.end(), size_t(run), uint8_t(run % colors));
        pixels.insert(pixels.end(), 20000, uint8_t(colors - 1));
        for (int run = 300; run >= 1; --run)
            pixels.insert(pixels.end(), size_t(run), uint8_t((run * 7) % colors));
        const int width = 250;
        pixels.resize((pixels.size() + width - 1) / width * width, 0);
        TGIFSubImage& frame = NewFrame(*image, 0, 0, width, int(pixels.size() / width));
        SetPixels(frame, pixels);
        ExpectGiflibReads(*image);
    }
}

TEST(GiflibReadsOurs, TextSplitsIntoSubBlocks)
{
    Rng rng(15);
    auto image = std::make_unique<TGIFImage>();
    AddColors(image->GlobalColors(), rng, 2);
    TGIFSubImage& frame = NewFrame(*image, 0, 0, 4, 4);
    SetPixels(frame, RandomPixels(rng, 16, 2));
    // Lines of 1, 254, 255, 256 and 600 bytes: 255 bytes per sub-block.
    AddComment(frame, {RandomText(rng, 1), RandomText(rng, 254), RandomText(rng, 255)});
    AddComment(frame, {RandomText(rng, 256), "", RandomText(rng, 600)});
    AddPlainText(frame, {RandomText(rng, 300)});
    ExpectGiflibReads(*image, false);

    // Our reader makes one line of each sub-block.
    LoadResult reloaded = LoadGif(SaveGif(*image, encodeLZW));
    ASSERT_TRUE(reloaded.loaded) << reloaded.error;
    const auto lengths = [](const TGIFLines& lines) {
        std::vector<size_t> out;
        for (const std::string& line : lines)
            out.push_back(line.size());
        return out;
    };
    const TGIFExtensionList& extensions = reloaded.image->Frames[0]->Extensions;
    ASSERT_EQ(extensions.Count(), 3);
    EXPECT_EQ(lengths(dynamic_cast<TGIFCommentExtension&>(*extensions[0]).Lines), (std::vector<size_t>{1, 254, 255}));
    EXPECT_EQ(lengths(dynamic_cast<TGIFCommentExtension&>(*extensions[1]).Lines),
              (std::vector<size_t>{255, 1, 255, 255, 90}));
    EXPECT_EQ(lengths(dynamic_cast<TGIFTextExtension&>(*extensions[2]).Lines), (std::vector<size_t>{255, 45}));
}

// What giflib writes, we read

RefColorTable RandomTable(Rng& rng, int bits)
{
    RefColorTable table(size_t(1) << bits);
    for (RefColor& c : table)
        c = {uint8_t(Uniform(rng, 0, 255)), uint8_t(Uniform(rng, 0, 255)), uint8_t(Uniform(rng, 0, 255))};
    return table;
}

std::vector<RefBlock> RandomExtensions(Rng& rng, bool first)
{
    std::vector<RefBlock> blocks;
    if (first && Chance(rng, 0.5)) {
        const std::string id = "NETSCAPE2.0";
        blocks.push_back({0xFF, std::vector<uint8_t>(id.begin(), id.end())});
        blocks.push_back({0, {1, uint8_t(Uniform(rng, 0, 255)), uint8_t(Uniform(rng, 0, 255))}});
        if (Chance(rng, 0.3))
            blocks.push_back({0, {2, 0, 4, 0, 0}});
    }
    if (Chance(rng, 0.3)) {
        const std::string text = RandomText(rng, size_t(Uniform(rng, 1, 255)));
        blocks.push_back({0xFE, std::vector<uint8_t>(text.begin(), text.end())});
        if (Chance(rng, 0.5)) {
            const std::string more = RandomText(rng, size_t(Uniform(rng, 1, 255)));
            blocks.push_back({0, std::vector<uint8_t>(more.begin(), more.end())});
        }
    }
    if (Chance(rng, 0.2)) {
        const std::string id = "FRAMELOOMxy";
        blocks.push_back({0xFF, std::vector<uint8_t>(id.begin(), id.end())});
        for (int i = Uniform(rng, 0, 3); i > 0; --i)
            blocks.push_back({0, RandomBytes(rng, size_t(Uniform(rng, 1, 255)))});
    }
    if (Chance(rng, 0.1)) {
        blocks.push_back({0x01, RandomBytes(rng, 12)});
        const std::string text = RandomText(rng, size_t(Uniform(rng, 1, 80)));
        blocks.push_back({0, std::vector<uint8_t>(text.begin(), text.end())});
    }
    if (Chance(rng, 0.7)) // the control block comes last, next to its image
        blocks.push_back({0xF9, RandomBytes(rng, 4)});
    return blocks;
}

RefGif RandomDocument(Rng& rng)
{
    RefGif gif;
    gif.width = Uniform(rng, 1, 70);
    gif.height = Uniform(rng, 1, 70);
    gif.colorResolution = Uniform(rng, 1, 8);
    gif.background = Uniform(rng, 0, 255);
    gif.aspect = Chance(rng, 0.5) ? 0 : uint8_t(Uniform(rng, 1, 255));
    if (Chance(rng, 0.7))
        gif.colors = RandomTable(rng, Uniform(rng, 1, 8));
    for (int i = Uniform(rng, 1, 5); i > 0; --i) {
        RefImage image;
        image.width = Uniform(rng, 1, gif.width);
        image.height = Uniform(rng, 1, gif.height);
        image.left = Uniform(rng, 0, gif.width - image.width);
        image.top = Uniform(rng, 0, gif.height - image.height);
        image.interlace = Chance(rng, 0.5);
        if (!gif.colors || Chance(rng, 0.4))
            image.colors = RandomTable(rng, Uniform(rng, 1, 8));
        const int colors = int(image.colors ? image.colors->size() : gif.colors->size());
        image.pixels = RandomPixels(rng, size_t(image.width * image.height), colors);
        image.extensions = RandomExtensions(rng, gif.images.empty());
        gif.images.push_back(std::move(image));
    }
    if (Chance(rng, 0.3))
        gif.trailing = {{0xFE, {'e', 'n', 'd'}}};
    return gif;
}

TEST(GiflibWritesWeRead, RandomDocuments)
{
    Rng rng(21);
    for (int seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE("document " + std::to_string(seed));
        ExpectWeRead(RandomDocument(rng));
    }
}

TEST(GiflibWritesWeRead, InterlacedImagesOfEveryHeightUpToSeventeen)
{
    // Heights below 8 leave some of the four passes without rows.
    Rng rng(22);
    for (int height = 1; height <= 17; ++height) {
        SCOPED_TRACE("height " + std::to_string(height));
        RefGif gif;
        gif.width = 3;
        gif.height = height;
        gif.colors = RandomTable(rng, 8);
        RefImage image;
        image.width = 3;
        image.height = height;
        image.interlace = true;
        image.pixels = RandomPixels(rng, size_t(3 * height), 256, 0.0);
        gif.images.push_back(image);
        ExpectWeRead(gif);
    }
}

TEST(GiflibWritesWeRead, LargeNoisyImage)
{
    Rng rng(23);
    RefGif gif;
    gif.width = 400;
    gif.height = 300;
    gif.colors = RandomTable(rng, 8);
    for (const bool interlace : {false, true}) {
        RefImage image;
        image.width = 400;
        image.height = 300;
        image.interlace = interlace;
        image.pixels = RandomPixels(rng, 400 * 300, 256, 0.2);
        gif.images.push_back(std::move(image));
    }
    ExpectWeRead(gif);
}

TEST(GiflibWritesWeRead, SortFlagIsReadButNotKept)
{
    Rng rng(24);
    RefGif gif;
    gif.width = gif.height = 2;
    gif.colors = RandomTable(rng, 2);
    gif.sorted = true;
    RefImage image;
    image.width = image.height = 2;
    image.pixels = {0, 1, 2, 3};
    gif.images.push_back(image);

    LoadResult loaded = LoadGif(EncodeWithGiflib(gif));
    ASSERT_TRUE(loaded.loaded) << loaded.error;
    EXPECT_TRUE(loaded.image->Header.ScreenFlags & 0x08) << "giflib wrote no sort flag";
    EXPECT_FALSE(loaded.image->GlobalColors().Sorted());
    gif.sorted = false;
    EXPECT_TRUE(SameRef(gif, DescribeAsWritten(*loaded.image)));
}

// Both readers on the same files

std::string CorpusName(const fs::path& path)
{
    std::string name = fs::relative(path, SharedDir() / "corpus").replace_extension().string();
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

std::string ParamName(const testing::TestParamInfo<fs::path>& param)
{
    return CorpusName(param.param);
}

class GiflibCorpus : public testing::TestWithParam<fs::path> {};

TEST_P(GiflibCorpus, GiflibReadsOurCopy)
{
    LoadResult original = LoadGif(ReadBytes(GetParam()));
    ASSERT_TRUE(original.loaded) << original.error;
    try {
        ExpectGiflibReads(*original.image);
    } catch (const GIFException& e) {
        // The corpus round trip test holds which files cannot be written.
        GTEST_SKIP() << "not writable: " << e.what();
    }
}

TEST_P(GiflibCorpus, BothReadersAgreeOnTheOriginal)
{
    const std::vector<uint8_t> bytes = ReadBytes(GetParam());
    RefGif reference;
    std::string error;
    if (!DecodeWithGiflib(bytes, reference, error))
        GTEST_SKIP() << "giflib refuses it: " << error;
    LoadResult ours = LoadGif(bytes);
    ASSERT_TRUE(ours.loaded) << ours.error;
    EXPECT_TRUE(SameRef(reference, DescribeAsWritten(*ours.image)));
}

INSTANTIATE_TEST_SUITE_P(Giflib, GiflibCorpus, testing::ValuesIn(GifFilesUnder(SharedDir() / "corpus")), ParamName);

} // namespace
