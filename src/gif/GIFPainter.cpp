// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/GIFPainter.h"

#include <algorithm>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/MulDiv.h"
#include "platform/SyncQueue.h"

namespace fl {

namespace {

// The platform's window background, for documents without a color of their own.
constexpr TColor WindowBackground = 0x00FFFFFF;
// A synchronous player processes messages at least this often while it waits.
constexpr int SynchronousWaitSliceMs = 100;

// Threads of threaded players. A player's clean-up runs on the main thread
// as its thread's last call; the clean-up moves the thread's handle to
// Ended, and the next JoinEndedThreads joins it, so no thread is ever left
// behind or killed.
struct TPlayerThreads {
    std::mutex Lock;
    std::unordered_map<const TGIFPainter*, std::thread> Running;
    std::vector<std::thread> Ended;

    ~TPlayerThreads()
    {
        for (std::thread& thread : Ended)
            thread.join();
        // A player still running at exit waits for a main thread that no
        // longer serves it; the process ends it.
        for (auto& [player, thread] : Running)
            thread.detach();
    }
};

TPlayerThreads& PlayerThreads()
{
    static TPlayerThreads threads;
    return threads;
}

} // namespace

TColor TGIFPainter::BackgroundColorOf(TGIFImage& image)
{
    if (image.BackdropColor != clNone)
        return image.BackdropColor;
    if (image.GlobalColors().Count() > 0)
        return image.BackgroundColor();
    return WindowBackground;
}

TGIFPainter::TGIFPainter(TGIFImage& image, TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags,
                         const TRect& rect)
    : image_(&image), owner_(owner), canvas_(&canvas), rect_(rect), flags_(flags), speed_(image.PlaySpeed),
      clock_(image.PlayClock ? image.PlayClock : SystemClock())
{
    if ((flags_ & paintAsync) && (flags_ & paintAnimate) && image.Frames.Count() > 1 && speed_ >= 0)
        wakeUp_ = std::make_unique<TEvent>();
    background_ = BackgroundColorOf(image);
    CreateBuffers();
}

TGIFPainter::~TGIFPainter() = default;

void TGIFPainter::CreateBuffers()
{
    bool clearsToBackground = flags_ & paintClearOnLoop;
    bool restoresPrevious = false;
    for (const auto& frame : image_->Frames) {
        if (!frame->ControlBlock)
            continue;
        const int disposal = frame->ControlBlock->Disposal();
        clearsToBackground |= disposal == disposeBackground;
        restoresPrevious |= disposal == disposePrevious;
    }
    const TRect whole = MakeRect(0, 0, rect_.Width(), rect_.Height());
    auto makeBuffer = [&](std::unique_ptr<TBitmap>& bitmap, std::unique_ptr<TCanvas>& canvas, bool copyTarget) {
        bitmap = std::make_unique<TBitmap>(whole.Width(), whole.Height(), TPixelFormat::pf32bit);
        canvas = std::make_unique<TCanvas>(*bitmap);
        canvas->BrushColor = background_;
        if (copyTarget)
            canvas->CopyRect(whole, *canvas_, rect_);
        else
            canvas->FillRect(whole);
    };
    if (clearsToBackground && (flags_ & paintTransparent))
        makeBuffer(backgroundBitmap_, backgroundCanvas_, true);
    if (clearsToBackground || restoresPrevious) {
        makeBuffer(backBuffer_, backCanvas_, true);
        makeBuffer(previousBuffer_, previousCanvas_, false);
    }
}

TGIFPainter* TGIFPainter::Create(TGIFImage& image, TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags,
                                 const TRect& rect)
{
    std::unique_ptr<TGIFPainter> player(new TGIFPainter(image, owner, canvas, flags, rect));
    player->OnPlayStart = image.OnPlayStart;
    player->OnBeforeFrame = image.OnBeforeFrame;
    player->OnAfterFrame = image.OnAfterFrame;
    player->OnRepeat = image.OnRepeat;
    player->OnPlayEnd = image.OnPlayEnd;

    std::lock_guard lock(image.PlayersLock());
    TGIFPainter* raw = player.get();
    if (flags & paintAsync) {
        // The thread owns the player from here on and frees it when it ends.
        std::thread thread([raw] { raw->ThreadMain(); });
        player.release();
        std::lock_guard threadsLock(PlayerThreads().Lock);
        PlayerThreads().Running.emplace(raw, std::move(thread));
    } else {
        player.release();
    }
    image.AddPlayer(raw);
    if (owner)
        *owner = raw;
    return raw;
}

void TGIFPainter::RunAndFree(TGIFPainter* player)
{
    std::unique_ptr<TGIFPainter> owned(player);
    owned->suspended_ = false;
    owned->Execute();
    owned->CleanUp();
    const std::exception_ptr error = owned->error_;
    owned.reset();
    if (error)
        std::rethrow_exception(error);
}

void TGIFPainter::JoinEndedThreads()
{
    std::vector<std::thread> ended;
    {
        std::lock_guard lock(PlayerThreads().Lock);
        ended.swap(PlayerThreads().Ended);
    }
    for (std::thread& thread : ended)
        thread.join();
}

void TGIFPainter::ThreadMain()
{
    std::unique_ptr<TGIFPainter> self(this);
    {
        std::unique_lock lock(resumeLock_);
        resumed_.wait(lock, [this] { return !suspended_; });
    }
    Execute();
    try {
        MainSyncQueue().Synchronize([this] { CleanUp(); });
    } catch (...) {
        // The clean-up itself does not throw; nothing is left to tell.
    }
}

void TGIFPainter::Resume()
{
    {
        std::lock_guard lock(resumeLock_);
        suspended_ = false;
    }
    resumed_.notify_all();
}

void TGIFPainter::Stop()
{
    terminated_ = true;
    if (Async()) {
        if (wakeUp_)
            wakeUp_->Set();
        if (suspended_)
            Resume();
    }
}

void TGIFPainter::DetachImage()
{
    terminated_ = true;
    image_ = nullptr;
}

void TGIFPainter::CleanUp()
{
    TGIFImage* image = image_;
    if (image) {
        std::lock_guard lock(image->PlayersLock());
        if (owner_ && *owner_ == this)
            *owner_ = nullptr;
        image->RemovePlayer(this);
        // A threaded player cannot raise its error in anyone's call: the
        // document tells its warning handler instead.
        if (error_ && Async()) {
            try {
                std::rethrow_exception(error_);
            } catch (const std::exception& e) {
                image->DispatchWarning(nullptr, wsError, e.what());
            } catch (...) {
                image->DispatchWarning(nullptr, wsError, "Playback failed");
            }
        }
    } else if (owner_ && *owner_ == this) {
        *owner_ = nullptr;
    }
    image_ = nullptr;
    backCanvas_.reset();
    previousCanvas_.reset();
    backgroundCanvas_.reset();
    backBuffer_.reset();
    previousBuffer_.reset();
    backgroundBitmap_.reset();
    if (Async()) {
        std::lock_guard lock(PlayerThreads().Lock);
        auto found = PlayerThreads().Running.find(this);
        if (found != PlayerThreads().Running.end()) {
            PlayerThreads().Ended.push_back(std::move(found->second));
            PlayerThreads().Running.erase(found);
        }
    }
}

void TGIFPainter::OnMainThread(const std::function<void()>& step)
{
    if (!Async()) {
        step();
        return;
    }
    MainSyncQueue().Synchronize([this, &step] {
        // Set on the main thread only while the step runs there, so that a
        // document stopping its players from inside the step knows not to
        // wait for this one.
        inSyncCall_ = true;
        struct TReset {
            std::atomic<bool>& flag;
            ~TReset() { flag = false; }
        } reset{inSyncCall_};
        step();
    });
}

void TGIFPainter::Raise(const TGIFPainterEvent& event)
{
    if (event)
        OnMainThread([this, &event] { event(*this); });
}

void TGIFPainter::Execute()
{
    try {
        if (flags_ & paintCheckCanvas)
            savedHandle_ = canvas_->Handle();
        ActiveFrame = 0;
        Raise(OnPlayStart);
        painted_ = false;
        int repeatsLeft = 1;
        int startFrame = 0;
        bool loopSeen = false;
        int delay = Async() ? 0 : 1;
        previousDisposal_ = 1;
        int64_t last = clock_->NowMs();
        int adjust = 0;

        while ((repeatsLeft != 0 || (flags_ & paintLoopForever)) && !terminated_) {
            ActiveFrame = startFrame;
            if (painted_)
                Raise(OnRepeat);
            while (!terminated_ && image_ && ActiveFrame >= 0 && ActiveFrame < image_->Frames.Count()) {
                TGIFSubImage& frame = *image_->Frames[ActiveFrame];
                if (frame.IsEmpty())
                    break;
                if (delay > 0)
                    WaitBeforeFrame(frame, delay, last, adjust);
                else
                    clock_->YieldThread();
                if (terminated_)
                    break;
                Raise(OnBeforeFrame);
                if (terminated_)
                    break;
                ScanExtensions(frame, repeatsLeft, startFrame, loopSeen);
                DrawFrame(frame);
                previousDisposal_ = disposal_;
                if (terminated_)
                    break;

                delay = GIFDefaultDelay;
                if (frame.ControlBlock && frame.ControlBlock->Delay > 0) {
                    delay = std::max<int>(frame.ControlBlock->Delay, GIFMinimumDelay);
                    if (!Async())
                        delay = std::min(delay, GIFMaximumDelay);
                }
                const int shown = ActiveFrame;
                Raise(OnAfterFrame);
                if (terminated_)
                    break;
                // A callback may have jumped to another frame.
                if (ActiveFrame == shown)
                    ++ActiveFrame;
                if (!(flags_ & paintAnimate))
                    break;
            }
            if (repeatsLeft > 0)
                --repeatsLeft;
            if (!(flags_ & paintAnimate) || !(flags_ & paintLoop))
                break;
        }
        ActiveFrame = -1;
        Raise(OnPlayEnd);
    } catch (...) {
        terminated_ = true;
        error_ = std::current_exception();
    }
}

void TGIFPainter::WaitBeforeFrame(TGIFSubImage& frame, int delay, int64_t& last, int& adjust)
{
    // The frame is rendered before the wait, so that its cost does not
    // stretch the animation; rendering touches the model, so it runs on the
    // main thread like every other use of the document.
    OnMainThread([&] {
        if (!terminated_ && !frame.PaintsFromPixels(rect_, flags_ & paintTile))
            frame.RenderBitmap();
    });
    int64_t now = clock_->NowMs();
    int wait;
    if (speed_ > 0) {
        // Half of the time spent beyond the last wait is taken off this one.
        const int64_t late = (now - last - adjust) / 2;
        wait = MulDiv(int(std::clamp<int64_t>(delay * GIFDelayUnitMs - late, INT32_MIN / 2, INT32_MAX / 2)), 100,
                      speed_);
        adjust = wait;
    } else {
        wait = Async() ? -1 : GIFMaximumDelay * GIFDelayUnitMs;
    }
    last = now;
    lastWait_ = wait;

    if (Async()) {
        if ((wait > 0 || speed_ == 0) && wakeUp_ && clock_->WaitFor(*wakeUp_, wait)) {
            adjust = 0;
            last = clock_->NowMs();
        }
        return;
    }
    wait = std::max(wait, 1);
    TSyncQueue& queue = MainSyncQueue();
    while (wait > 0 && !terminated_) {
        const int64_t before = clock_->NowMs();
        clock_->Sleep(std::min(wait, SynchronousWaitSliceMs));
        now = clock_->NowMs();
        wait -= int(std::min<int64_t>(now - before, wait));
        queue.ProcessMessages();
        // A quit request stays posted for the event loop and ends the player.
        if (queue.QuitPosted())
            terminated_ = true;
    }
}

void TGIFPainter::ScanExtensions(TGIFSubImage& frame, int& repeatsLeft, int& startFrame, bool& loopSeen)
{
    disposal_ = disposeKeep;
    for (const auto& extension : frame.Extensions) {
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) {
            disposal_ = control->Disposal();
        } else if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension.get()); loop && !loopSeen) {
            // Only the first loop extension counts, and only once.
            loopSeen = true;
            const int count = loop->LoopCount;
            repeatsLeft = count + (count >= 1 && count <= 65534 ? 1 : 0);
            if (Async() && (repeatsLeft == 0 || (flags_ & paintLoopForever)))
                repeatsLeft = -1;
            startFrame = ActiveFrame;
        }
    }
}

