// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ThumbnailMaker.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "editing/FileTypes.h"
#include "editing/TextRoutines.h"
#include "io/ImageFileReader.h"
#include "io/ImagingControl.h"

namespace fl {

namespace {

// The picture through the control, already scaled to the thumbnail's size
// there; the stored size goes to the record.
TBitmap ReadWithControl(const std::string& path, int cell, TImagingControl& control, TThumbnailRecord& record)
{
    TBitmap picture;
    control.LoadFile(path, cell);
    if (control.ErrorCode() == icOK) {
        record.Width = control.StoredWidth();
        record.Height = control.StoredHeight();
        int width = 0, height = 0;
        ThumbnailSize(record.Width, record.Height, cell, width, height);
        const bool scaled = (width == control.ImageWidth() && height == control.ImageHeight()) ||
                            control.Thumbnail(std::max(width, 1), std::max(height, 1));
        std::vector<uint8_t> dib = scaled ? control.CopyAsDIB() : std::vector<uint8_t>();
        if (!dib.empty())
            BitmapFromDIB(std::move(dib), picture);
    }
    control.ReleaseImage();
    return picture;
}

} // namespace

TBitmap ShrinkBitmap(const TBitmap& source, int width, int height)
{
    TBitmap rgb;
    const TBitmap* from = &source;
    if (source.PixelFormat() != TPixelFormat::pf32bit) {
        rgb = source;
        rgb.SetPixelFormat(TPixelFormat::pf32bit);
        from = &rgb;
    }
    TBitmap target(width, height, TPixelFormat::pf32bit);
    const int sourceWidth = from->Width();
    const int sourceHeight = from->Height();
    // Each target column covers source columns [left[x], left[x + 1]), at
    // least one; the same for rows. Sums per row of target pixels.
    std::vector<int> left(static_cast<size_t>(width) + 1);
    for (int x = 0; x <= width; ++x)
        left[static_cast<size_t>(x)] = static_cast<int>(int64_t(x) * sourceWidth / width);
    std::vector<uint32_t> sums(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const int top = static_cast<int>(int64_t(y) * sourceHeight / height);
        const int bottom = std::max(static_cast<int>(int64_t(y + 1) * sourceHeight / height), top + 1);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = top; row < bottom; ++row) {
            const uint8_t* in = from->ScanLine(row);
            for (int x = 0; x < width; ++x) {
                const int begin = left[static_cast<size_t>(x)];
                const int end = std::max(left[static_cast<size_t>(x) + 1], begin + 1);
                uint32_t* sum = &sums[static_cast<size_t>(x) * 3];
                for (const uint8_t* pixel = in + begin * 4; pixel < in + end * 4; pixel += 4) {
                    sum[0] += pixel[0];
                    sum[1] += pixel[1];
                    sum[2] += pixel[2];
                }
            }
        }
        uint8_t* out = target.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const int begin = left[static_cast<size_t>(x)];
            const int end = std::max(left[static_cast<size_t>(x) + 1], begin + 1);
            const uint32_t area = static_cast<uint32_t>((end - begin) * (bottom - top));
            const uint32_t* sum = &sums[static_cast<size_t>(x) * 3];
            for (int channel = 0; channel < 3; ++channel)
                out[x * 4 + channel] = static_cast<uint8_t>((sum[channel] + area / 2) / area);
            out[x * 4 + 3] = 0;
        }
    }
    return target;
}

bool MakeThumbnail(const std::string& path, uint64_t fileBytes, int cell, TImagingControl& control,
                   TThumbnail& thumbnail)
{
    thumbnail = TThumbnail();
    TThumbnailRecord& record = thumbnail.Record;
    record.FileName = ExtractFileName(path);
    record.SizeKB = FileSizeKB(static_cast<int64_t>(fileBytes));
    try {
        const int type = FileTypeIndex(path);
        TBitmap picture;
        if (type == ftGIF || type == ftBMP) {
            // The engine's own readers; the reader's control stays unused.
            if (TImagingFileReader().LoadImage(path, type, picture) != icOK)
                return false;
            record.Width = picture.Width();
            record.Height = picture.Height();
        } else {
            picture = ReadWithControl(path, cell, control, record);
        }
        if (picture.Empty())
            return false;
        int width = 0, height = 0;
        ThumbnailSize(picture.Width(), picture.Height(), cell, width, height);
        thumbnail.Picture = ShrinkBitmap(picture, std::max(width, 1), std::max(height, 1));
        return true;
    } catch (const std::exception&) {
        // Unreadable files are skipped: a damaged or hostile picture, one
        // beyond the readers' limits, or memory running out for it.
        return false;
    }
}

} // namespace fl
