// SPDX-License-Identifier: GPL-3.0-or-later
// The player: walks through a document's frames on a timer and draws them on
// a canvas, applying each frame's disposal, transparency, delay and the loop
// count. It runs in a thread of its own (paintAsync) or inside the caller.
// Every drawing step and callback of a threaded player runs on the main
// thread through the sync queue; the thread itself only times the frames,
// scans their extensions and renders their bitmaps.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#include "gif/GIFImage.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"

namespace fl {

class TGIFPainter {
public:
    ~TGIFPainter();
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    // Asks the player to end: it leaves its loop at the next check, a wait
    // for the next frame ends at once, and a suspended player is resumed.
    void Stop();
    // Starts a threaded player created suspended.
    void Resume();
    bool Suspended() const { return suspended_; }
    bool Terminated() const { return terminated_; }

    TGIFImage* Image() const { return image_; }
    TCanvas& Canvas() const { return *canvas_; }
    const TRect& Rect() const { return rect_; }
    TGIFPaintFlags Flags() const { return flags_; }
    int Speed() const { return speed_; }
    // The frame being shown; -1 before and after playing. A callback may
    // set it to jump to another frame.
    std::atomic<int> ActiveFrame{-1};
    int Disposal() const { return disposal_; }
    int PreviousDisposal() const { return previousDisposal_; }
    bool Painted() const { return painted_; }
    // The wait (ms) computed before the frame being shown: -1 without limit,
    // 0 when none was due.
    int LastWait() const { return lastWait_; }
    TColor BackgroundColor() const { return background_; }
    // The work buffers, present only when the frames' disposals need them.
    const TBitmap* BackBuffer() const { return backBuffer_.get(); }
    const TBitmap* PreviousBuffer() const { return previousBuffer_.get(); }
    const TBitmap* BackgroundBitmap() const { return backgroundBitmap_.get(); }

    TGIFPainterEvent OnPlayStart, OnBeforeFrame, OnAfterFrame, OnRepeat, OnPlayEnd;

    // The document's side; StartPlayer and the document use these.
    static TGIFPainter* Create(TGIFImage& image, TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags,
                               const TRect& rect);
    // Synchronous players: plays to the end in the caller, then frees the
    // player and raises an error playback captured.
    static void RunAndFree(TGIFPainter* player);
    // The document is going away; the player must not use it any more.
    void DetachImage();
    // Whether the player is inside a synchronized call it made: the main
    // thread is running that call, so waiting for the player there would
    // never end.
    bool InSynchronizedCall() const { return inSyncCall_; }
    bool Async() const { return (flags_ & paintAsync) != 0; }
    // Joins threads of players that have ended.
    static void JoinEndedThreads();
    // The color a player of the document clears to: the backdrop color, else
    // the document's background color when it has global colors, else the
    // window background (white).
    static TColor BackgroundColorOf(TGIFImage& image);

private:
    TGIFPainter(TGIFImage& image, TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags, const TRect& rect);

    friend class TGIFImage;
    void Execute();
    void ThreadMain();
    void CleanUp();
    // Runs the step on the main thread (at once for a synchronous player).
    void OnMainThread(const std::function<void()>& step);
    void Raise(const TGIFPainterEvent& event);
    void WaitBeforeFrame(TGIFSubImage& frame, int delay, int64_t& last, int& adjust);
    void ScanExtensions(TGIFSubImage& frame, int& repeatsLeft, int& startFrame, bool& loopSeen);
    bool CanvasGone();
    void DrawFrame(TGIFSubImage& frame);
    void DrawBuffered(TGIFSubImage& frame);
    void RestoreBackground(TGIFSubImage& frame);
    void CreateBuffers();

    TGIFImage* image_;
    TGIFPainter** owner_;
    TCanvas* canvas_;
    TRect rect_;
    TGIFPaintFlags flags_;
    int speed_;
    std::shared_ptr<TClock> clock_;
    int disposal_ = 1;
    int previousDisposal_ = 1;
    std::atomic<bool> painted_{false};
    int lastWait_ = 0;
    TColor background_ = 0;
    TCanvasHandle savedHandle_ = 0;

    std::unique_ptr<TBitmap> backBuffer_, previousBuffer_, backgroundBitmap_;
    std::unique_ptr<TCanvas> backCanvas_, previousCanvas_, backgroundCanvas_;
    std::unique_ptr<TEvent> wakeUp_;

    std::atomic<bool> terminated_{false};
    std::atomic<bool> suspended_{true};
    std::atomic<bool> inSyncCall_{false};
    std::mutex resumeLock_;
    std::condition_variable resumed_;
    std::exception_ptr error_;
};

} // namespace fl
