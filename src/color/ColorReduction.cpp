// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorReduction.h"

#include "color/ColorQuantizer.h"
#include "color/Ditherers.h"
#include "color/FixedPalettes.h"

namespace fl {

TReductionPalette MakeReductionPalette(uint8_t method, int bits, const TPaletteHandle& customPalette,
                                       const TBGRRowSource& source)
{
    TReductionPalette result;
    switch (method) {
    case reduceSystem20:
        result.Palette = StockDefaultPalette();
        break;
    case reduceHalftone256:
        result.Palette = MakeHalftonePalette();
        break;
    case reduceGray4:
        result.Palette = MakeGray4Palette();
        break;
    case reduceMonochrome:
        result.Palette = MakeMonochromePalette();
        result.Lookup = std::make_unique<TMonochromeLookup>();
        return result;
    case reduceGray256:
        result.Palette = MakeGray256Palette();
        result.Lookup = std::make_unique<TGrayScaleLookup>();
        return result;
    case reduceWebSafe216:
        result.Palette = MakeWebSafePalette();
        result.Lookup = std::make_unique<TNetscapeColorLookup>();
        return result;
    case reduceQuantize:
        // Bits outside 0..8 would shift out of range; the quantizer refuses
        // the resulting count.
        result.Palette = BuildQuantizedPalette(source, bits >= 0 && bits <= 8 ? 1 << bits : 0, 8, false);
        break;
    case reduceQuantizeSystem:
        result.Palette = BuildQuantizedPalette(source, 256, 8, true);
        break;
    case reduceCustomPalette:
        result.Palette =
            customPalette ? std::make_shared<TPalette>(*customPalette) : std::make_shared<TPalette>();
        break;
    default:
        return result;
    }
    result.Lookup = std::make_unique<TFastColorLookup>(result.Palette);
    return result;
}

TPaletteHandle ReduceColors(const TBGRRowSource& source, const TIndexRowTarget& target, uint8_t method,
                            uint8_t ditherMode, int bits, const TPaletteHandle& customPalette)
{
    TReductionPalette reduction = MakeReductionPalette(method, bits, customPalette, source);
    if (!reduction.Lookup || !DitherImage(source, target, *reduction.Lookup, ditherMode))
        return nullptr;
    return reduction.Palette;
}

} // namespace fl
