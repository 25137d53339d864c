// SPDX-License-Identifier: GPL-3.0-or-later
// Writing chosen frames of an animation as separate image files: GIF
// reduced to a chosen palette, JPEG or BMP.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "io/JpegWriter.h"

namespace fl {

class TGIFImage;

enum class TExportFormat { Gif, Jpeg, Bitmap };

// The palettes a GIF export can reduce to.
enum class TExportPalette { Netscape, Windows, WindowsSystem, Grayscale, Monochrome };

struct TFrameExportOptions {
    TExportFormat Format = TExportFormat::Gif;
    // GIF: the palette, the size of the quantized "Windows" palette (256,
    // 128, 64, 32, 16 or 8) and whether the file gets one optimized global
    // palette.
    TExportPalette Palette = TExportPalette::Netscape;
    int WindowsColors = 256;
    bool Optimized = true;
    // JPEG; the quality is usually JpegQualityForPosition of the dialog's
    // track bar.
    TJpegOptions Jpeg;
    // BMP: black and white.
    bool Monochrome = false;
};

// The quantizer depth of a "Windows" palette size (256 -> 8 ... 8 -> 3);
// 0 for a size the export does not offer.
int WindowsPaletteBits(int colors);

// The file a frame goes to: the chosen name (for GIF with its extension
// changed to ".gif") with "FL1" and the frame's index inserted before its
// extension, or at its end when it has none: pic.gif and frame 3 give
// picFL13.gif, pic.jpeg gives picFL13.jpeg.
std::string ExportFileName(const std::string& chosenName, int frameIndex, TExportFormat format);

struct TFrameExportReport {
    // Some frame did not exist and went out as the placeholder picture.
    bool Error = false;
    std::vector<std::string> Written;
    // Files that could not be written, with the reason; the export carries
    // on with the next frame.
    std::vector<std::pair<std::string, std::string>> Failed;
};

// Called before each frame with the number of frames begun so far (1 for
// the first) and the total.
using TExportProgress = std::function<void(int position, int count)>;

// Writes the frames with the given indices, in the order given, under
// ExportFileName of the chosen name. An empty frame is written as the
// placeholder picture; a missing one too, and it sets the report's Error.
// Throws std::invalid_argument for a "Windows" palette size not offered,
// before anything is written.
TFrameExportReport ExportFrames(TGIFImage& image, const std::vector<int>& frames,
                                const std::string& chosenName, const TFrameExportOptions& options,
                                const TExportProgress& progress = {});

} // namespace fl
