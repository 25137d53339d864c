// SPDX-License-Identifier: GPL-3.0-or-later
// The document on the clipboard: "GIF Image" data for this program and the
// composite bitmap for everybody else.
#include "gif/GIFImage.h"

#include <optional>

#include "platform/Clipboard.h"
#include "platform/GIFException.h"

namespace fl {

void TGIFImage::TakeFromClipboard(TClipboard& clipboard, const std::string& format,
                                  const std::vector<uint8_t>* data)
{
    const bool gif = format == ClipboardFormatGIF;
    if (!gif && format != ClipboardFormatBitmap)
        throw GIFException("Unsupported clipboard format");
    std::optional<std::vector<uint8_t>> fetched;
    if (!data) {
        fetched = clipboard.GetData(format);
        if (!fetched)
            throw GIFException("Unsupported clipboard format");
        data = &*fetched;
    }
    if (gif) {
        TMemoryStream stream(*data);
        LoadFromStream(stream);
    } else {
        TBitmap bitmap;
        bitmap.LoadFromDIB(data->data(), data->size());
        CopyFrom(static_cast<TGraphic&>(bitmap));
    }
}

void TGIFImage::PutOnClipboard(TClipboard& clipboard)
{
    if (IsEmpty())
        return;
    // Both blocks are made before the clipboard is touched, so that a
    // failing save leaves the clipboard as it was.
    TMemoryStream gif;
    SaveToStream(gif);
    TMemoryStream dib;
    if (const TBitmap* composite = Bitmap(); composite && !composite->Empty())
        composite->SaveToDIB(dib);

    clipboard.Clear();
    // The bitmap is a courtesy to other programs; only the animation itself
    // must arrive.
    if (dib.Size() > 0)
        clipboard.SetData(ClipboardFormatBitmap, dib.TakeBytes());
    if (!clipboard.SetData(ClipboardFormatGIF, gif.TakeBytes()))
        throw GIFException("Failed to store GIF on clipboard");
}

} // namespace fl
