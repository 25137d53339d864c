// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder conformance suite, compared at the level of the model: logical
// size, signature, loop extension, comment, metadata blocks, images and their
// delays. Where our reader by design differs from the suite's expectation
// the case is listed below with what we give instead (the reasons are in
// tests/data/conformance-notes.md), so that a change either way shows up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gif/Extensions.h"
#include "support/ConformanceSuite.h"
#include "support/GifTestSupport.h"
#include "support/IniFile.h"

namespace fs = std::filesystem;
using namespace fl;
using namespace fl::test;

namespace {

// What can be compared, in the suite's terms: loop "0" means no loop
// extension, "infinite" a loop count of 0; an empty buffer size means none.
struct Reading {
    int width = 0;
    int height = 0;
    std::string error; // empty when the file loads
    int images = 0;
    std::vector<int> delays; // per image, 0 without a control block
    std::string loop = "0";
    std::string buffer;
    std::optional<std::string> comment;
    std::optional<std::string> background; // "#rrggbb" when the index is inside the global table
};

std::string HexColor(const uint8_t* rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

Reading ReadModel(const LoadResult& loaded)
{
    const TGIFImage& image = *loaded.image;
    Reading reading;
    reading.width = image.Header.ScreenWidth;
    reading.height = image.Header.ScreenHeight;
    reading.error = loaded.error;
    for (const auto& frame : image.Frames) {
        if (frame->IsEmpty())
            continue;
        ++reading.images;
        reading.delays.push_back(frame->ControlBlock ? frame->ControlBlock->Delay : 0);
    }
    if (const TGIFAppExtNSLoop* loop = FindLoopExtension(image)) {
        reading.loop = loop->LoopCount == 0 ? "infinite" : std::to_string(loop->LoopCount);
        if (loop->BufferSize != 0)
            reading.buffer = std::to_string(loop->BufferSize);
    }
    const bool hasComment = std::any_of(image.Frames.begin(), image.Frames.end(), [](const auto& frame) {
        return frame->Extensions.template Find<TGIFCommentExtension>() != nullptr;
    });
    if (hasComment)
        reading.comment = AllCommentText(image);
    const TGIFColorMap& global = image.Header.GlobalColors;
    if (image.Header.BackgroundIndex < global.Count())
        reading.background = HexColor(global.Data() + 3 * image.Header.BackgroundIndex);
    return reading;
}

Reading ReadConf(const IniFile& conf)
{
    Reading reading;
    reading.width = std::stoi(conf.Get("config", "width", "0"));
    reading.height = std::stoi(conf.Get("config", "height", "0"));
    for (const std::string& frame : SplitList(conf.Get("config", "frames", ""))) {
        ++reading.images;
        reading.delays.push_back(std::stoi(conf.Get(frame, "delay", "0")));
    }
    reading.loop = conf.Get("config", "loop-count", "0");
    reading.buffer = conf.Get("config", "buffer-size", "");
    if (auto comment = conf.Get("config", "comment"))
        reading.comment = UnquoteValue(*comment);
    reading.background = conf.Get("config", "background");
    return reading;
}

// Our reading where it is not the suite's. Fields left unset are as the suite
// expects them.
struct Difference {
    std::optional<std::string> error = {};
    std::optional<int> images = {};
    std::optional<std::vector<int>> delays = {};
    std::optional<std::string> loop = {};
    std::optional<std::string> comment = {};
};

const std::map<std::string, Difference>& KnownDifferences()
{
    static const std::map<std::string, Difference> differences = {
        // No image descriptor at all: no frames (the suite shows the empty screen).
        {"no-data", {.images = 0, .delays = std::vector<int>{}}},
        // The image descriptor is followed by a local table flag but no table.
        {"image-zero-height", {.error = "Premature end of data", .images = 0, .delays = std::vector<int>{}}},
        {"image-zero-size", {.error = "Premature end of data", .images = 0, .delays = std::vector<int>{}}},
        // Codes are not checked against the table: the image decodes to garbage.
        {"invalid-code", {.images = 1, .delays = std::vector<int>{0}}},
        // Indices beyond the table are kept as they are.
        {"invalid-colors", {.images = 1, .delays = std::vector<int>{0}}},
        // A minimum code size above 11: warned, the data skipped, the image kept.
        {"overflow-codes", {.images = 1, .delays = std::vector<int>{0}}},
        {"overflow-codes-max", {.images = 1, .delays = std::vector<int>{0}}},
        // Images without delay are separate frames of the model.
        {"images-combine", {.images = 4, .delays = std::vector<int>{0, 0, 0, 0}}},
        {"images-overlap", {.images = 2, .delays = std::vector<int>{0, 0}}},
        {"high-color", {.images = 4, .delays = std::vector<int>{0, 0, 0, 0}}},
        {"dispose-restore-previous", {.images = 5, .delays = std::vector<int>{0, 50, 50, 50, 50}}},
        {"animation-multi-image", {.images = 7, .delays = std::vector<int>{50, 0, 50, 0, 50, 0, 50}}},
        {"animation-multi-image-explicit-zero-delay",
         {.images = 7, .delays = std::vector<int>{50, 0, 50, 0, 50, 0, 50}}},
        // A comment line ends at its first zero byte.
        {"nul-comment", {.comment = ""}},
        // The plain text extension does not hide its image.
        {"plain-text", {.images = 1, .delays = std::vector<int>{0}}},
        // Labels without a registered class fail the whole load.
        {"unknown-extension", {.error = "Unknown extension type", .images = 0, .delays = std::vector<int>{}}},
        // Without a loop extension the file plays once.
        {"gif87a-animation", {.loop = "0"}},
    };
    return differences;
}

// Warnings each case gives; every other case loads without any.
const std::map<std::string, std::vector<std::string>>& ExpectedWarnings()
{
    static const std::map<std::string, std::vector<std::string>> warnings = {
        // The trailer byte is taken as the minimum code size.
        {"image-zero-width", {"Image exceeds Logical Screen size", "Invalid minimum code size"}},
        {"image-zero-height", {"Image exceeds Logical Screen size"}},
        {"image-zero-size", {"Image exceeds Logical Screen size"}},
        // Codes asked for after the data's terminator.
        {"no-eoi", {"Decoder bit buffer under-run"}},
        {"no-clear-and-eoi", {"Decoder bit buffer under-run"}},
        // A code the table does not hold yet ends the pixels.
        {"invalid-code", {"Frame data holds a code not in the table: 3 of 4 pixels keep the fill value"}},
        {"overflow-codes", {"Invalid minimum code size"}},
        {"overflow-codes-max", {"Invalid minimum code size"}},
    };
    return warnings;
}

Reading Expected(const std::string& name, const IniFile& conf)
{
    Reading expected = ReadConf(conf);
    const auto known = KnownDifferences().find(name);
    if (known == KnownDifferences().end())
        return expected;
    const Difference& d = known->second;
    expected.error = d.error.value_or(expected.error);
    expected.images = d.images.value_or(expected.images);
    expected.delays = d.delays.value_or(expected.delays);
    expected.loop = d.loop.value_or(expected.loop);
    if (d.comment)
        expected.comment = d.comment;
    return expected;
}

// The payload of an application extension with the given identifier, its
// sub-blocks joined; `withSizes` keeps the size bytes too, which is how XMP
// data rides in a GIF (its own bytes are the sub-block chain).
std::optional<std::string> ApplicationPayload(const TGIFImage& image, const char* id, bool withSizes)
{
    for (const auto& frame : image.Frames)
        for (const auto& extension : frame->Extensions)
            if (auto* app = dynamic_cast<const TGIFUnknownAppExtension*>(extension.get());
                app && app->AppIdText() == id) {
                std::string payload;
                for (const TGIFBlock& block : app->DataBlocks) {
                    if (withSizes)
                        payload += static_cast<char>(block.Data.size());
                    payload.append(block.Data.begin(), block.Data.end());
                }
                return payload;
            }
    return std::nullopt;
}

// The 257 bytes that end XMP data in a GIF: 1, then 255 down to 0.
std::string XmpMagicTrailer()
{
    std::string trailer(1, '\x01');
    for (int b = 255; b >= 0; --b)
        trailer += static_cast<char>(b);
    return trailer;
}

class Conformance : public testing::TestWithParam<std::string> {};

TEST_P(Conformance, ModelReadsWhatTheSuiteExpects)
{
    const std::string name = GetParam();
    const IniFile conf = IniFile::Load((SuiteDir() / (name + ".conf")).string());
    const std::string input = conf.Get("config", "input", name + ".gif");
    const std::vector<uint8_t> bytes = ReadBytes(SuiteDir() / input);
    const LoadResult loaded = LoadGif(bytes);

    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), conf.Get("config", "version", "?")) << "signature";

