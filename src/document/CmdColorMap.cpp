// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/CmdColorMap.h"

namespace fl {

void TCmdColorMap::Warn(int, const std::string&)
{
}

void TCmdColorMap::CountUsage(TColorHistogram&)
{
}

void TCmdColorMap::RemapPixels(const TColorRemapTable&)
{
}

bool TCmdColorMap::SortColorMapByUse()
{
    return false;
}

void TCmdColorMap::TableChanged()
{
}

} // namespace fl
