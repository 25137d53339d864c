// SPDX-License-Identifier: GPL-3.0-or-later
// Where the decoder conformance suite lives and how its cases are listed,
// shared by the tests that compare the model and the composited frames.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/GifTestSupport.h"

namespace fl::test {

inline std::filesystem::path SuiteDir()
{
    return SharedDir() / "conformance" / "gif-decoder-suite";
}

// The case names, in the order of the suite's TESTS file.
inline std::vector<std::string> SuiteCases()
{
    std::vector<std::string> names;
    std::ifstream list(SuiteDir() / "TESTS");
    std::string line;
    while (std::getline(list, line))
        if (!line.empty())
            names.push_back(line);
    return names;
}

inline std::string FileText(const std::filesystem::path& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A case name as a test name: gtest takes letters, digits and '_' only.
inline std::string SuiteCaseTestName(const testing::TestParamInfo<std::string>& param)
{
    std::string name = param.param;
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

} // namespace fl::test
