// SPDX-License-Identifier: GPL-3.0-or-later
// Reading written JPEG files back in the io tests: their markers, and their
// pixels through libjpeg.
#pragma once

#include <cstdint>
#include <vector>

namespace fl::test {

struct TJpegFacts {
    std::vector<uint8_t> FrameMarkers; // the SOFn markers found (0xC0, 0xC2, ...)
    int Components = 0;                // of the first frame header
    int Width = 0;
    int Height = 0;
    std::vector<std::vector<uint8_t>> QuantTables; // the 64 values of each 8-bit DQT table, in file order
};

// Walks the marker segments up to the first scan. Fails the current test
// (and answers what it found) on a malformed stream.
TJpegFacts ReadJpegFacts(const std::vector<uint8_t>& bytes);

struct TDecodedJpeg {
    bool Ok = false;
    int Width = 0;
    int Height = 0;
    int Components = 0;
    std::vector<uint8_t> Pixels; // rows of Components bytes per pixel, RGB or gray
};

// Decodes with libjpeg; Ok is false when the codec refused the data.
TDecodedJpeg DecodeJpeg(const std::vector<uint8_t>& bytes);

} // namespace fl::test
