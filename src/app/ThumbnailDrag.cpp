// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ThumbnailDrag.h"

#include <QMimeData>

namespace fl {

std::unique_ptr<QMimeData> MakeThumbnailDragData(const std::string& path)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(ThumbnailMimeType), QByteArray::fromStdString(path));
    return mime;
}

std::optional<std::string> ThumbnailDragFile(const QMimeData& mime)
{
    const QString type = QString::fromLatin1(ThumbnailMimeType);
    if (!mime.hasFormat(type) || mime.data(type).isEmpty())
        return std::nullopt;
    return mime.data(type).toStdString();
}

} // namespace fl
