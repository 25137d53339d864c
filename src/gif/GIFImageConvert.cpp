// SPDX-License-Identifier: GPL-3.0-or-later
// The document and other pictures: frames converted from graphics, and the
// composite bitmap handed to bitmaps.
#include "gif/GIFImage.h"

#include "platform/ConvertError.h"
#include "platform/Icon.h"

namespace fl {

namespace {

// The graphics a frame can be made of (TGIFSubImage::CopyFrom).
bool ConvertibleToFrame(const TGraphic& graphic)
{
    return dynamic_cast<const TBitmap*>(&graphic) || dynamic_cast<const TIcon*>(&graphic) ||
           dynamic_cast<const TGIFImage*>(&graphic) || graphic.Empty();
}

} // namespace

int TGIFImage::AddFrame(TGraphic& graphic)
{
    // Freed again when the conversion fails.
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->CopyFrom(graphic);
    return AddFrame(std::move(frame));
}

void TGIFImage::CopyFrom(TGraphic& graphic)
{
    if (auto* document = dynamic_cast<TGIFImage*>(&graphic)) {
        if (document != this)
            CopyFrom(static_cast<const TGIFImage*>(document));
        return;
    }
    // A picture that cannot become a frame is refused before the document
    // is emptied.
    if (!ConvertibleToFrame(graphic))
        throw EConvertError(GraphicClassName(graphic), "TGIFImage");
    Reset();
    auto frame = std::make_unique<TGIFSubImage>(this);
    try {
        frame->CopyFrom(graphic);
    } catch (const EConvertError&) {
        throw EConvertError(GraphicClassName(graphic), "TGIFImage");
    }
    AddFrame(std::move(frame));
}

void TGIFImage::CopyToGraphic(TGraphic& target)
{
    auto* bitmap = dynamic_cast<TBitmap*>(&target);
    if (!bitmap)
        throw EConvertError("TGIFImage", GraphicClassName(target));
    const TBitmap* composite = Bitmap();
    if (composite == bitmap)
        return;
    *bitmap = composite ? TBitmap(*composite) : TBitmap();
    bitmap->NotifyChanged();
}

} // namespace fl
