// SPDX-License-Identifier: GPL-3.0-or-later
// The document's side of drawing and playback: PaintOn, the composite bitmap
// and the locked list of players.
#include <algorithm>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/SyncQueue.h"

namespace fl {

namespace {

// How long a main thread waiting for players blocks for their calls before
// it looks at the players again.
constexpr int PlayerPollMs = 5;

} // namespace

void TGIFImage::AddPlayer(TGIFPainter* player)
{
    std::lock_guard lock(playersLock_);
    players_.push_back(player);
}

void TGIFImage::RemovePlayer(TGIFPainter* player)
{
    std::lock_guard lock(playersLock_);
    std::erase(players_, player);
    if (currentPlayer_ == player)
        currentPlayer_ = nullptr;
}

int TGIFImage::PlayerCount()
{
    std::lock_guard lock(playersLock_);
    return int(players_.size());
}

void TGIFImage::StopPlayer(TGIFPainter* player)
{
    std::lock_guard lock(playersLock_);
    if (player && std::find(players_.begin(), players_.end(), player) != players_.end())
        player->Stop();
}

void TGIFImage::StopCurrentAndWait()
{
    for (;;) {
        {
            std::lock_guard lock(playersLock_);
            TGIFPainter* player = currentPlayer_;
            if (!player)
                break;
            player->Stop();
            // A synchronous player, or one whose call we are running, ends
            // after we return: waiting here would never end.
            if (!player->Async() || player->InSynchronizedCall())
                break;
        }
        MainSyncQueue().WaitAndDrain(PlayerPollMs);
    }
    TGIFPainter::JoinEndedThreads();
    DropComposite();
}

void TGIFImage::StopAllPlayers()
{
    for (;;) {
        int running = 0;
        {
            std::lock_guard lock(playersLock_);
            for (auto it = players_.rbegin(); it != players_.rend(); ++it) {
                (*it)->Stop();
                if ((*it)->Async() && !(*it)->InSynchronizedCall())
                    ++running;
            }
        }
        if (running == 0)
            break;
        // Threads are never killed: they end at their next check, and their
        // pending drawing steps and clean-up run here meanwhile.
        if (TSyncQueue& queue = MainSyncQueue(); queue.IsMainThread())
            queue.WaitAndDrain(PlayerPollMs);
        else
            std::this_thread::yield();
    }
    TGIFPainter::JoinEndedThreads();
    DropComposite();
}

void TGIFImage::DetachPlayers()
{
    std::lock_guard lock(playersLock_);
    for (TGIFPainter* player : players_) {
        if (player->owner_ == &currentPlayer_)
            player->owner_ = nullptr;
        player->DetachImage();
    }
    players_.clear();
    currentPlayer_ = nullptr;
}

TGIFPainter* TGIFImage::StartPlayer(TGIFPainter** owner, TCanvas& canvas, TGIFPaintFlags flags, const TRect& rect)
{
    if (IsEmpty() || rect.IsEmpty()) {
        if (owner)
            *owner = nullptr;
        return nullptr;
    }
    if (Frames.Count() == 1)
        flags &= TGIFPaintFlags(~(paintAsync | paintAnimate));
    MainSyncQueue(); // the queue's main thread is the one that starts players
    TGIFPainter::JoinEndedThreads();
    TGIFPainter* player = TGIFPainter::Create(*this, owner, canvas, flags, rect);
    if (flags & paintAsync)
        return player;
    TGIFPainter::RunAndFree(player);
    return nullptr;
}

void TGIFImage::DropComposite()
{
    compositeCanvas_.reset();
    composite_.reset();
}

void TGIFImage::MakeComposite()
{
    DropComposite();
    auto bitmap = std::make_unique<TBitmap>(Width(), Height(), TPixelFormat::pf32bit);
    bitmap->SetPalette(PaletteHandle());
    // Every drawing step of a player into the composite redraws the holder.
    bitmap->OnChange = [this](TGraphic&) { Changed(); };
    compositeCanvas_ = std::make_unique<TCanvas>(*bitmap);
    composite_ = std::move(bitmap);
}

TBitmap* TGIFImage::Bitmap()
{
    if (composite_ || IsEmpty())
        return composite_.get();
    TGIFSubImage& first = *Frames[0];
    MakeComposite();
    // Nobody plays into it: frame 0 on the screen's background.
    compositeCanvas_->FillRect(compositeCanvas_->ClipRect(), TGIFPainter::BackgroundColorOf(*this));
    // A cancelled rendering leaves the background alone.
    if (const TBitmap* frame = first.RenderBitmap())
        compositeCanvas_->StretchDraw(first.BoundsRect(), *frame);
    return composite_.get();
}

void TGIFImage::DrawComposite(TCanvas& canvas, const TRect& rect)
{
    if (!(paintFlags_ & paintTile)) {
        canvas.StretchDraw(rect, *composite_);
    } else if (Width() > 0 && Height() > 0) {
        for (int top = rect.Top; top < rect.Bottom; top += Height())
            for (int left = rect.Left; left < rect.Right; left += Width())
                canvas.Draw(left, top, *composite_);
    }
    canvas.Changed();
}

void TGIFImage::PaintOn(TCanvas& canvas, const TRect& rect)
{
    if (painting_ || IsEmpty())
        return;
    const std::weak_ptr<int> alive = lifetime_;
    painting_ = true;
    struct TGuard {
        TGIFImage& image;
        const std::weak_ptr<int>& alive;
        ~TGuard()
        {
            if (!alive.expired())
                image.painting_ = false;
        }
    } guard{*this, alive};

    if (Frames.Count() == 1 || !(paintFlags_ & paintAnimate)) {
        Frames[0]->PaintOn(canvas, rect, paintFlags_ & paintTile, paintFlags_ & paintTransparent);
        return;
    }
    const bool direct = paintFlags_ & paintDirect;
    if (composite_ && !direct) {
        DrawComposite(canvas, rect);
        return;
    }

    TCanvas* target = &canvas;
    TRect targetRect = rect;
    {
        std::lock_guard lock(playersLock_);
        if (currentPlayer_ && &currentPlayer_->Canvas() == &canvas && currentPlayer_->Rect() == rect)
            return;
        StopCurrentAndWait();
        if (!direct) {
            MakeComposite();
            // The player starts from what was visible.
            compositeCanvas_->CopyRect(compositeCanvas_->ClipRect(), canvas, rect);
            target = compositeCanvas_.get();
            targetRect = target->ClipRect();
        }
    }
    // Started outside the lock: a synchronous player plays to its end in
    // this call, and its callbacks may do anything to the document.
    TGIFPainter* player = StartPlayer(&currentPlayer_, *target, paintFlags_, targetRect);
    if (!player)
        return;
    player->Resume();
    if (direct)
        return;

    // Show the first frame at once: serve the player's calls until it has
    // painted or ended.
    TSyncQueue& queue = MainSyncQueue();
    for (;;) {
        if (alive.expired())
            return;
        {
            std::lock_guard lock(playersLock_);
            if (currentPlayer_ != player || player->Painted())
                break;
        }
        queue.WaitAndDrain(PlayerPollMs);
    }
    if (composite_)
        DrawComposite(canvas, rect);
}

} // namespace fl
