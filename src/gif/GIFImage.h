// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"
#include "gif/Header.h"
#include "gif/SubImage.h"
#include "platform/Bitmap.h"
#include "platform/Graphic.h"
#include "platform/Palette.h"
#include "platform/Rect.h"

namespace fl {

class TCanvas;
class TClipboard;
class TClock;
class TGIFItem;
class TGIFPainter;

// Receives the model's warnings: the item that warned (null for lists), the
// severity and the message.
using TGIFWarning = std::function<void(TGIFImage& image, TGIFItem* sender, int severity, const std::string& message)>;
// Player callbacks; the sender is the player.
using TGIFPainterEvent = std::function<void(TGIFPainter& player)>;

// Options of TGIFImage::Optimize (a set of bits).
using TGIFOptimizeOptions = uint8_t;
constexpr TGIFOptimizeOptions optimizeTrim = 0x01;
constexpr TGIFOptimizeOptions optimizeMergePixels = 0x02;
constexpr TGIFOptimizeOptions optimizeCleanup = 0x04;
constexpr TGIFOptimizeOptions optimizeColorTables = 0x08;
constexpr TGIFOptimizeOptions optimizeAll = 0x0F;

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
    // The depth frames without colors of their own are written with: the
    // maximum depth, worked out once per save while the animation is
    // written (per frame, it made saving many frames quadratic).
    int WritingDepth() const { return writingDepth_ >= 0 ? writingDepth_ : MaxDepth(); }
    TGIFGlobalColorMap& GlobalColors() { return Header.GlobalColors; }
    TColor BackgroundColor();

    // Appends a frame and stops the players. Answers its index.
    int AddFrame(std::unique_ptr<TGIFSubImage> frame);
    // Appends a new frame converted from a graphic (bitmap, icon, document).
    int AddFrame(TGraphic& graphic);
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
    TGIFPainterEvent OnPlayStart, OnBeforeFrame, OnAfterFrame, OnRepeat, OnPlayEnd;
    // The clock players of this document time their frames with; none: the
    // system clock.
    std::shared_ptr<TClock> PlayClock;

    TPaletteHandle PaletteHandle();
    void SetPaletteHandle(TPaletteHandle palette);
    // After the frames' pixels or tables were rewritten: every frame and the
    // document rebuild their renderings, masks and palettes when next asked.
    void DropRenderings();

    // Replaces the contents with a copy of source (null: empty document).
    void CopyFrom(const TGIFImage* source);
    // Replaces the contents with one frame converted from a graphic (a
    // document is copied); EConvertError for graphics that cannot be.
    void CopyFrom(TGraphic& graphic);
    // A bitmap target receives the composite bitmap; others: EConvertError.
    void CopyToGraphic(TGraphic& target);

    // Clipboard: loads from "GIF Image" data or converts bitmap data (the
    // given data, or the clipboard's for the format); anything else fails
    // with "Unsupported clipboard format".
    void TakeFromClipboard(TClipboard& clipboard, const std::string& format,
                           const std::vector<uint8_t>* data = nullptr);
    // Puts the document as "GIF Image" and its composite bitmap as a bitmap.
    void PutOnClipboard(TClipboard& clipboard);

    // Shrinks the animation without changing how it plays: sorts and trims
    // color tables, drops settings and blocks without visible effect, makes
    // pixels that repeat the previous frame transparent, trims transparent
    // borders. Stops every player first. With lossy above 0 (up to 200),
    // pixels may also take colors within lossy / 5 of the original in each
    // channel (by a weighted distance), and the transparent index where
    // what shows is that close, where that lets the frames be written
    // shorter. Errors do not add up over frames.
    void Optimize(TGIFOptimizeOptions options, int lossy = 0);
    // Moves each frame's transparent index to its smallest free entry and
    // lets a frame whose indices fit fewer bits than its color table's
    // depth be written with narrower codes. Part of Optimize with merged
    // pixels; run it again once color tables change.
    void ChooseCodeSizes();

    // Drawing and playback.
    //
    // Draws the document onto rect of the canvas: one frame, or the current
    // state of a player that this call starts when needed.
    void PaintOn(TCanvas& canvas, const TRect& rect);
    // Starts a player of the frames on rect of the canvas. With paintAsync
    // it is answered suspended (the caller resumes it); without, it plays to
    // the end in this call and null is answered. *owner (when given) points
    // to the player while it lives.
    TGIFPainter* StartPlayer(TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags, const TRect& rect);
    void StopPlayer(TGIFPainter* player);
    // Stops the current player, waits until it has ended, and drops the
    // composite bitmap.
    void StopCurrentAndWait();
    // The composite bitmap (32 bits, logical screen size): what players
    // draw into, or frame 0 on the screen when none did; made when missing,
    // null for an empty document.
    TBitmap* Bitmap();

    virtual void DispatchWarning(TGIFItem* sender, int severity, const std::string& message);

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Players currently drawing this document; the list is locked because
    // players leave it from their own threads.
    TGIFPainter* CurrentPlayer() const { return currentPlayer_; }
    // Stops every player and waits for them, serving their synchronized calls.
    void StopAllPlayers();
    std::recursive_mutex& PlayersLock() { return playersLock_; }
    void AddPlayer(TGIFPainter* player);
    void RemovePlayer(TGIFPainter* player);
    int PlayerCount();

    // Progress notification for the model's long operations.
    void ReportProgress(TProgressStage stage, int percent, bool redrawNow, const std::string& message)
    {
        Progress(stage, percent, redrawNow, message);
    }
    void SignalChange() { Changed(); }

private:
    int writingDepth_ = -1;
    friend class TGIFPainter;
    void DropComposite();
    void MakeComposite();
    // Players still listed after the document stopped them are inside one
    // of their own calls on this thread: they must forget the document.
    void DetachPlayers();
    void DrawComposite(TCanvas& canvas, const TRect& rect);

    TGIFPaintFlags paintFlags_ = DefaultPaintFlags;
    int reductionDepth_ = 8;
    TPaletteHandle palette_;
    bool paletteLookup_ = false;
    std::recursive_mutex playersLock_;
    std::vector<TGIFPainter*> players_;
    TGIFPainter* currentPlayer_ = nullptr;
    std::unique_ptr<TBitmap> composite_;
    std::unique_ptr<TCanvas> compositeCanvas_;
    bool painting_ = false;
    // Expires with the document: a callback of a synchronous player may
    // destroy the document inside its own PaintOn.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

} // namespace fl
