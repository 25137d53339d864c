// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clipboard.h"

namespace fl {

bool TMemoryClipboard::HasFormat(const std::string& format) const
{
    return blocks_.count(format) > 0;
}

std::optional<std::vector<uint8_t>> TMemoryClipboard::GetData(const std::string& format) const
{
    const auto found = blocks_.find(format);
    if (found == blocks_.end())
        return std::nullopt;
    return found->second;
}

bool TMemoryClipboard::SetData(const std::string& format, std::vector<uint8_t> data)
{
    if (refused_.count(format))
        return false;
    blocks_[format] = std::move(data);
    return true;
}

void TMemoryClipboard::Clear()
{
    blocks_.clear();
}

void TMemoryClipboard::SetRefused(const std::string& format, bool refused)
{
    if (refused)
        refused_.insert(format);
    else
        refused_.erase(format);
}

} // namespace fl
