// SPDX-License-Identifier: GPL-3.0-or-later
// Small animations built in memory, and a recorder of what a player did.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/SyncQueue.h"

namespace fl::test {

// Palette of the test animations, by index.
constexpr TColor TestColors[] = {MakeColor(0, 0, 0),     MakeColor(255, 0, 0),   MakeColor(0, 255, 0),
                                 MakeColor(0, 0, 255),   MakeColor(255, 255, 0), MakeColor(255, 255, 255),
                                 MakeColor(0, 255, 255), MakeColor(255, 0, 255)};
// The same colors as a canvas pixel reads them (0x00RRGGBB).
inline uint32_t Rgb(int index)
{
    const TColor c = TestColors[index];
    return uint32_t(RedOf(c)) << 16 | uint32_t(GreenOf(c)) << 8 | BlueOf(c);
}

struct TFrameLayout {
    TFrameLayout(int left, int top, int width, int height, uint8_t fill, int disposal = -1, int delay = 0,
               int transparentIndex = -1, std::optional<int> loopCount = {})
        : Left(left), Top(top), Width(width), Height(height), Fill(fill), Disposal(disposal), Delay(delay),
          TransparentIndex(transparentIndex), LoopCount(loopCount)
    {
    }
    int Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t Fill = 0;
    int Disposal = -1; // -1: no control block
    int Delay = 0;
    int TransparentIndex = -1;
    std::optional<int> LoopCount; // a loop extension on this frame
    // Pixels set to another index: (x, y, index).
    std::vector<std::array<int, 3>> Spots;
};

inline std::unique_ptr<TGIFImage> MakeAnimation(int screenWidth, int screenHeight,
                                                const std::vector<TFrameLayout>& frames, int backgroundIndex = 5)
{
    auto image = std::make_unique<TGIFImage>();
    for (TColor color : TestColors)
        image->GlobalColors().Add(color);
    image->Header.BackgroundIndex = uint8_t(backgroundIndex);
    image->SetWidth(screenWidth);
    image->SetHeight(screenHeight);
    for (const TFrameLayout& layout : frames) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->SetGeometry(layout.Left, layout.Top, layout.Width, layout.Height);
        std::fill(frame->Pixels(), frame->Pixels() + frame->PixelBytes(), layout.Fill);
        for (const auto& [x, y, index] : layout.Spots)
            frame->RowAt(y)[x] = uint8_t(index);
        if (layout.LoopCount) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(*frame);
            loop->LoopCount = uint16_t(*layout.LoopCount);
            frame->Extensions.Append(std::move(loop));
        }
        if (layout.Disposal >= 0 || layout.TransparentIndex >= 0 || layout.Delay > 0) {
            auto control = std::make_unique<TGIFGraphicControlExtension>(*frame);
            control->SetDisposal(std::max(layout.Disposal, 0));
            control->Delay = uint16_t(layout.Delay);
            if (layout.TransparentIndex >= 0) {
                control->SetTransparent(true);
                control->SetTransparentIndex(layout.TransparentIndex);
            }
            frame->Extensions.Append(std::move(control));
        }
        image->AddFrame(std::move(frame));
    }
    return image;
}

// A 32-bit canvas of its own.
struct TTestCanvas {
    TBitmap Bitmap;
    std::unique_ptr<TCanvas> Canvas;
    TTestCanvas(int width, int height, TColor fill = MakeColor(10, 20, 30))
        : Bitmap(width, height, TPixelFormat::pf32bit), Canvas(std::make_unique<TCanvas>(Bitmap))
    {
        Canvas->FillRect(Canvas->ClipRect(), fill);
    }
    uint32_t At(int x, int y) const { return Bitmap.PixelColor(x, y); }
};

// What a player reported, in order.
struct TPlayRecord {
    std::vector<std::string> Events;
    std::vector<int> Frames;     // ActiveFrame at each OnAfterFrame
    std::vector<int> Waits;      // LastWait at each OnBeforeFrame
    std::vector<TBitmap> Shots;  // the watched bitmap after each frame
    const TBitmap* Watched = nullptr;
    std::function<void(TGIFPainter&)> AfterFrame;

    void Attach(TGIFImage& image)
    {
        image.OnPlayStart = [this](TGIFPainter&) { Events.push_back("start"); };
        image.OnRepeat = [this](TGIFPainter&) { Events.push_back("repeat"); };
        image.OnPlayEnd = [this](TGIFPainter&) { Events.push_back("end"); };
        image.OnBeforeFrame = [this](TGIFPainter& player) { Waits.push_back(player.LastWait()); };
        image.OnAfterFrame = [this](TGIFPainter& player) {
            Events.push_back("frame " + std::to_string(player.ActiveFrame));
            Frames.push_back(player.ActiveFrame);
            if (Watched)
                Shots.push_back(*Watched);
            if (AfterFrame)
                AfterFrame(player);
        };
    }
};

// Serves the main thread's queue until the condition holds; false after ten
// seconds of real time, so that a fault fails the test instead of hanging it.
inline bool DrainUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MainSyncQueue().WaitAndDrain(2);
    }
    return true;
}

} // namespace fl::test
