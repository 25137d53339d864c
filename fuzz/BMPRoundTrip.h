// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP fuzz target's harness, shared with the regression test that replays
// its findings: read the input as a BMP file and as a packed DIB; whatever
// loads is written, read back, and must give the same pixels.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/BmpCodec.h"
#include "platform/Stream.h"

namespace fl::fuzz {

// Empty when everything the reader accepted survived the round trip.
inline std::string BMPLoadSaveReload(const uint8_t* data, size_t size)
{
    for (TBMPLayout layout : {TBMPLayout::File, TBMPLayout::PackedDIB}) {
        TBitmap loaded;
        try {
            loaded = ReadBMP(data, size, layout);
        } catch (const EBitmapError&) {
            continue;
        }
        TMemoryStream out;
        WriteBMP(loaded, out, layout);
        TBitmap again;
        try {
            again = ReadBMP(out.Bytes().data(), out.Bytes().size(), layout);
        } catch (const EBitmapError& e) {
            return std::string("the written bitmap does not load: ") + e.what();
        }
        if (again.Width() != loaded.Width() || again.Height() != loaded.Height())
            return "the size changed";
        if (again.PixelFormat() != loaded.PixelFormat())
            return "the pixel format changed";
        if (IsIndexed(loaded.PixelFormat()) && !(*again.Palette() == *loaded.Palette()))
            return "the palette changed";
        loaded.SetPixelFormat(TPixelFormat::pf24bit);
        again.SetPixelFormat(TPixelFormat::pf24bit);
        for (int y = 0; y < loaded.Height(); ++y)
            if (std::memcmp(loaded.ScanLine(y), again.ScanLine(y), size_t(loaded.Width()) * 3) != 0)
                return "row " + std::to_string(y) + " changed";
    }
    return {};
}

} // namespace fl::fuzz
