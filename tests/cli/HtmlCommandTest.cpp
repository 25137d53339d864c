// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli html: the page for a GIF file, and what stops it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/CliSupport.h"
#include "gif/PlayerSupport.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

struct THtmlCase {
    fs::path Folder = TempPath("html");
    THtmlCase() { fs::create_directories(Folder / "elsewhere"); }
    ~THtmlCase() { fs::remove_all(Folder); }

    fs::path MakeGif(const std::string& name, int width, int height) const
    {
        const fs::path path = Folder / name;
        test::MakeAnimation(width, height, {{0, 0, 4, 3, 1, 1, 10}})->SaveToFile(path.string());
        return path;
    }
    static std::string Quoted(const fs::path& path)
    {
        std::string quoted = "'";
        quoted += path.string();
        quoted += '\'';
        return quoted;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
};

std::string Page(const std::string& src, int height, int width)
{
    return "<HTML>\r\n<HEAD>\r\n  <META NAME=\"GENERATOR\" CONTENT=\"Quillmark Frameloom\">\r\n"
           "  <TITLE></TITLE>\r\n</HEAD>\r\n\r\n<BODY BGCOLOR=\"#FFFFFF\">\r\n<IMG SRC=\"" +
           src + "\" ALT=\"Animated Image\" HEIGHT=\"" + std::to_string(height) + "\" WIDTH=\"" +
           std::to_string(width) + "\">\r\n</BODY></HTML>\r\n";
}

TEST(CliHtml, WritesThePageBesideTheImage)
{
    THtmlCase c;
    const fs::path gif = c.MakeGif("spin.gif", 120, 40);
    TRun run = RunCli("html " + c.Quoted(gif) + " " + c.Quoted(c.Folder / "spin.html"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(c.Read(c.Folder / "spin.html"), Page("spin.gif", 40, 120));

    // The name is written where asked, even with another extension, and a
    // name that needs escaping is escaped.
    const fs::path spaced = c.MakeGif("my spin & co.gif", 7, 9);
    run = RunCli("html " + c.Quoted(spaced) + " " + c.Quoted(c.Folder / "page.htm"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(c.Read(c.Folder / "page.htm"), Page("my%20spin%20&amp;%20co.gif", 9, 7));
}

TEST(CliHtml, WarnsWhenThePageIsNotBesideTheImage)
{
    THtmlCase c;
    const fs::path gif = c.MakeGif("spin.gif", 120, 40);
    const TRun run = RunCli("html " + c.Quoted(gif) + " " + c.Quoted(c.Folder / "elsewhere" / "spin.html"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("warning: the page refers to \"spin.gif\" without a folder"), std::string::npos)
        << run.output;
    EXPECT_EQ(c.Read(c.Folder / "elsewhere" / "spin.html"), Page("spin.gif", 40, 120));
}

TEST(CliHtml, FailuresExitWithAMessage)
{
    THtmlCase c;
    const fs::path gif = c.MakeGif("spin.gif", 120, 40);
    const fs::path page = c.Folder / "page.html";

    TRun run = RunCli("html " + c.Quoted(c.Folder / "none.gif") + " " + c.Quoted(page));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(c.Folder.string() + "/none.gif: "), std::string::npos) << run.output;

    std::ofstream(c.Folder / "text.gif") << "not a picture";
    EXPECT_EQ(RunCli("html " + c.Quoted(c.Folder / "text.gif") + " " + c.Quoted(page)).status, 1);

    // A header, a 5 x 5 screen and the trailer: a valid file without frames.
    std::ofstream(c.Folder / "empty.gif", std::ios::binary) << std::string("GIF89a\5\0\5\0\0\0\0;", 14);
    run = RunCli("html " + c.Quoted(c.Folder / "empty.gif") + " " + c.Quoted(page));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("the animation has no frames"), std::string::npos) << run.output;

    const fs::path unwritable = c.Folder / "missing" / "page.html";
    run = RunCli("html " + c.Quoted(gif) + " " + c.Quoted(unwritable));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Cannot create file \"" + unwritable.string() + "\""), std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(page));
}

TEST(CliHtml, WrongArgumentsAreAUsageError)
{
    THtmlCase c;
    const std::string gif = c.Quoted(c.MakeGif("spin.gif", 120, 40));
    const std::string page = c.Quoted(c.Folder / "spin.html");
    for (const std::string& args :
         {std::string(), gif, gif + " " + page + " " + page, "--title x " + gif + " " + page}) {
        SCOPED_TRACE(args);
        const TRun run = RunCli("html " + args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find("frameloom-cli html"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(c.Folder / "spin.html"));
    EXPECT_NE(RunCli("--help").output.find("frameloom-cli html IN.gif OUT.html"), std::string::npos);
}

} // namespace
} // namespace fl
