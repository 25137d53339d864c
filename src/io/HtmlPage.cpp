// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/HtmlPage.h"

#include <cstring>

#include "platform/FileReplace.h"

namespace fl {

namespace {

// Windows paths may use either slash and a drive prefix; elsewhere a
// backslash is an ordinary character of a file name.
#ifdef _WIN32
constexpr const char* PathDelimiters = "/\\:";
#else
constexpr const char* PathDelimiters = "/";
#endif

size_t NameStart(const std::string& path)
{
    const size_t delimiter = path.find_last_of(PathDelimiters);
    return delimiter == std::string::npos ? 0 : delimiter + 1;
}

// Position of the extension's dot within the file name part, or npos.
size_t ExtensionDot(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

bool KeptInReference(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return c != 0 && std::strchr("-._~!$&'()*+,;=@", c) != nullptr;
}


} // namespace

std::string FileNameWithoutFolder(const std::string& path)
{
    return path.substr(NameStart(path));
}

std::string HtmlFileReference(const std::string& fileName)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string reference;
    reference.reserve(fileName.size());
    for (unsigned char c : fileName) {
        if (c == '&') {
            reference += "&amp;";
        } else if (KeptInReference(c)) {
            reference += static_cast<char>(c);
        } else {
            reference += '%';
            reference += hex[c >> 4];
            reference += hex[c & 15];
        }
    }
    return reference;
}

std::string HtmlAttributeText(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string HtmlPageText(const std::string& documentPath, int logicalHeight, int logicalWidth)
{
    const std::string eol = "\r\n";
    return "<HTML>" + eol + "<HEAD>" + eol + "  <META NAME=\"GENERATOR\" CONTENT=\"Quillmark Frameloom\">" +
           eol + "  <TITLE></TITLE>" + eol + "</HEAD>" + eol + eol + "<BODY BGCOLOR=\"#FFFFFF\">" + eol +
           "<IMG SRC=\"" + HtmlFileReference(FileNameWithoutFolder(documentPath)) +
           "\" ALT=\"Animated Image\" HEIGHT=\"" + std::to_string(logicalHeight) + "\" WIDTH=\"" +
           std::to_string(logicalWidth) + "\">" + eol + "</BODY></HTML>" + eol;
}

THtmlPageProposal HtmlPageProposal(const std::string& documentPath)
{
    const size_t start = NameStart(documentPath);
    THtmlPageProposal proposal;
    proposal.Folder = documentPath.substr(0, start);
    // The separator after the folder goes, except where it is the root itself
    // ("/" or "C:\"): without it the name would mean the current folder.
    if (proposal.Folder.size() > 1 && proposal.Folder.back() != ':' &&
        proposal.Folder[proposal.Folder.size() - 2] != ':')
        proposal.Folder.pop_back();
    const size_t dot = ExtensionDot(documentPath);
    proposal.FileName =
        documentPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    return proposal;
}

std::string HtmlPageTarget(const std::string& chosenPath, const std::string& defaultExtension)
{
    if (chosenPath.empty())
        return {};
    std::string path = chosenPath;
    size_t dot = ExtensionDot(path);
    if (dot == std::string::npos && !defaultExtension.empty()) {
        dot = path.size();
        path += defaultExtension.front() == '.' ? defaultExtension : "." + defaultExtension;
    }
    return path.substr(0, dot) + ".html";
}

void WriteHtmlPage(const std::string& path, const std::string& text)
{
    ReplaceFileContents(path, text.data(), text.size());
}

} // namespace fl
