// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Graphic.h"

namespace fl {

void TGraphic::LoadFromFile(const std::string& path)
{
    // Reading from memory is several times faster than many small file reads.
    TMemoryStream stream;
    stream.LoadFromFile(path);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path)
{
    // Written to memory first so that a failing save never leaves a half
    // written file behind a successful open.
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(path);
}

} // namespace fl
