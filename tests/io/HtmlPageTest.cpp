// SPDX-License-Identifier: GPL-3.0-or-later
// The web page, the names its export proposes and writes, and the image tag.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "io/HtmlPage.h"
#include "io/ImageTag.h"
#include "platform/Stream.h"

namespace fl {
namespace {

namespace fs = std::filesystem;

std::string PageWithImageLine(const std::string& imageLine)
{
    return "<HTML>\r\n<HEAD>\r\n  <META NAME=\"GENERATOR\" CONTENT=\"Quillmark Frameloom\">\r\n"
           "  <TITLE></TITLE>\r\n</HEAD>\r\n\r\n<BODY BGCOLOR=\"#FFFFFF\">\r\n" +
           imageLine + "\r\n</BODY></HTML>\r\n";
}

TEST(HtmlPage, FillsTheTemplateWithTheBareNameHeightAndWidth)
{
    const std::string expected =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "  <META NAME=\"GENERATOR\" CONTENT=\"Quillmark Frameloom\">\r\n"
        "  <TITLE></TITLE>\r\n"
        "</HEAD>\r\n"
        "\r\n"
        "<BODY BGCOLOR=\"#FFFFFF\">\r\n"
        "<IMG SRC=\"spin.gif\" ALT=\"Animated Image\" HEIGHT=\"40\" WIDTH=\"120\">\r\n"
        "</BODY></HTML>\r\n";
    EXPECT_EQ(HtmlPageText("/home/art/spin.gif", 40, 120), expected);
    EXPECT_EQ(HtmlPageText("spin.gif", 40, 120), expected);
}

TEST(HtmlPage, ReferencesNamesThatHtmlOrAddressesWouldMisread)
{
    const struct {
        const char* Name;
        const char* Reference;
    } cases[] = {
        {"my spin.gif", "my%20spin.gif"},
        {"a&b.gif", "a&amp;b.gif"},
        {"say \"hi\" <now>.gif", "say%20%22hi%22%20%3Cnow%3E.gif"},
        {"#1?.gif", "%231%3F.gif"},                     // fragment and query
        {"100%.gif", "100%25.gif"},                     // escape introducer
        {"x:y.gif", "x%3Ay.gif"},                       // would read as a scheme
        {"a\\b.gif", "a%5Cb.gif"},                      // browsers read it as a slash
        {"\xC3\xA9t\xC3\xA9.gif", "%C3%A9t%C3%A9.gif"}, // any page encoding
        {"it's (1)+[2]~.gif", "it's%20(1)+%5B2%5D~.gif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(HtmlFileReference(c.Name), c.Reference);
        EXPECT_EQ(HtmlPageText(std::string("/art/") + c.Name, 2, 3),
                  PageWithImageLine(std::string("<IMG SRC=\"") + c.Reference +
                                    "\" ALT=\"Animated Image\" HEIGHT=\"2\" WIDTH=\"3\">"));
    }
}

TEST(HtmlPage, ProposesTheDocumentsFolderAndNameWithoutExtension)
{
    const struct {
        const char* Path;
        const char* Folder;
        const char* Name;
    } cases[] = {
        {"/art/spin.gif", "/art", "spin"},   {"/art/archive.tar.gif", "/art", "archive.tar"},
        {"/my.dir/spin", "/my.dir", "spin"}, // a dot in the folder is no extension
        {"/spin.gif", "/", "spin"},          {"spin.gif", "", "spin"},
        {"/art/.gif", "/art", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        const THtmlPageProposal proposal = HtmlPageProposal(c.Path);
        EXPECT_EQ(proposal.Folder, c.Folder);
        EXPECT_EQ(proposal.FileName, c.Name);
    }
}

TEST(HtmlPage, TargetReplacesTheExtensionWithHtml)
{
    EXPECT_EQ(HtmlPageTarget("/art/page.htm"), "/art/page.html");
    EXPECT_EQ(HtmlPageTarget("/art/page.HTML"), "/art/page.html");
    EXPECT_EQ(HtmlPageTarget("/art/spin.gif"), "/art/spin.html");
    EXPECT_EQ(HtmlPageTarget("/art/a.b.c"), "/art/a.b.html");
    EXPECT_EQ(HtmlPageTarget("/art/page."), "/art/page.html");
    // Typed without extension: the dialog's default one comes first and is
    // then replaced, so a dot in the folder is never taken for one.
    EXPECT_EQ(HtmlPageTarget("/art/page"), "/art/page.html");
    EXPECT_EQ(HtmlPageTarget("/my.dir/page"), "/my.dir/page.html");
    EXPECT_EQ(HtmlPageTarget("/my.dir/page", ".gif"), "/my.dir/page.html");
    EXPECT_EQ(HtmlPageTarget("/my.dir/page", ""), "/my.dir/page.html");
    EXPECT_EQ(HtmlPageTarget(""), "");
}

struct TPageFolder {
    fs::path Folder = fs::temp_directory_path() / ("fl-html-test-" + std::to_string(getpid()));
    TPageFolder() { fs::create_directories(Folder); }
    ~TPageFolder()
    {
        std::error_code ignored;
        fs::permissions(Folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(Folder, ignored);
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    size_t FileCount() const
    {
        return std::distance(fs::directory_iterator(Folder), fs::directory_iterator());
    }
};

TEST(HtmlPageFile, WritesAndReplacesThePageLeavingNoTemporaryFile)
{
    TPageFolder dir;
    const fs::path page = dir.Folder / "spin.html";
    const std::string text = HtmlPageText("spin.gif", 40, 120);
    WriteHtmlPage(page.string(), "old");
    fs::permissions(page, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteHtmlPage(page.string(), text);
    EXPECT_EQ(TPageFolder::Read(page), text);
    EXPECT_EQ(fs::status(page).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.FileCount(), 1u);

    // Through a link the linked file is updated and the link stays.
    const fs::path link = dir.Folder / "link.html";
    fs::create_symlink(page, link);
    WriteHtmlPage(link.string(), "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TPageFolder::Read(page), "new");
}

TEST(HtmlPageFile, FailureNamesTheFileAndLeavesWhatWasThere)
{
    TPageFolder dir;
    const auto expectCreateError = [](const fs::path& path) {
        try {
            WriteHtmlPage(path.string(), "text");
            ADD_FAILURE() << "written: " << path;
        } catch (const EStreamError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + path.string() + "\": ", 0),
                      0u)
                << error.what();
        }
    };
    expectCreateError(dir.Folder / "missing" / "page.html");
    expectCreateError("");
    // Even the superuser cannot make a folder out of a file.
    std::ofstream(dir.Folder / "plain") << "x";
    expectCreateError(dir.Folder / "plain" / "page.html");
    fs::create_directory(dir.Folder / "taken.html");
    expectCreateError(dir.Folder / "taken.html");
    EXPECT_TRUE(fs::is_directory(dir.Folder / "taken.html"));

    if (geteuid() != 0) { // the superuser writes into read-only folders
        const fs::path page = dir.Folder / "kept.html";
        WriteHtmlPage(page.string(), "kept");
        fs::permissions(dir.Folder, fs::perms::owner_write, fs::perm_options::remove);
        expectCreateError(page);
        fs::permissions(dir.Folder, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(TPageFolder::Read(page), "kept");
    }
    EXPECT_EQ(dir.FileCount(), geteuid() != 0 ? 3u : 2u);
}

TEST(ImageTag, BuildsTheFourPartsAsTyped)
{
    TImageTagFields fields{"spin.gif", 40, 120, "", "", ""};
    EXPECT_EQ(BuildImageTag(fields), "<img src=\"spin.gif\" height=\"40\" width=\"120\">");
    fields.Border = "0"; // a zero border is still written
    EXPECT_EQ(BuildImageTag(fields), "<img src=\"spin.gif\" height=\"40\" width=\"120\" border=\"0\">");
    fields.AltText = "Spinning";
    EXPECT_EQ(BuildImageTag(fields),
              "<img src=\"spin.gif\" height=\"40\" width=\"120\" alt=\"Spinning\" border=\"0\">");
    fields.Border.clear();
    EXPECT_EQ(BuildImageTag(fields), "<img src=\"spin.gif\" height=\"40\" width=\"120\" alt=\"Spinning\">");
    fields.Link = "http://example.com/";
    fields.Border = "2";
    EXPECT_EQ(BuildImageTag(fields), "<a href=\"http://example.com/\"><img src=\"spin.gif\" height=\"40\" "
                                     "width=\"120\" alt=\"Spinning\" border=\"2\"></a>");
    fields.AltText.clear();
    fields.Border.clear();
    EXPECT_EQ(BuildImageTag(fields),
              "<a href=\"http://example.com/\"><img src=\"spin.gif\" height=\"40\" width=\"120\"></a>");
}

TEST(ImageTag, EscapesTypedTextAndTheFileName)
{
    const TImageTagFields fields{
        "my \"spin\".gif", 1, 2, "page.html?a=1&b=\"2\"#top", "Tom & \"Jerry\" <3 \xC3\xA9",
        "1\" onload=\"x"};
    EXPECT_EQ(
        BuildImageTag(fields),
        "<a href=\"page.html?a=1&amp;b=&quot;2&quot;#top\"><img src=\"my%20%22spin%22.gif\" height=\"1\" "
        "width=\"2\" alt=\"Tom &amp; &quot;Jerry&quot; &lt;3 \xC3\xA9\" border=\"1&quot; "
        "onload=&quot;x\"></a>");
}

} // namespace
} // namespace fl
