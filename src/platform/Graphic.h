// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "platform/Stream.h"

namespace fl {

enum class TProgressStage { Starting, Running, Ending };

class TGraphic;
using TNotifyEvent = std::function<void(TGraphic& sender)>;
using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, int percent, bool redrawNow,
                                          const std::string& message)>;

// Base of everything that can be drawn, loaded and saved as a picture: change
// and progress notifications, and the palette-modified flag that tells a
// holder to realize the picture's palette again.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;

    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    bool PaletteModified = false;
    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    void Changed() { if (OnChange) OnChange(*this); }
    void Progress(TProgressStage stage, int percent, bool redrawNow, const std::string& message)
    {
        if (OnProgress)
            OnProgress(*this, stage, percent, redrawNow, message);
    }
};

} // namespace fl
