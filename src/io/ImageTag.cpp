// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ImageTag.h"

#include "io/HtmlPage.h"

namespace fl {

std::string BuildImageTag(const TImageTagFields& fields)
{
    std::string tag = "<img src=\"" + HtmlFileReference(fields.FileName) + "\" height=\"" +
                      std::to_string(fields.Height) + "\" width=\"" + std::to_string(fields.Width) + "\"";
    if (!fields.AltText.empty())
        tag += " alt=\"" + HtmlAttributeText(fields.AltText) + "\"";
    if (!fields.Border.empty())
        tag += " border=\"" + HtmlAttributeText(fields.Border) + "\"";
    tag += ">";
    // A typed address is escaped but not percent-encoded: its "?" and "#"
    // are meant as they are.
    if (!fields.Link.empty())
        return "<a href=\"" + HtmlAttributeText(fields.Link) + "\">" + tag + "</a>";
    return tag;
}

} // namespace fl