    const Reading expected = Expected(name, conf);
    const Reading ours = ReadModel(loaded);
    EXPECT_EQ(ours.error, expected.error);
    EXPECT_EQ(ours.width, expected.width);
    EXPECT_EQ(ours.height, expected.height);
    EXPECT_EQ(ours.images, expected.images);
    EXPECT_EQ(ours.delays, expected.delays);
    EXPECT_EQ(ours.loop, expected.loop);
    EXPECT_EQ(ours.buffer, expected.buffer);
    EXPECT_EQ(ours.comment.has_value(), expected.comment.has_value());
    if (ours.comment && expected.comment) {
        EXPECT_EQ(ours.comment->size(), expected.comment->size());
        EXPECT_TRUE(*ours.comment == *expected.comment) << Printable(*ours.comment);
    }
    // The suite names no background where the index is outside the table.
    EXPECT_EQ(ours.background, expected.background);

    const auto warnings = ExpectedWarnings().find(name);
    EXPECT_EQ(loaded.warnings,
              warnings == ExpectedWarnings().end() ? std::vector<std::string>{} : warnings->second);

    // Metadata we do not interpret must be kept byte for byte.
    if (auto xmp = conf.Get("config", "xmp-data")) {
        const auto payload = ApplicationPayload(*loaded.image, "XMP DataXMP", true);
        ASSERT_TRUE(payload.has_value()) << "no XMP extension";
        EXPECT_TRUE(*payload == FileText(SuiteDir() / *xmp) + XmpMagicTrailer());
    }
    if (auto profile = conf.Get("config", "color-profile")) {
        const auto payload = ApplicationPayload(*loaded.image, "ICCRGBG1012", false);
        ASSERT_TRUE(payload.has_value()) << "no ICC profile extension";
        EXPECT_TRUE(*payload == FileText(SuiteDir() / *profile));
    }
}