bool TGIFPainter::CanvasGone()
{
    return (flags_ & paintCheckCanvas) && !IsDeviceContext(savedHandle_);
}

void TGIFPainter::DrawFrame(TGIFSubImage& frame)
{
    OnMainThread([&] {
        // The document may have stopped us while this step waited its turn.
        if (terminated_ || !image_)
            return;
        if (CanvasGone()) {
            terminated_ = true;
            return;
        }
        if (backBuffer_)
            DrawBuffered(frame);
        else
            frame.PaintOn(*canvas_, rect_, flags_ & paintTile, flags_ & paintTransparent);
        painted_ = true;
    });
}

void TGIFPainter::DrawBuffered(TGIFSubImage& frame)
{
    const bool clearFirst = (flags_ & paintClearOnLoop) && ActiveFrame == 0;
    const TRect whole = backCanvas_->ClipRect();
    TCanvas* surface = nullptr;
    TRect surfaceRect = whole;
    bool restoreAfter = false;
    switch (disposal_) {
    case disposeUnspecified:
    case disposeKeep:
        surface = backCanvas_.get();
        break;
    case disposeBackground:
        surface = backCanvas_.get();
        restoreAfter = true;
        break;
    case disposePrevious:
        if (previousDisposal_ == disposeBackground || previousDisposal_ == disposePrevious) {
            previousCanvas_->CopyRect(whole, *backCanvas_, whole);
            surface = previousCanvas_.get();
        } else {
            // Drawn on the target only, so the back buffer keeps the state
            // before this frame.
            surface = canvas_;
            surfaceRect = rect_;
        }
        break;
    default:
        break;
    }
    if (clearFirst)
        RestoreBackground(frame);
    if (surface) {
        frame.PaintOn(*surface, surfaceRect, flags_ & paintTile, flags_ & paintTransparent);
        if (surface != canvas_) {
            canvas_->CopyRect(rect_, *surface, whole);
            canvas_->Changed();
        }
        if (restoreAfter)
            RestoreBackground(frame);
    }
    painted_ = true;
}

void TGIFPainter::RestoreBackground(TGIFSubImage& frame)
{
    const int screenWidth = image_->Width();
    const int screenHeight = image_->Height();
    if (screenWidth <= 0 || screenHeight <= 0)
        return;
    const TRect whole = backCanvas_->ClipRect();
    auto restore = [&](const TRect& area) {
        if (flags_ & paintTransparent)
            backCanvas_->CopyRect(area, *backgroundCanvas_, area);
        else
            backCanvas_->FillRect(area);
    };
    if (!(flags_ & paintTile)) {
        restore({MulDiv(frame.Left(), whole.Width(), screenWidth), MulDiv(frame.Top(), whole.Height(), screenHeight),
                 MulDiv(frame.Left() + frame.Width(), whole.Width(), screenWidth),
                 MulDiv(frame.Top() + frame.Height(), whole.Height(), screenHeight)});
        return;
    }
    for (int top = 0; top < whole.Bottom; top += screenHeight)
        for (int left = 0; left < whole.Right; left += screenWidth)
            restore(MakeRect(left + frame.Left(), top + frame.Top(), frame.Width(), frame.Height()));
}

} // namespace fl
