// SPDX-License-Identifier: GPL-3.0-or-later
// Videos made by the ffmpeg tool for the AVI tests, and its decoding of ours.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace fl::test {

// Runs a shell command; answers its standard output, or nothing with ok
// false when it fails.
inline std::string RunCommand(const std::string& command, bool& ok)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ok = false;
        return output;
    }
    std::array<char, 65536> buffer{};
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    ok = pclose(pipe) == 0;
    return output;
}

inline bool HaveFFmpeg()
{
    bool ok = false;
    RunCommand("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1", ok);
    return ok;
}

// A folder of its own per test, removed afterwards.
class AviFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveFFmpeg())
            GTEST_SKIP() << "the ffmpeg and ffprobe tools are not installed";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("fl-avi-" + std::to_string(getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // An AVI of ffmpeg's test pattern: "-c:v <codec> ..." arguments.
    std::string MakeVideo(const std::string& name, const std::string& codecArguments, int rate = 10,
                          const std::string& size = "64x48", double seconds = 1)
    {
        const std::string path = Path(name);
        bool ok = false;
        RunCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=" + size + ":rate=" + std::to_string(rate) +
                       " -t " + std::to_string(seconds) + " " + codecArguments + " '" + path + "' 2>&1",
                   ok);
        EXPECT_TRUE(ok) << "ffmpeg could not make " << name;
        return path;
    }

    // Every decoded picture of the file as rgb24 bytes, one after another,
    // without repeating or dropping any.
    static std::string DecodeRgb(const std::string& path)
    {
        bool ok = false;
        std::string bytes = RunCommand(
            "ffmpeg -v error -i '" + path + "' -vsync passthrough -f rawvideo -pix_fmt rgb24 -", ok);
        EXPECT_TRUE(ok) << "ffmpeg could not decode " << path;
        return bytes;
    }

    static std::string Probe(const std::string& path, const std::string& entries)
    {
        bool ok = false;
        std::string text = RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries " +
                                          entries + " -of default=noprint_wrappers=1 '" + path + "'",
                                      ok);
        EXPECT_TRUE(ok) << "ffprobe could not read " << path;
        return text;
    }

    static std::vector<uint8_t> ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::filesystem::path folder_;
};

} // namespace fl::test
