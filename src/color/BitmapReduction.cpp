// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/BitmapReduction.h"

#include <optional>

#include "color/ColorQuantizer.h"
#include "color/ColorReduction.h"
#include "color/DIB.h"

namespace fl {

// Beyond this many pixels the empty result is made 1-bit first, so that no
// large intermediate image is held while the result is built.
constexpr uint64_t kLargeImagePixels = 500000;

std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& source, uint8_t method, uint8_t ditherMode, int bits,
                                            const TPaletteHandle& customPalette)
{
    auto result = std::make_unique<TBitmap>();
    if (method == reduceNone) {
        *result = source;
        result->SetPixelFormat(TPixelFormat::pf24bit);
        return result;
    }
    if (uint64_t(source.Width()) * uint64_t(source.Height()) > kLargeImagePixels)
        result->SetPixelFormat(TPixelFormat::pf1bit);

    TDIBReader reader(source, TPixelFormat::pf24bit);
    const int width = source.Width(), height = source.Height();
    // The writer is made once the palette and engine exist, as the first row
    // is asked for, so that an unknown mode or an empty palette leaves the
    // result empty instead of failing on its size.
    std::optional<TDIBWriter> writer;
    auto target = [&](int y) -> uint8_t* {
        if (!writer)
            writer.emplace(*result, TPixelFormat::pf8bit, width, height, nullptr);
        return writer->ScanLine(y);
    };
    TPaletteHandle palette = ReduceColors(reader.RowSource(), target, method, ditherMode, bits, customPalette);
    if (!palette)
        return result;
    if (!writer)
        writer.emplace(*result, TPixelFormat::pf8bit, width, height, nullptr);
    writer->SetPalette(palette);
    writer->Finish();
    return result;
}

TPaletteHandle QuantizeBitmapPalette(TBitmap& bitmap, int colorCount, int colorBits, bool addSystemColors)
{
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    return BuildQuantizedPalette(reader.RowSource(), colorCount, colorBits, addSystemColors);
}

} // namespace fl
