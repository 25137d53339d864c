// SPDX-License-Identifier: GPL-3.0-or-later
// Every file of the shared corpus, saved with either pixel encoder and read
// back, must give the document it came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gif/PixelEncoder.h"
#include "platform/GIFException.h"
#include "support/GifTestSupport.h"

namespace fs = std::filesystem;
using namespace fl;
using namespace fl::test;

namespace {

std::vector<fs::path> CorpusFiles()
{
    return GifFilesUnder(SharedDir() / "corpus");
}

std::string CorpusName(const fs::path& path)
{
    std::string name = fs::relative(path, SharedDir() / "corpus").replace_extension().string();
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

// Corpus files that load but cannot be written as they are, and why.
const std::map<std::string, std::string>& Unwritable()
{
    static const std::map<std::string, std::string> unwritable = {
        // Nothing to write: a document needs at least one frame. (Damaged
        // data such as pixel-data-none's lone end code, taken as an index
        // beyond the table, is put in the table when read, and saves.)
        {"robustness_no_frames", "Unsupported GIF version"},
    };
    return unwritable;
}

class CorpusRoundTrip : public testing::TestWithParam<fs::path> {};

TEST_P(CorpusRoundTrip, BothEncodingsReadBackToTheSameDocument)
{
    const std::string name = CorpusName(GetParam());
    const std::vector<uint8_t> bytes = ReadBytes(GetParam());
    LoadResult original = LoadGif(bytes);
    ASSERT_TRUE(original.loaded) << original.error;

    std::vector<uint8_t> interlaceBits;
    for (const auto& frame : original.image->Frames)
        interlaceBits.push_back(frame->FrameFlags & 0x40);

    for (const uint8_t encoding : {encodeLZW, encodeRunLength}) {
        SCOPED_TRACE(encoding == encodeLZW ? "LZW" : "run-length");
        std::vector<uint8_t> saved;
        try {
            saved = SaveGif(*original.image, encoding);
        } catch (const GIFException& e) {
            const auto unwritable = Unwritable().find(name);
            ASSERT_NE(unwritable, Unwritable().end()) << "save failed: " << e.what();
            EXPECT_EQ(std::string(e.what()), unwritable->second);
            return;
        }
        ASSERT_EQ(Unwritable().count(name), 0u) << "now saves; drop it from the unwritable list";

        // What the writer recomputes must not lose the interlace mark.
        for (int i = 0; i < original.image->Frames.Count(); ++i)
            EXPECT_EQ(original.image->Frames[i]->FrameFlags & 0x40, interlaceBits[size_t(i)]) << "frame " << i;
        const char* signature = original.image->Version() == TGIFVersion::GIF89a ? "GIF89a" : "GIF87a";
        ASSERT_GE(saved.size(), 6u);
        EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), signature);

        LoadResult reloaded = LoadGif(saved);
        ASSERT_TRUE(reloaded.loaded) << reloaded.error;
        EXPECT_TRUE(reloaded.warnings.empty()) << "first warning: " << reloaded.warnings.front();
        // After the save the flag bytes in the model are the ones written,
        // so they must come back exactly.
        EXPECT_TRUE(SameModel(*original.image, *reloaded.image, {.rawFlags = true}));
        // The written stream depends on the document alone: writing what was
        // read back gives the same bytes.
        EXPECT_TRUE(SaveGif(*reloaded.image, encoding) == saved) << "second save differs";
    }
}

std::string ParamName(const testing::TestParamInfo<fs::path>& param)
{
    return CorpusName(param.param);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusRoundTrip, testing::ValuesIn(CorpusFiles()), ParamName);

// The suite above would pass having looked at nothing without the corpus.
TEST(CorpusRoundTripInputs, CorpusIsThere)
{
    const auto files = CorpusFiles();
    EXPECT_GE(files.size(), 20u) << "corpus missing under " << SharedDir();
    for (const char* folder : {"animated", "still", "robustness"})
        EXPECT_TRUE(std::any_of(files.begin(), files.end(),
                                [&](const fs::path& p) { return p.string().find(folder) != std::string::npos; }))
            << "no files in " << folder;
}

} // namespace
