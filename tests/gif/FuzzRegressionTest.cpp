// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every input a fuzz target once failed on, and the robustness corpus
// of damaged files, through the same code the fuzz targets run. A graceful
// refusal passes; a crash, a sanitizer report or a foreign exception fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "fuzz/GIFRoundTrip.h"
#include "fuzz/LZWInput.h"
#include "platform/Stream.h"

namespace fs = std::filesystem;

namespace {

struct FuzzInput {
    fs::path path;
    std::string target; // the fuzz target the file belongs to; empty for the shared corpus
    std::string name;   // unique among all inputs, usable as a test name
};

std::string Folder(const FuzzInput& input)
{
    return input.target.empty() ? "robustness" : input.target;
}

// Names the file in test listings (ctest shows it beside each test).
void PrintTo(const FuzzInput& input, std::ostream* os)
{
    *os << Folder(input) << '/' << input.path.filename().string();
}

std::vector<FuzzInput> CollectInputs()
{
    std::vector<FuzzInput> inputs;
    const auto addFolder = [&](const fs::path& folder, const std::string& target) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file() && entry.path().filename() != "README.md")
                inputs.push_back({entry.path(), target, {}});
    };
    std::error_code ec;
    for (const auto& dir : fs::directory_iterator(fs::path(FL_TEST_DATA_DIR) / "fuzz", ec))
        if (dir.is_directory())
            addFolder(dir.path(), dir.path().filename().string());
    addFolder(fs::path(FL_SHARED_DIR) / "corpus" / "robustness", {});
    std::sort(inputs.begin(), inputs.end(),
              [](const FuzzInput& a, const FuzzInput& b) { return a.path < b.path; });

    // Names stay put when files are added, so a failure can be rerun by name.
    std::set<std::string> taken;
    for (FuzzInput& input : inputs) {
        std::string base = Folder(input) + "_" + input.path.stem().string();
        std::replace_if(
            base.begin(), base.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
        input.name = base;
        for (int n = 2; !taken.insert(input.name).second; ++n)
            input.name = base + "_" + std::to_string(n);
    }
    return inputs;
}

std::string TestName(const testing::TestParamInfo<FuzzInput>& info)
{
    return info.param.name;
}

std::string Describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

std::vector<FuzzInput> LZWInputs()
{
    std::vector<FuzzInput> inputs = CollectInputs();
    std::erase_if(inputs, [](const FuzzInput& i) { return i.target != "fuzz_lzw_decoder"; });
    return inputs;
}

// Every file, whichever target found it: the reader must cope with any bytes.
class FuzzRegressionGIF : public testing::TestWithParam<FuzzInput> {};

TEST_P(FuzzRegressionGIF, LoadsOrRefusesAndSavedImageLoadsAgain)
{
    const std::vector<uint8_t> bytes = fl::ReadFileBytes(GetParam().path.string());

    fl::fuzz::RoundTripResult result{};
    std::exception_ptr error;
    try {
        result = fl::fuzz::LoadSaveReload(bytes.data(), bytes.size());
    } catch (...) {
        error = std::current_exception();
    }
    ASSERT_FALSE(error) << "escaped: " << Describe(error);
    EXPECT_NE(result.stage, fl::fuzz::RoundTripResult::Stage::ReloadFailed)
        << "the saved image does not load again: " << result.message;
    // Drawn onto its whole logical screen, as the render target does.
    try {
        // A smaller canvas than the fuzzer's keeps the replay quick.
        fl::fuzz::RenderOnScreen(bytes.data(), bytes.size(), uint64_t(1) << 22);
    } catch (...) {
        error = std::current_exception();
    }
    EXPECT_FALSE(error) << "rendering escaped: " << Describe(error);
}

INSTANTIATE_TEST_SUITE_P(Files, FuzzRegressionGIF, testing::ValuesIn(CollectInputs()), TestName);

class FuzzRegressionLZW : public testing::TestWithParam<FuzzInput> {};

TEST_P(FuzzRegressionLZW, DecodesOrRefuses)
{
    const std::vector<uint8_t> bytes = fl::ReadFileBytes(GetParam().path.string());
    std::exception_ptr error;
    try {
        fl::fuzz::DecodeLZWInput(bytes.data(), bytes.size());
    } catch (...) {
        error = std::current_exception();
    }
    EXPECT_FALSE(error) << "escaped: " << Describe(error);
}

// The LZW target may have no findings kept yet.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzRegressionLZW);
INSTANTIATE_TEST_SUITE_P(Files, FuzzRegressionLZW, testing::ValuesIn(LZWInputs()), TestName);

// Without the shared corpus the suites above would pass having looked at nothing.
TEST(FuzzRegressionInputs, RobustnessCorpusIsThere)
{
    const auto inputs = CollectInputs();
    EXPECT_TRUE(
        std::any_of(inputs.begin(), inputs.end(), [](const FuzzInput& i) { return i.target.empty(); }))
        << "no files in " << FL_SHARED_DIR << "/corpus/robustness";
}

} // namespace
