// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gif/ColorMap.h"
#include "gif/GIFItem.h"

namespace fl {

// The logical screen descriptor and the global colors.
class TGIFHeader final : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), GlobalColors(*this) {}

    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t ScreenFlags = 0;
    uint8_t BackgroundIndex = 0;
    uint8_t AspectRatio = 0;
    TGIFGlobalColorMap GlobalColors;

    // Recomputes ScreenFlags from the global colors, as written.
    void PrepareFlags();
    void CopyFrom(const TGIFHeader& other);
    void CopyFrom(const TGIFColorMap& colors);

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};

// The end of a GIF stream; exists only while a stream is read or written.
class TGIFTrailer final : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};

} // namespace fl
