// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BitmapImage.h"

#include <cstring>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace fl {

QImage ToQImage(const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return {};
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * 4;

    // The canvas's 32-bit rows (blue, green, red, unused) are Format_RGB32's
    // layout once the unused byte is made opaque. Bitmaps already in that
    // layout are read in place, the rest are drawn onto a canvas first.
    const TBitmap* source = &bitmap;
    TBitmap converted;
    const TPixelFormat format = bitmap.PixelFormat();
    if (format != TPixelFormat::pf32bit && format != TPixelFormat::pfDevice) {
        converted = TBitmap(bitmap.Width(), bitmap.Height(), TPixelFormat::pf32bit);
        TCanvas canvas(converted);
        canvas.Draw(0, 0, bitmap);
        source = &converted;
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* target = reinterpret_cast<uint32_t*>(image.scanLine(y));
        std::memcpy(target, source->ScanLine(y), rowBytes);
        for (int x = 0; x < bitmap.Width(); ++x)
            target[x] |= 0xFF000000u;
    }
    return image;
}

TBitmap FromQImage(const QImage& image)
{
    if (image.isNull())
        return TBitmap();
    // Format_RGB32 rows are blue, green, red, 0xFF: the bitmap's 32-bit rows.
    const QImage rows = image.convertToFormat(QImage::Format_RGB32);
    TBitmap bitmap(rows.width(), rows.height(), TPixelFormat::pf32bit);
    const size_t rowBytes = static_cast<size_t>(rows.width()) * 4;
    for (int y = 0; y < rows.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), rows.constScanLine(y), rowBytes);
    return bitmap;
}

} // namespace fl
