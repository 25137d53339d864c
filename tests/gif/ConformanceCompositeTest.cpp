// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder conformance suite, compared on what a player shows: every case
// that loads is played once into a canvas of the logical screen size, and the
// canvas after each image that ends one of the suite's frames is compared
// with that frame: its colors on the pixels the suite marks opaque, the
// untouched canvas on the others. Where we differ by design the case is
// listed below with exactly what we give (the reasons are in
// tests/data/conformance-notes.md, "Composited frames"), so that a change
// either way shows up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gif/PlayerSupport.h"
#include "support/ConformanceSuite.h"
#include "support/GifTestSupport.h"
#include "support/IniFile.h"

namespace fs = std::filesystem;

namespace fl::test {
namespace {

// The canvas's color before playing; no case of the suite uses it, so a
// pixel showing it was never drawn.
const TColor CanvasStart = MakeColor(10, 20, 30);

std::string HexRgb(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", rgb & 0xFFFFFFu);
    return text;
}

struct TSuiteFrame {
    std::string Name;
    std::vector<uint8_t> Rgba;
};

// The suite's frames of one case; a picture file of the wrong size fails
// the test instead of being read past its end.
testing::AssertionResult ReadSuiteFrames(const IniFile& conf, int width, int height,
                                         std::vector<TSuiteFrame>& frames)
{
    const size_t bytes = size_t(width) * size_t(height) * 4;
    for (const std::string& section : SplitList(conf.Get("config", "frames", ""))) {
        const auto file = conf.Get(section, "pixels");
        if (!file)
            return testing::AssertionFailure() << section << ": no raw pixels";
        TSuiteFrame frame{section, ReadBytes(SuiteDir() / *file)};
        if (frame.Rgba.size() != bytes)
            return testing::AssertionFailure()
                   << *file << ": " << frame.Rgba.size() << " bytes for " << width << "x" << height;
        frames.push_back(std::move(frame));
    }
    return testing::AssertionSuccess();
}

// The suite draws images without a delay together with the images after
// them as one picture: its frame ends at an image whose control block has a
// delay, and at the last image. Where it forces an animation on a file
// without delays, every image is a frame of its own. Returns indices into
// the document's frame list.
std::vector<int> FrameEnds(const TGIFImage& image, bool forceAnimation)
{
    std::vector<int> images;
    for (int i = 0; i < image.Frames.Count(); ++i)
        if (!image.Frames[i]->IsEmpty())
            images.push_back(i);
    std::vector<int> ends;
    for (size_t n = 0; n < images.size(); ++n) {
        const TGIFSubImage& frame = *image.Frames[images[n]];
        if (forceAnimation || n + 1 == images.size() || (frame.ControlBlock && frame.ControlBlock->Delay > 0))
            ends.push_back(images[n]);
    }
    return ends;
}

struct TPlayed {
    std::vector<TBitmap> Shots;
    std::vector<int> Frames; // the document frame each shot shows
};

TPlayed PlayOnce(TGIFImage& image)
{
    TPlayed played;
    if (ImageCount(image) == 0)
        return played; // nothing to draw; some of these screens are far too large to allocate
    TTestCanvas canvas(image.Width(), image.Height(), CanvasStart);
    TPlayRecord record;
    record.Watched = &canvas.Bitmap;
    record.Attach(image);
    image.PlayClock = std::make_shared<TVirtualClock>();
    image.StartPlayer(nullptr, *canvas.Canvas, paintAnimate | paintTransparent, canvas.Canvas->ClipRect());
    played.Shots = std::move(record.Shots);
    played.Frames = std::move(record.Frames);
    return played;
}

std::string Hex(const uint8_t* rgb)
{
    return HexRgb(uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]);
}

// Where a shot differs from a suite frame, or an empty text. The suite's
// opaque pixels must have its colors; where it shows nothing, the canvas
// must still show what it showed before playing, which is what a player
// drawing transparently leaves on pixels no image covers (and what its
// disposal to the background brings back).
std::string CompareShot(const TBitmap& shot, const TSuiteFrame& expected)
{
    struct TTally {
        int Count = 0;
        std::string First;
        void Add(int x, int y, const std::string& what)
        {
            if (Count++ == 0)
                First = "(" + std::to_string(x) + "," + std::to_string(y) + ") " + what;
        }
        std::string Text(const std::string& label) const
        {
            return label + " " + std::to_string(Count) + " pixel" + (Count > 1 ? "s" : "") + ", first " +
                   First;
        }
    } wrong, drawn;
    const uint8_t start[3] = {RedOf(CanvasStart), GreenOf(CanvasStart), BlueOf(CanvasStart)};
    const uint8_t* rgba = expected.Rgba.data();
    for (int y = 0; y < shot.Height(); ++y) {
        const uint8_t* row = shot.ScanLine(y);
        for (int x = 0; x < shot.Width(); ++x, rgba += 4) {
            const uint8_t* bgr = row + 4 * x;
            const uint8_t ours[3] = {bgr[2], bgr[1], bgr[0]};
            if (rgba[3] == 255) {
                if (!std::equal(ours, ours + 3, rgba))
                    wrong.Add(x, y, Hex(ours) + " for " + Hex(rgba));
            } else if (!std::equal(ours, ours + 3, start)) {
                drawn.Add(x, y, Hex(ours));
            }
        }
    }
    std::string text;
    if (wrong.Count > 0)
        text = wrong.Text(expected.Name + ": colors differ at");
    if (drawn.Count > 0)
        text += (text.empty() ? "" : "; ") +
                drawn.Text(expected.Name + ": drawn where the suite shows nothing at");
    return text;
}

struct TOutcome {
    bool Loaded = false;
    std::string Difference; // empty where every frame matches
};

TOutcome PlayCase(const std::string& name)
{
    TOutcome outcome;
    const IniFile conf = IniFile::Load((SuiteDir() / (name + ".conf")).string());
    const LoadResult loaded = LoadGif(ReadBytes(SuiteDir() / conf.Get("config", "input", name + ".gif")));
    outcome.Loaded = loaded.loaded;
    if (!loaded.loaded)
        return outcome;
    TGIFImage& image = *loaded.image;
    std::vector<TSuiteFrame> expected;
    const testing::AssertionResult read = ReadSuiteFrames(conf, image.Width(), image.Height(), expected);
    if (!read) {
        outcome.Difference = read.message();
        return outcome;
    }
    const std::vector<int> ends = FrameEnds(image, conf.Get("config", "force-animation", "no") == "yes");
    if (ends.size() != expected.size()) {
        outcome.Difference =
            "pictures: " + std::to_string(ends.size()) + ", suite frames: " + std::to_string(expected.size());
        return outcome;
    }
    const TPlayed played = PlayOnce(image);
    std::string differences;
    for (size_t k = 0; k < ends.size(); ++k) {
        const auto shown = std::find(played.Frames.begin(), played.Frames.end(), ends[k]);
        std::string difference;
        if (shown == played.Frames.end())
            difference = expected[k].Name + ": image " + std::to_string(ends[k]) + " not shown";
        else
            difference = CompareShot(played.Shots[size_t(shown - played.Frames.begin())], expected[k]);
        if (!difference.empty())
            differences += (differences.empty() ? "" : "; ") + difference;
    }
    outcome.Difference = differences;
    return outcome;
}

// What we show where it is not what the suite expects: the outcome text of
// PlayCase, word for word.
const std::map<std::string, std::string>& KnownDeviations()
{
    static const std::map<std::string, std::string> deviations = {
        // The model has no frame for a file without images; there is nothing to play.
        {"no-data", "pictures: 0, suite frames: 1"},
        // The zero-width image takes the screen size and keeps its fill value, index 0.
        {"image-zero-width", "frame0: drawn where the suite shows nothing at 1 pixel, first (0,0) #000000"},
        // The suite refuses these images; the model keeps them.
        {"invalid-code", "pictures: 1, suite frames: 0"},
        {"invalid-colors", "pictures: 1, suite frames: 0"},
        {"overflow-codes", "pictures: 1, suite frames: 0"},
        {"overflow-codes-max", "pictures: 1, suite frames: 0"},
        {"plain-text", "pictures: 1, suite frames: 0"},
    };
    return deviations;
}

class ConformanceComposite : public testing::TestWithParam<std::string> {};

TEST_P(ConformanceComposite, PlayerShowsTheSuitesFrames)
{
    const std::string name = GetParam();
    const TOutcome outcome = PlayCase(name);
    // Cases that do not load are pinned, with their errors, by the model test.
    if (!outcome.Loaded)
        return;
    const auto known = KnownDeviations().find(name);
    EXPECT_EQ(outcome.Difference, known == KnownDeviations().end() ? std::string() : known->second);
}

INSTANTIATE_TEST_SUITE_P(Conformance, ConformanceComposite, testing::ValuesIn(SuiteCases()),
                         SuiteCaseTestName);

// Each listed deviation must name a case of the suite that loads and be
// explained in the notes' section on composited frames.
TEST(ConformanceCompositeDeviations, AreRealListedCasesAndExplained)
{
    const std::vector<std::string> cases = SuiteCases();
    ASSERT_GE(cases.size(), 80u) << "suite missing under " << SuiteDir();
    const std::string notes = FileText(fs::path(FL_TEST_DATA_DIR) / "conformance-notes.md");
    const size_t section = notes.find("\n## Composited frames");
    ASSERT_NE(section, std::string::npos) << "conformance-notes.md has no section on composited frames";
    const std::string explained = notes.substr(section);
    for (const auto& [name, outcome] : KnownDeviations()) {
        SCOPED_TRACE(name);
        EXPECT_NE(std::find(cases.begin(), cases.end(), name), cases.end()) << "not a case of the suite";
        EXPECT_NE(explained.find("| `" + name + "` |"), std::string::npos) << "not in the notes' table";
        EXPECT_FALSE(outcome.empty());
    }
}

} // namespace
} // namespace fl::test
