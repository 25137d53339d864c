// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the model as a GIF stream. The packed flag bytes of the header and
// of each frame are recomputed from the color tables as they are written.
#include <algorithm>

#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"
#include "platform/GIFException.h"

namespace fl {

void TGIFImage::SaveToStream(TStream& stream)
{
    Progress(TProgressStage::Starting, 0, false, "Saving...");
    struct TWritingDepth {
        int& depth;
        ~TWritingDepth() { depth = -1; }
    } writing{writingDepth_};
    writingDepth_ = MaxDepth();
    try {
        Header.SaveToStream(stream);
        Frames.WriteAll(stream);
        TGIFTrailer trailer(this);
        trailer.SaveToStream(stream);
    } catch (...) {
        Progress(TProgressStage::Ending, 0, true, "Saving...");
        throw;
    }
    Progress(TProgressStage::Ending, 100, true, "Saving...");
}

void TGIFImageList::WriteAll(TStream& stream)
{
    TGIFImage* image = Image();
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Item(i)->SaveToStream(stream);
        if (image)
            image->ReportProgress(TProgressStage::Running, (i + 1) * 100 / count, false, "Saving...");
    }
}

void TGIFExtensionList::WriteAll(TStream& stream)
{
    for (const auto& extension : *this)
        extension->SaveToStream(stream);
}

bool TGIFSubImage::IndicesFit(int codeSize) const
{
    const uint8_t limit = static_cast<uint8_t>((1 << codeSize) - 1);
    const uint8_t* pixels = Pixels();
    const size_t count = pixels ? pixels_.size() : 0;
    for (size_t i = 0; i < count; ++i)
        if (pixels[i] > limit)
            return false;
    return true;
}

void TGIFSubImage::SaveToStream(TStream& stream)
{
    Extensions.WriteAll(stream);
    if (IsEmpty())
        return;

    if (LocalColors.Count() == 0) {
        FrameFlags &= static_cast<uint8_t>(~(0x80 | 0x20 | 0x07));
    } else {
        uint8_t flags = static_cast<uint8_t>(0x80 | (FrameFlags & 0x40) | ((LocalColors.Depth() - 1) & 7));
        if (LocalColors.Sorted())
            flags |= 0x20;
        FrameFlags = flags;
    }
    const uint8_t descriptor[10] = {Separator,         uint8_t(Left()),  uint8_t(Left() >> 8),   uint8_t(Top()),
                                    uint8_t(Top() >> 8), uint8_t(Width()), uint8_t(Width() >> 8), uint8_t(Height()),
                                    uint8_t(Height() >> 8), FrameFlags};
    stream.Write(descriptor, 10);
    LocalColors.WriteEntries(stream);

    int depth, validCount;
    if (LocalColors.Count() > 0) {
        depth = LocalColors.Depth();
        validCount = LocalColors.Count();
    } else {
        depth = Image() ? Image()->WritingDepth() : 8;
        validCount = 1 << depth;
    }
    if (CodeSize >= 2 && CodeSize < depth && IndicesFit(CodeSize)) {
        depth = CodeSize;
        validCount = std::min(validCount, 1 << depth);
    }
    EncodeFramePixels(stream, Pixels(), Width(), Height(), Interlaced(), depth, validCount,
                      Image() ? Image()->Encoding : encodeLZW);
}

} // namespace fl
