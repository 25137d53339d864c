// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every input the BMP fuzz target once failed on, and the seeds and
// the BMP files of the shared corpus, through the target's own harness. A graceful refusal
// passes; a crash, a foreign exception or a changed round trip fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/BMPRoundTrip.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Inputs()
{
    std::vector<fs::path> files;
    std::error_code ec;
    const fs::path data(FL_TEST_DATA_DIR);
    // Findings, and the target's seeds: variants of other writers that must round-trip.
    for (const fs::path& folder :
         {data / "fuzz" / "fuzz_bmp_reader", data / ".." / ".." / "fuzz" / "seeds" / "fuzz_bmp_reader"})
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (e.is_regular_file() && e.path().filename() != "README.md")
                files.push_back(e.path());
    for (const auto& e : fs::recursive_directory_iterator(fs::path(FL_SHARED_DIR) / "corpus", ec))
        if (e.is_regular_file() && e.path().extension() == ".bmp")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Name(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = std::to_string(info.index) + "_" + info.param.stem().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

class BmpFuzzRegression : public testing::TestWithParam<fs::path> {};

TEST_P(BmpFuzzRegression, LoadsOrRefusesAndRoundTrips)
{
    const std::vector<uint8_t> bytes = fl::ReadFileBytes(GetParam().string());
    std::string problem;
    ASSERT_NO_THROW(problem = fl::fuzz::BMPLoadSaveReload(bytes.data(), bytes.size()));
    EXPECT_EQ(problem, "");
}

INSTANTIATE_TEST_SUITE_P(Files, BmpFuzzRegression, testing::ValuesIn(Inputs()), Name);

TEST(BmpFuzzRegressionInputs, CorpusBitmapsAreThere)
{
    const auto files = Inputs();
    EXPECT_TRUE(
        std::any_of(files.begin(), files.end(), [](const fs::path& p) { return p.extension() == ".bmp"; }))
        << "no BMP files in " << FL_SHARED_DIR << "/corpus";
}

} // namespace
