// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/GIFPainterBase.h"
#include "gif/GIFTypes.h"
#include "gif/Header.h"
#include "gif/SubImage.h"
#include "platform/Graphic.h"
#include "platform/Palette.h"

namespace fl {

class TGIFItem;

// Receives the model's warnings: the item that warned (null for lists), the
// severity and the message.
using TGIFWarning = std::function<void(TGIFImage& image, TGIFItem* sender, int severity, const std::string& message)>;
using TGIFPlayerEvent = std::function<void(TGIFImage& image)>;

// Color reduction settings of an animation (codes as stored).
using TColorReductionMethod = uint8_t;
using TDitherMode = uint8_t;

// One animated GIF: the document.
class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader Header;
    TGIFImageList Frames;

    int Width() const override { return Header.ScreenWidth; }
    int Height() const override { return Header.ScreenHeight; }
    // Shrinking below a frame fails; a real change stops the current player.
    void SetWidth(int value);
    void SetHeight(int value);
    bool Empty() const override { return IsEmpty(); }
    bool IsEmpty() const { return Frames.Count() == 0; }
    TGIFVersion Version() const;
    int MaxDepth() const;
    TGIFGlobalColorMap& GlobalColors() { return Header.GlobalColors; }
    TColor BackgroundColor();

    // Appends a frame and stops the current player. Answers its index.
    int AddFrame(std::unique_ptr<TGIFSubImage> frame);
    void Reset();

    TGIFPaintFlags PaintFlags() const { return paintFlags_; }
    void SetPaintFlags(TGIFPaintFlags flags);
    // Whether frames are drawn dithered to the 216-color cube.
    bool DitheringInEffect() const;

    TColorReductionMethod ReductionMethod = 6; // reduceWebSafe216
    int ReductionDepth() const { return reductionDepth_; }
    void SetReductionDepth(int bits);
    TDitherMode Dithering = 0; // ditherNearest
    uint8_t Encoding = 0;      // encodeLZW
    int PlayPriority = 3;
    int PlaySpeed = 100;
    TColor BackdropColor = clNone;

    TGIFWarning WarningHandler;
    TGIFPlayerEvent OnPlayStart, OnBeforeFrame, OnAfterFrame, OnRepeat, OnPlayEnd;

    TPaletteHandle PaletteHandle();
    void SetPaletteHandle(TPaletteHandle palette);

    // Replaces the contents with a copy of source (null: empty document).
    void CopyFrom(const TGIFImage* source);

    virtual void DispatchWarning(TGIFItem* sender, int severity, const std::string& message);

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Players currently drawing this document; the list is locked because
    // players register from their own threads.
    void AddPlayer(TGIFPainterBase* player);
    void RemovePlayer(TGIFPainterBase* player);
    void SetCurrentPlayer(TGIFPainterBase* player) { currentPlayer_ = player; }
    TGIFPainterBase* CurrentPlayer() const { return currentPlayer_; }
    void StopCurrentPlayer();
    void StopAllPlayers();

    // Progress notification for the model's long operations.
    void ReportProgress(TProgressStage stage, int percent, bool redrawNow, const std::string& message)
    {
        Progress(stage, percent, redrawNow, message);
    }
    void SignalChange() { Changed(); }

private:
    TGIFPaintFlags paintFlags_ = DefaultPaintFlags;
    int reductionDepth_ = 8;
    TPaletteHandle palette_;
    bool paletteLookup_ = false;
    std::mutex playersLock_;
    std::vector<TGIFPainterBase*> players_;
    TGIFPainterBase* currentPlayer_ = nullptr;
};

} // namespace fl
