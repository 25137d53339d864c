// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <exception>
#include <memory>

#include "app/BitmapImage.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// Where a format other than the bitmap travels.
QString MimeTypeOf(const std::string& format)
{
    return QStringLiteral("application/x-frameloom-") +
           QString::fromStdString(format).toLower().replace(' ', '-');
}

const QMimeData* Contents()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

} // namespace

bool TQtClipboard::HasFormat(const std::string& format) const
{
    const QMimeData* contents = Contents();
    if (!contents)
        return false;
    if (format == ClipboardFormatBitmap)
        return contents->hasImage();
    if (format == ClipboardFormatText)
        return contents->hasText() && !contents->text().isEmpty();
    return contents->hasFormat(MimeTypeOf(format));
}

std::optional<std::vector<uint8_t>> TQtClipboard::GetData(const std::string& format) const
{
    const QMimeData* contents = Contents();
    if (!contents)
        return std::nullopt;
    if (format == ClipboardFormatText) {
        if (!contents->hasText())
            return std::nullopt;
        const QByteArray bytes = contents->text().toUtf8();
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    if (format != ClipboardFormatBitmap) {
        if (!contents->hasFormat(MimeTypeOf(format)))
            return std::nullopt;
        const QByteArray bytes = contents->data(MimeTypeOf(format));
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    if (!contents->hasImage())
        return std::nullopt;
    try {
        const TBitmap bitmap = FromQImage(qvariant_cast<QImage>(contents->imageData()));
        if (bitmap.Empty())
            return std::nullopt;
        TMemoryStream stream;
        bitmap.SaveToDIB(stream);
        const auto* data = static_cast<const uint8_t*>(stream.Data());
        return std::vector<uint8_t>(data, data + stream.Size());
    } catch (const std::exception&) {
        // A picture too large for a bitmap is no picture to paste.
        return std::nullopt;
    }
}

bool TQtClipboard::SetData(const std::string& format, std::vector<uint8_t> data)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    // The clipboard holds several formats at once: the new one joins them.
    auto contents = std::make_unique<QMimeData>();
    if (const QMimeData* current = clipboard->mimeData()) {
        for (const QString& type : current->formats())
            contents->setData(type, current->data(type));
        if (current->hasImage())
            contents->setImageData(current->imageData());
    }
    if (format == ClipboardFormatBitmap) {
        TBitmap bitmap;
        try {
            bitmap.LoadFromDIB(data.data(), data.size());
        } catch (const std::exception&) {
            return false;
        }
        const QImage image = ToQImage(bitmap);
        if (image.isNull())
            return false;
        contents->setImageData(image);
    } else if (format == ClipboardFormatText) {
        contents->setText(QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                                            static_cast<qsizetype>(data.size())));
    } else {
        contents->setData(MimeTypeOf(format), QByteArray(reinterpret_cast<const char*>(data.data()),
                                                         static_cast<qsizetype>(data.size())));
    }
    clipboard->setMimeData(contents.release());
    return true;
}

void TQtClipboard::Clear()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

} // namespace fl