INSTANTIATE_TEST_SUITE_P(Conformance, Conformance, testing::ValuesIn(SuiteCases()), SuiteCaseTestName);

// Each listed difference must still differ from the suite, name a case of
// the suite and be explained in the notes.
TEST(ConformanceDifferences, AreRealListedCasesAndExplained)
{
    const std::vector<std::string> cases = SuiteCases();
    ASSERT_GE(cases.size(), 80u) << "suite missing under " << SuiteDir();
    const std::string notes = FileText(fs::path(FL_TEST_DATA_DIR) / "conformance-notes.md");
    for (const auto& [name, difference] : KnownDifferences()) {
        SCOPED_TRACE(name);
        EXPECT_NE(std::find(cases.begin(), cases.end(), name), cases.end()) << "not a case of the suite";
        EXPECT_NE(notes.find("`" + name + "`"), std::string::npos) << "not explained in conformance-notes.md";
        const Reading suite = ReadConf(IniFile::Load((SuiteDir() / (name + ".conf")).string()));
        const Reading ours = Expected(name, IniFile::Load((SuiteDir() / (name + ".conf")).string()));
        EXPECT_TRUE(suite.error != ours.error || suite.images != ours.images || suite.delays != ours.delays ||
                    suite.loop != ours.loop || suite.comment != ours.comment)
            << "listed, but the same as the suite";
    }
    for (const auto& [name, warnings] : ExpectedWarnings())
        EXPECT_NE(std::find(cases.begin(), cases.end(), name), cases.end()) << name;
}

TEST(ConformanceIni, ParsesSectionsListsAndQuotedValues)
{
    const IniFile ini = IniFile::Parse("# note\n[config]\nbackground = #ffffff\nframes = a, b ,c\n"
                                       "comment = 'it''s \\x00\\'x\\\\'\n\n[a]\ndelay=5\n");
    EXPECT_EQ(ini.Get("config", "background", ""), "#ffffff");
    EXPECT_EQ(SplitList(ini.Get("config", "frames", "")), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(SplitList(" ").empty());
    EXPECT_EQ(UnquoteValue(ini.Get("config", "comment", "")), std::string("it''s \0'x\\", 10));
    EXPECT_EQ(ini.Get("a", "delay", ""), "5");
    EXPECT_FALSE(ini.Get("a", "missing").has_value());
    EXPECT_FALSE(ini.Get("nowhere", "delay").has_value());
    EXPECT_EQ(UnquoteValue("plain"), "plain");
}

} // namespace
