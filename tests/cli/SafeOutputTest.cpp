// SPDX-License-Identifier: GPL-3.0-or-later
// What the command line tool leaves behind when a write fails (a full disk,
// played by a file size limit) or a file asks for more than it can have: the
// old files whole, no temporary files, a message and status 1, never an
// abort.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/CliSupport.h"
#include "gif/GIFBytes.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

// A folder of its own, emptied afterwards.
struct TFolder {
    fs::path Path = TempPath("safe-output");
    TFolder() { fs::create_directories(Path); }
    ~TFolder() { fs::remove_all(Path); }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
    // The folder's files, temporary ones included.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(Path))
            if (entry.is_regular_file())
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Writes beyond 16 KiB fail as on a full disk ("File too large").
std::string WithFullDisk(const std::string& arguments)
{
    return "-c 'ulimit -f 32; trap \"\" XFSZ; exec \"$0\" \"$@\"' " + std::string(FL_CLI_PATH) + " " +
           arguments;
}

TRun RunCliWithFullDisk(const std::string& arguments)
{
    const std::string command = "sh " + WithFullDisk(arguments) + " 2>&1";
    TRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(SafeOutputTest, AFailedWriteLeavesTheOldFileWhole)
{
    TFolder folder;
    const std::string big = std::string(FL_SHARED_DIR) + "/corpus/animated/gifplayer-muybridge.gif";
    if (!fs::exists(big))
        GTEST_SKIP() << "the corpus is not there";
    ASSERT_EQ(RunCli("copy " + kSample + " " + (folder / "kept.gif")).status, 0);
    const std::string before = Contents(folder / "kept.gif");

    const TRun copy = RunCliWithFullDisk("copy " + big + " " + (folder / "kept.gif"));
    EXPECT_EQ(copy.status, 1) << copy.output;
    EXPECT_NE(copy.output.find("File too large"), std::string::npos) << copy.output;
    EXPECT_EQ(Contents(folder / "kept.gif"), before);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"kept.gif"});

    // Several files: the ones that could be written are, the others are
    // named, and none is left as a fragment.
    const TRun exported =
        RunCliWithFullDisk("export-frames --format bmp " + big + " " + (folder / "frame.bmp"));
    EXPECT_EQ(exported.status, 1);
    EXPECT_NE(exported.output.find("frameFL10.bmp: Cannot create file"), std::string::npos)
        << exported.output;
    for (const std::string& name : folder.Files())
        EXPECT_EQ(name.rfind("~FL", 0), std::string::npos) << name;
}

TEST(SafeOutputTest, RenderWritesAllOrNothing)
{
    TFolder folder;
    const std::string out = folder / "frames";
    const std::string big = std::string(FL_SHARED_DIR) + "/corpus/animated/gifplayer-muybridge.gif";
    if (!fs::exists(big))
        GTEST_SKIP() << "the corpus is not there";
    const TRun failed = RunCliWithFullDisk("render " + big + " " + out);
    EXPECT_EQ(failed.status, 1) << failed.output;
    EXPECT_NE(failed.output.find("File too large"), std::string::npos) << failed.output;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << "left " << folder.Files().size() << " files";

    // A logical screen too large to draw is refused with its size, not by
    // an abort.
    test::TGIFBytes gif;
    gif.Header(20000, 20000, 2).Descriptor(0, 0, 1, 1).Pixels({1}, 1, 1, 1).Trailer();
    WriteBytes(folder / "wide.gif", gif.data);
    const TRun huge = RunCli("render " + (folder / "wide.gif") + " " + out);
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.output.find("20000 x 20000 cannot be rendered"), std::string::npos) << huge.output;
}

} // namespace
} // namespace fl
