// SPDX-License-Identifier: GPL-3.0-or-later
// Every corpus file cut short at many places: the reader must either give a
// partial document (with warnings from the known set) or refuse with one of
// its own errors, put the stream back where it started, and whatever it gave
// must be writable or refused by the writer with one of its own errors.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "gif/PixelEncoder.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"
#include "support/GifTestSupport.h"

namespace fs = std::filesystem;
using namespace fl;
using namespace fl::test;

namespace {

// The errors a stream cut short can give: the cut falls in a fixed-size
// field or table (the signature included), or right after an extension
// introducer, so that its label or an application header is missing.
const std::set<std::string>& TruncationErrors()
{
    static const std::set<std::string> errors = {"Premature end of data", "Unknown extension type"};
    return errors;
}

constexpr size_t kSmallFile = 4096;
constexpr size_t kDenseHead = 800;
constexpr size_t kSpreadCuts = 200;
// Writing a large partial document costs far more than reading it; beyond the
// dense head only every so many cuts of a large file is written too, and
// not read back.
constexpr size_t kSaveEvery = 20;

std::vector<size_t> CutOffsets(size_t size)
{
    std::vector<size_t> cuts;
    const size_t dense = size < kSmallFile ? size : std::min(size, kDenseHead);
    for (size_t offset = 0; offset < dense; ++offset)
        cuts.push_back(offset);
    if (size > dense) {
        // Evenly spread, each nudged by an odd amount so that the cuts do not
        // all fall at the same place of a sub-block.
        for (size_t i = 0; i < kSpreadCuts; ++i) {
            const size_t offset = dense + (size - dense) * i / kSpreadCuts + (i * 37) % 11;
            if (offset < size && offset > cuts.back())
                cuts.push_back(offset);
        }
    }
    return cuts;
}

// Bytes ahead of the GIF data, so that a position put back to 0 instead of
// to the start shows.
const std::string kPrefix = "FL!";

struct Cut {
    std::vector<uint8_t> buffer; // prefix + the whole file
    LoadResult full;
};

enum class Save { No, Only, AndReload };

// Loads the file cut at `offset` and checks everything the cut may do.
void CheckCut(const Cut& cut, size_t offset, Save save)
{
    const int64_t start = static_cast<int64_t>(kPrefix.size());
    LoadResult partial;
    try {
        partial = LoadGif(cut.buffer.data(), kPrefix.size() + offset, start);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "cut at " << offset << ": foreign exception: " << e.what();
        return;
    }
    for (const std::string& warning : partial.warnings)
        EXPECT_TRUE(IsLoadWarning(warning)) << "cut at " << offset << ": warning " << warning;
    if (!partial.loaded) {
        EXPECT_TRUE(TruncationErrors().count(partial.error)) << "cut at " << offset << ": error " << partial.error;
        EXPECT_EQ(partial.positionAfter, start) << "cut at " << offset << ": stream position not restored";
        return;
    }

    // Frames read before the cut are the full file's; the one it fell in has
    // the full frame's descriptor, colors and extensions when it has an image.
    const TGIFImage& doc = *partial.image;
    const TGIFImage& full = *cut.full.image;
    ASSERT_LE(doc.Frames.Count(), full.Frames.Count()) << "cut at " << offset;
    EXPECT_EQ(doc.Header.ScreenWidth, full.Header.ScreenWidth) << "cut at " << offset;
    EXPECT_EQ(doc.Header.ScreenHeight, full.Header.ScreenHeight) << "cut at " << offset;
    EXPECT_EQ(doc.Header.ScreenFlags, full.Header.ScreenFlags) << "cut at " << offset;
    EXPECT_TRUE(std::equal(full.Header.GlobalColors.Data(),
                           full.Header.GlobalColors.Data() + 3 * full.Header.GlobalColors.Count(),
                           doc.Header.GlobalColors.Data(),
                           doc.Header.GlobalColors.Data() + 3 * doc.Header.GlobalColors.Count()))
        << "cut at " << offset;
    for (int i = 0; i + 1 < doc.Frames.Count(); ++i)
        EXPECT_TRUE(SameFrame(*full.Frames[i], *doc.Frames[i], {.rawFlags = true}, "frame " + std::to_string(i)))
            << "cut at " << offset;
    if (doc.Frames.Count() > 0) {
        const int last = doc.Frames.Count() - 1;
        const TGIFSubImage& frame = *doc.Frames[last];
        if (!frame.IsEmpty()) {
            EXPECT_TRUE(SameFrame(*full.Frames[last], frame, {.rawFlags = true, .pixels = false},
                                  "frame " + std::to_string(last)))
                << "cut at " << offset;
        }
        EXPECT_EQ(frame.PixelBytes(), size_t(frame.Width()) * size_t(frame.Height())) << "cut at " << offset;
    }

    if (save == Save::No)
        return;
    std::vector<uint8_t> saved;
    try {
        if (save == Save::Only) {
            CountingStream sink;
            partial.image->SaveToStream(sink);
            return;
        }
        saved = SaveGif(*partial.image, encodeLZW);
    } catch (const GIFException& e) {
        EXPECT_TRUE(SaveErrorMessages().count(e.what())) << "cut at " << offset << ": save error " << e.what();
        return;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "cut at " << offset << ": save threw a foreign exception: " << e.what();
        return;
    }
    const LoadResult reloaded = LoadGif(saved);
    ASSERT_TRUE(reloaded.loaded) << "cut at " << offset << ": what was saved does not load: " << reloaded.error;
    EXPECT_TRUE(SameModel(*partial.image, *reloaded.image, {.rawFlags = true})) << "cut at " << offset;
}

std::string CorpusName(const fs::path& path)
{
    std::string name = fs::relative(path, SharedDir() / "corpus").replace_extension().string();
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

class TruncatedCorpus : public testing::TestWithParam<fs::path> {};

TEST_P(TruncatedCorpus, EveryCutLoadsPartlyOrFailsCleanly)
{
#ifdef __GLIBC__
    // Hundreds of loads of up to 50 MB of frames: keep the freed pages in
    // the heap instead of handing them back and faulting them in again.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
    const std::vector<uint8_t> bytes = ReadBytes(GetParam());
    Cut cut;
    cut.buffer.assign(kPrefix.begin(), kPrefix.end());
    cut.buffer.insert(cut.buffer.end(), bytes.begin(), bytes.end());
    cut.full = LoadGif(bytes);
    ASSERT_TRUE(cut.full.loaded) << cut.full.error;

    const std::vector<size_t> cuts = CutOffsets(bytes.size());
    size_t spread = 0;
    for (size_t offset : cuts) {
        if (offset < kDenseHead || bytes.size() < kSmallFile)
            CheckCut(cut, offset, Save::AndReload);
        else
            CheckCut(cut, offset, spread++ % kSaveEvery == 0 ? Save::Only : Save::No);
        if (HasFailure())
            break; // one cut's failures are enough to read
    }
}

INSTANTIATE_TEST_SUITE_P(Truncation, TruncatedCorpus, testing::ValuesIn(GifFilesUnder(SharedDir() / "corpus")),
                         [](const testing::TestParamInfo<fs::path>& param) { return CorpusName(param.param); });

TEST(TruncationCuts, CoverSmallFilesWhollyAndLargeOnesHeadAndSpread)
{
    EXPECT_EQ(CutOffsets(10).size(), 10u);
    EXPECT_EQ(CutOffsets(kSmallFile - 1).size(), kSmallFile - 1);
    const std::vector<size_t> cuts = CutOffsets(1000000);
    EXPECT_EQ(std::count_if(cuts.begin(), cuts.end(), [](size_t c) { return c < kDenseHead; }), long(kDenseHead));
    EXPECT_GE(cuts.size(), kDenseHead + kSpreadCuts - 5);
    EXPECT_TRUE(std::is_sorted(cuts.begin(), cuts.end()));
    EXPECT_LT(cuts.back(), 1000000u);
    EXPECT_GT(cuts.back(), 990000u);
}

} // namespace
