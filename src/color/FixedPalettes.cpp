// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/FixedPalettes.h"

namespace fl {

TPaletteHandle MakeWebSafePalette()
{
    auto palette = std::make_shared<TPalette>();
    palette->Entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette->Entries.push_back({uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0});
    return palette;
}

} // namespace fl
