// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/FrameExport.h"

#include <memory>
#include <stdexcept>

#include "color/BitmapReduction.h"
#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "editing/AnimationPalettes.h"
#include "gif/GIFImage.h"
#include "io/PlaceholderPicture.h"
#include "platform/Bitmap.h"

namespace fl {

namespace {

// Where the extension of the name's last component starts (its final dot),
// or npos when it has none.
size_t ExtensionStart(const std::string& name)
{
    const size_t fileStart = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (fileStart != std::string::npos && dot < fileStart))
        return std::string::npos;
    return dot;
}

uint8_t ReductionOf(TExportPalette palette)
{
    switch (palette) {
    case TExportPalette::Netscape:
        return reduceWebSafe216;
    case TExportPalette::Windows:
        return reduceQuantize;
    case TExportPalette::WindowsSystem:
        return reduceSystem20;
    case TExportPalette::Grayscale:
        return reduceGray256;
    case TExportPalette::Monochrome:
        return reduceMonochrome;
    }
    return reduceWebSafe216;
}

// The picture of one frame: a copy of its rendering, or the placeholder for
// an empty or missing frame (`missing` tells which).
std::unique_ptr<TBitmap> FramePicture(TGIFImage& image, int index, bool& missing)
{
    missing = index < 0 || index >= image.Frames.Count();
    if (!missing) {
        if (TBitmap* rendering = image.Frames[index]->RenderBitmap())
            return std::make_unique<TBitmap>(*rendering);
    }
    return MakePlaceholderPicture();
}

// One writer per export, made once like the dialog's scratch pictures.
class TGifFrameWriter {
public:
    explicit TGifFrameWriter(const TFrameExportOptions& options) : optimized_(options.Optimized)
    {
        scratch_.ReductionMethod = ReductionOf(options.Palette);
        scratch_.Dithering = ditherNearest;
        if (options.Palette == TExportPalette::Windows)
            scratch_.SetReductionDepth(WindowsPaletteBits(options.WindowsColors));
    }

    void Write(const TBitmap& picture, const std::string& path)
    {
        // A frame's rendering is indexed, and an indexed bitmap keeps its own
        // color table when it becomes a frame; the export promises the chosen
        // palette, so the picture goes in as true color and is reduced.
        TBitmap trueColor(picture);
        trueColor.SetPixelFormat(TPixelFormat::pf24bit);
        try {
            scratch_.CopyFrom(trueColor);
            if (optimized_)
                OptimizeAnimationPalettes(scratch_);
            scratch_.SaveToFile(path);
        } catch (...) {
            scratch_.Reset();
            throw;
        }
        scratch_.Reset();
    }

private:
    TGIFImage scratch_;
    bool optimized_;
};

void WriteBitmap(const TBitmap& picture, bool monochrome, const std::string& path)
{
    if (!monochrome) {
        TBitmap copy(picture);
        copy.SaveToFile(path);
        return;
    }
    // Every pixel goes to the nearer of black and white.
    TBitmap source(picture);
    std::unique_ptr<TBitmap> reduced =
        ReduceBitmapColors(source, reduceMonochrome, ditherNearest, 8, nullptr);
    if (!reduced || reduced->Empty())
        throw std::runtime_error("Cannot reduce the picture to black and white");
    reduced->SetPixelFormat(TPixelFormat::pf1bit);
    reduced->SaveToFile(path);
}

} // namespace

int WindowsPaletteBits(int colors)
{
    for (int bits = 3; bits <= 8; ++bits)
        if (colors == 1 << bits)
            return bits;
    return 0;
}

std::string ExportFileName(const std::string& chosenName, int frameIndex, TExportFormat format)
{
    std::string name = chosenName;
    size_t extension = ExtensionStart(name);
    if (format == TExportFormat::Gif) {
        name = name.substr(0, extension) + ".gif";
        extension = ExtensionStart(name);
    }
    if (extension == std::string::npos)
        extension = name.size();
    return name.substr(0, extension) + "FL1" + std::to_string(frameIndex) + name.substr(extension);
}

TFrameExportReport ExportFrames(TGIFImage& image, const std::vector<int>& frames,
                                const std::string& chosenName, const TFrameExportOptions& options,
                                const TExportProgress& progress)
{
    if (options.Format == TExportFormat::Gif && options.Palette == TExportPalette::Windows &&
        WindowsPaletteBits(options.WindowsColors) == 0)
        throw std::invalid_argument("Unsupported palette size " + std::to_string(options.WindowsColors));

    TFrameExportReport report;
    std::unique_ptr<TGifFrameWriter> gifWriter;
    if (options.Format == TExportFormat::Gif)
        gifWriter = std::make_unique<TGifFrameWriter>(options);

    const int count = static_cast<int>(frames.size());
    for (int position = 0; position < count; ++position) {
        if (progress)
            progress(position + 1, count);
        const int index = frames[size_t(position)];
        const std::string path = ExportFileName(chosenName, index, options.Format);
        try {
            bool missing = false;
            const std::unique_ptr<TBitmap> picture = FramePicture(image, index, missing);
            report.Error = report.Error || missing;
            switch (options.Format) {
            case TExportFormat::Gif:
                gifWriter->Write(*picture, path);
                break;
            case TExportFormat::Jpeg:
                SaveJpegToFile(*picture, options.Jpeg, path);
                break;
            case TExportFormat::Bitmap:
                WriteBitmap(*picture, options.Monochrome, path);
                break;
            }
            report.Written.push_back(path);
        } catch (const std::exception& failure) {
            report.Failed.emplace_back(path, failure.what());
        }
    }
    return report;
}

} // namespace fl
