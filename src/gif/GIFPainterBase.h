// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace fl {

class TGIFImage;

// What a document needs of the players drawing it: players read frames from
// their own threads, so the document stops them before any structural change,
// and detaches them when it is destroyed first.
class TGIFPainterBase {
public:
    virtual ~TGIFPainterBase() = default;
    // Asks the player to stop and waits until it no longer touches the document.
    virtual void Stop() = 0;
    // The document is going away; the player must not use it any more.
    virtual void DetachImage() = 0;
};

} // namespace fl
