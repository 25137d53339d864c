// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AviImport.h"

#include <algorithm>
#include <memory>

#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "editing/FrameSettings.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/GIFImage.h"
#include "io/AviReader.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl {

TAviImportLimits AviImportLimits;

namespace {

// Color table bytes of a packed bitmap whose info header is at p: a full
// table up to 8 bits per pixel, three masks for bit fields, else none.
size_t ColorTableBytes(const uint8_t* header)
{
    const int bits = ReadLE16(header + 14);
    if (bits <= 8)
        return size_t(4) << bits;
    return ReadLE32(header + 16) == 3 ? 12 : 0; // BI_BITFIELDS
}

class TFrameAdder {
public:
    TFrameAdder(TGIFImage& image, const std::vector<uint8_t>& format, int delay)
        : image_(image), format_(format), delay_(delay)
    {
    }

    void Add(std::vector<uint8_t>& dib)
    {
        if (image_.Frames.Count() >= AviImportLimits.MaxFrames)
            throw EAviError("Too many frames in AVI stream");
        const uint64_t pixels = uint64_t(ReadLE32(dib.data() + 4)) * ReadLE32(dib.data() + 8);
        if (pixels >
            GIFMemoryLimits.MaxDocumentPixels - std::min(pixelsUsed_, GIFMemoryLimits.MaxDocumentPixels))
            throw GIFException("Image is too large");
        pixelsUsed_ += pixels;

        // The stream format's colors replace the picture's own, as many as
        // the format says it uses and the picture has room for.
        const size_t tableBytes = ColorTableBytes(dib.data());
        const size_t formatColors =
            std::min<size_t>(ReadLE32(format_.data() + 32), (format_.size() - kBitmapInfoHeaderSize) / 4);
        const size_t copied = std::min(formatColors * 4, ReadLE16(dib.data() + 14) <= 8 ? tableBytes : 0);
        std::copy_n(format_.begin() + kBitmapInfoHeaderSize, copied, dib.begin() + kBitmapInfoHeaderSize);

        // A bitmap file: header, info header, color table and the image
        // size field's count of pixel bytes.
        const size_t imageSize = ReadLE32(dib.data() + 20);
        const size_t available = dib.size() - std::min(dib.size(), kBitmapInfoHeaderSize + tableBytes);
        const size_t bodySize = kBitmapInfoHeaderSize + tableBytes + std::min(imageSize, available);
        file_.resize(kBitmapFileHeaderSize + bodySize);
        std::fill_n(file_.begin(), kBitmapFileHeaderSize, uint8_t(0));
        file_[0] = 'B';
        file_[1] = 'M';
        PutLE32(&file_[10], uint32_t(kBitmapFileHeaderSize + kBitmapInfoHeaderSize + tableBytes));
        std::copy_n(dib.begin(), bodySize, file_.begin() + kBitmapFileHeaderSize);

        TBitmap bitmap;
        TMemoryStream stream(file_.data(), file_.size());
        bitmap.LoadFromStream(stream);
        const int index = image_.AddFrame(bitmap);
        TGIFSubImage& frame = *image_.Frames[index];
        if (index == 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
            loop->LoopCount = 0;
            frame.Extensions.Append(std::move(loop));
        }
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
        control->Delay = uint16_t(delay_);
        frame.Extensions.Append(std::move(control));
    }

private:
    TGIFImage& image_;
    const std::vector<uint8_t>& format_;
    int delay_;
    uint64_t pixelsUsed_ = 0;
    std::vector<uint8_t> file_;
};

} // namespace

int AviFrameDelay(uint32_t scale, uint32_t rate)
{
    const uint64_t delay = rate == 0 ? scale / 100 : (uint64_t(scale) * 100 + rate / 2) / rate;
    return int(std::min<uint64_t>(delay, 65535));
}

void ImportAvi(TGIFImage& image, const std::string& path)
{
    TAviReader reader(path);
    reader.OnWarning = [&image](const std::string& message) {
        image.DispatchWarning(nullptr, wsWarning, message);
    };
    const TAviStreamInfo& info = reader.Info();
    const int delay = AviFrameDelay(info.Scale, info.Rate);

    image.ReductionMethod = reduceWebSafe216;
    image.Dithering = ditherFloydSteinberg;

    // Every position from the stream's start to its length - 1 shows the
    // latest picture at or before it: empty samples repeat the previous one.
    TFrameAdder adder(image, reader.Format(), delay);
    const int64_t end = info.Length;
    int64_t next = info.Start;
    std::vector<uint8_t> last, picture;
    bool haveLast = false;
    int64_t position = 0;
    while (next < end && reader.ReadFrame(position, picture)) {
        position += info.Start;
        if (!haveLast)
            next = std::max(next, position);
        while (haveLast && next < position && next < end) {
            adder.Add(last);
            ++next;
        }
        last.swap(picture);
        haveLast = true;
    }
    if (haveLast && next < end) {
        adder.Add(last);
        ++next;
    }
    if (next < end && !image.IsEmpty())
        image.DispatchWarning(nullptr, wsWarning,
                              "AVI stream ends early: " + std::to_string(image.Frames.Count()) + " of " +
                                  std::to_string(end - info.Start) + " frames read");
    if (!haveLast && end > int64_t(info.Start))
        throw EAviError(avimsg::Decompress);

    if (!image.IsEmpty()) {
        MergeColorMaps(image);
        AddFrameComment(*image.Frames[0], CreatorComment);
    }
}

} // namespace fl
