// SPDX-License-Identifier: GPL-3.0-or-later
// The web page that shows an animation, the names its export proposes and
// writes, and the escaping that HTML built from file names and typed text
// needs.
#pragma once

#include <string>

namespace fl {

// The document's file name without its folder.
std::string FileNameWithoutFolder(const std::string& path);

// The name as a reference in an HTML attribute: bytes that would change what
// a relative address points to (space, "#", "?", "%", ":", "\", quotes,
// controls, non-ASCII ...) are percent-encoded, so the browser asks for
// exactly this file whatever encoding it assumes for the page, and "&"
// becomes "&amp;". Letters, digits and "-._~!$'()*+,;=@" stay as they are.
std::string HtmlFileReference(const std::string& fileName);

// Text for a double-quoted HTML attribute value: "&", "<", ">" and '"'
// become character references; everything else, UTF-8 included, is kept.
std::string HtmlAttributeText(const std::string& text);

// The page showing the image at its logical size, CR LF line breaks. The
// image is referred to by its bare file name (the folder of documentPath is
// dropped), so the page works when saved beside the GIF file.
std::string HtmlPageText(const std::string& documentPath, int logicalHeight, int logicalWidth);

// Where the save dialog for the page starts: the document's folder and its
// file name without the extension (the part before the last ".").
struct THtmlPageProposal {
    std::string Folder;
    std::string FileName;
};
THtmlPageProposal HtmlPageProposal(const std::string& documentPath);

// The page's path for the name chosen in the save dialog: a name without an
// extension first gets the dialog's default extension (as the dialog adds
// it; none when defaultExtension is empty), then the extension is replaced
// by ".html". "page.htm" and "page" both give "page.html". Empty for an
// empty choice.
std::string HtmlPageTarget(const std::string& chosenPath, const std::string& defaultExtension = "gif");

// Writes the page: the text goes to a temporary file beside the target that
// then replaces it, so a failure leaves an existing file whole. Throws
// EStreamError "Cannot create file "<path>": <reason>" on failure.
void WriteHtmlPage(const std::string& path, const std::string& text);

} // namespace fl
