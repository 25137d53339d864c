// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a bitmap as a baseline or progressive JPEG file through
// libjpeg-turbo.
#pragma once

#include <stdexcept>
#include <string>

namespace fl {

class TBitmap;
class TStream;

// A JPEG that could not be written; the message is the codec's.
class EJpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TJpegOptions {
    int Quality = 50;         // 1..100, values outside are clamped
    bool Progressive = false; // several scans, coarse to fine
    bool Grayscale = false;   // one luminance component
    bool FastDct = false;     // the fast integer transform: quicker, a little less exact
};

// The quality of a position of the export dialog's track bar: 0 (excellent)
// to 4 (poor). Positions outside are clamped.
int JpegQualityForPosition(int position);

// Encodes the bitmap (any pixel format; a transparency mask is ignored) and
// appends the file to the stream. Throws EJpegError for an empty bitmap or a
// codec failure; nothing is written to the stream then.
void WriteJpeg(const TBitmap& bitmap, const TJpegOptions& options, TStream& stream);

// The same into a file, written only once the whole image is encoded.
void SaveJpegToFile(const TBitmap& bitmap, const TJpegOptions& options, const std::string& path);

} // namespace fl
