// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "gif/GIFTypes.h"
#include "platform/Stream.h"

namespace fl {

class TGIFImage;

// Base of the parts of a document that are read from and written to a GIF
// stream: the header, the frames, the trailer and the extensions.
class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* Image() const { return image_; }

    virtual TGIFVersion Version() const { return TGIFVersion::GIF87a; }
    // Passes a warning to the owning document's warning handler.
    virtual void Warn(int severity, const std::string& message);
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;

    void SaveToPath(const std::string& path);
    void LoadFromPath(const std::string& path);

private:
    TGIFImage* image_;
};

} // namespace fl
