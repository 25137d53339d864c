// SPDX-License-Identifier: GPL-3.0-or-later
// The image tag the user copies into a web page of their own.
#pragma once

#include <string>

namespace fl {

// What the tag is built from: the document's file name and logical size, and
// the link, alt text and border as the user typed them (each may be empty).
struct TImageTagFields {
    std::string FileName;
    int Height = 0;
    int Width = 0;
    std::string Link;
    std::string AltText;
    std::string Border;
};

// <img src=... height=... width=...> with alt and border attributes only for
// non-empty texts ("0" is a border too), wrapped in <a href=...> when a link
// is given. Typed texts are escaped for attribute values; the file name is
// written as a file reference (see HtmlFileReference).
std::string BuildImageTag(const TImageTagFields& fields);

} // namespace fl
