// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/PaletteSettings.h"

#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

// Reduction bits for a color count; 0 for counts that are no power of two
// from 8 to 256.
int BitsForColorCount(int count)
{
    for (int bits = 3; bits <= 8; ++bits)
        if (count == 1 << bits)
            return bits;
    return 0;
}

} // namespace

bool ApplyPaletteSettings(TGIFImage& image, const TSettingsStore& settings)
{
    bool globalPalette = false;
    const int type = ReadIntegerSetting(settings, KeyPaletteType);
    if (type == paletteOptimized || type == paletteLocal) {
        image.ReductionMethod = reduceQuantize;
        if (const int bits = BitsForColorCount(ReadIntegerSetting(settings, KeyMaxColorCount)))
            image.SetReductionDepth(bits);
        globalPalette = type == paletteOptimized;
    } else if (type == paletteWebSafe) {
        image.ReductionMethod = reduceWebSafe216;
        image.SetReductionDepth(8);
        globalPalette = true;
    }
    switch (ReadIntegerSetting(settings, KeyDitherMethod)) {
    case 0:
        image.Dithering = ditherNearest;
        break;
    case 1:
        image.Dithering = ditherFloydSteinberg;
        break;
    default:
        break;
    }
    return globalPalette;
}

} // namespace fl
