// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/VideoImport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "color/ColorLookup.h"
#include "color/MedianCut.h"
#include "color/Ditherers.h"
#include "editing/FrameSettings.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl {

namespace {

// The pictures kept for the animation, with the times they are shown from.
struct TKeptPicture {
    double Start = 0;
    TVideoPicture Picture;
};

// Shares of the progress: reading the video, then mapping its pictures.
constexpr int ReadingShare = 60;
constexpr int MappingShare = 35;

class TVideoImporter {
public:
    TVideoImporter(TVideoSource& source, const TVideoImportOptions& options)
        : source_(source), options_(options)
    {
    }

    bool Read()
    {
        const TVideoFacts& facts = source_.Facts();
        from_ = std::max(0.0, options_.From);
        end_ = options_.To > from_ ? options_.To : INFINITY;
        const double length = std::isfinite(end_) ? end_ - from_ : facts.Seconds - from_;
        const double step = options_.FramesPerSecond > 0 ? 1 / options_.FramesPerSecond : 0;
        double target = from_;
        source_.SeekTo(from_);
        TVideoPicture picture, shown;
        bool haveShown = false;
        while (source_.Next(picture)) {
            if (picture.Seconds >= end_)
                break;
            if (haveShown && step > 0) {
                // Each time of the chosen rate shows the latest picture
                // begun by then.
                for (; target < picture.Seconds && target < end_; target += step)
                    Keep(target, shown);
            } else if (haveShown && picture.Seconds > from_) {
                // The picture on screen when the range begins starts it.
                // Taken, not copied: the next picture replaces it anyway.
                Keep(std::max(shown.Seconds, from_), std::move(shown));
            }
            std::swap(shown, picture);
            haveShown = true;
            const double done = length > 0 ? std::clamp((shown.Seconds - from_) / length, 0.0, 1.0) : 0;
            if (!Report(int(ReadingShare * done)))
                return false;
        }
        // The last picture lasts as long as the file says, else a frame of
        // the video, or to the range's end.
        const double duration = shown.Duration > 0            ? shown.Duration
                                : facts.FramesPerSecond > 0 ? 1 / facts.FramesPerSecond
                                                            : 0.1;
        if (haveShown && shown.Seconds + duration > from_) {
            const double last = std::max(shown.Seconds, from_);
            lastEnd_ = std::min(end_, shown.Seconds + duration);
            if (step > 0)
                for (; target < lastEnd_ - 1e-9; target += step)
                    Keep(target, shown);
            else
                Keep(last, std::move(shown));
        }
        if (kept_.empty())
            throw EVideoError("No video frames in the chosen range");
        return true;
    }

    bool Build(TGIFImage& image)
    {
        width_ = kept_.front().Picture.Width;
        height_ = kept_.front().Picture.Height;
        image.SetWidth(width_);
        image.SetHeight(height_);
        // The last entry is kept for the transparent one of differences
        // only, so that both ways map every picture alike.
        const std::vector<TPaletteEntry> colors = histogram_.Palette(255);
        auto palette = std::make_shared<TPalette>();
        palette->Entries = colors.empty() ? std::vector<TPaletteEntry>{TPaletteEntry{}} : colors;
        for (const TPaletteEntry& entry : palette->Entries)
            image.GlobalColors().Add(MakeColor(entry.red, entry.green, entry.blue));
        if (options_.Optimize) {
            transparent_ = image.GlobalColors().Count();
            image.GlobalColors().Add(MakeColor(0, 0, 0));
        }

        std::vector<double> starts;
        for (const TKeptPicture& kept : kept_)
            starts.push_back(kept.Start);
        const std::vector<int> delays = VideoFrameDelays(starts, lastEnd_);

        // The pictures are mapped a few at a time on every core, each core
        // with a lookup of its own; the frames join the animation in order.
        const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
        std::vector<std::unique_ptr<TNearestColorLookup>> lookups;
        for (size_t w = 0; w < workers; ++w)
            lookups.push_back(std::make_unique<TNearestColorLookup>(palette));
        const size_t round = 4 * workers;
        std::vector<std::vector<uint8_t>> mapped(round);
        for (size_t first = 0; first < kept_.size(); first += round) {
            const size_t count = std::min(round, kept_.size() - first);
            std::exception_ptr failure;
            std::mutex failureLock;
            const auto work = [&](size_t w) {
                try {
                    for (size_t k = w; k < count; k += workers)
                        Map(kept_[first + k].Picture, mapped[k], *lookups[w]);
                } catch (...) {
                    std::lock_guard lock(failureLock);
                    failure = std::current_exception();
                }
            };
            {
                // Joined when the scope ends, also when starting one fails.
                std::vector<std::jthread> threads;
                for (size_t w = 1; w < std::min(workers, count); ++w)
                    threads.emplace_back(work, w);
                work(0);
            }
            if (failure)
                std::rethrow_exception(failure);
            for (size_t k = 0; k < count; ++k)
                AddFrame(image, mapped[k], delays[first + k]);
            if (!Report(ReadingShare + int(MappingShare * (first + count) / kept_.size())))
                return false;
        }
        AddFrameComment(*image.Frames[0], CreatorComment);
        return Report(100);
    }

private:
    // The picture's indices become a frame: the whole screen, or with
    // differences only the box of what changed, its unchanged pixels
    // transparent. A picture that changes nothing lengthens the frame
    // before.
    void AddFrame(TGIFImage& image, std::vector<uint8_t>& indices, int delay)
    {
        int left = 0, top = 0, right = width_, bottom = height_;
        const bool differences = options_.Optimize && !screen_.empty();
        if (differences) {
            left = width_, top = height_, right = 0, bottom = 0;
            for (int y = 0; y < height_; ++y) {
                const uint8_t* now = indices.data() + size_t(y) * size_t(width_);
                const uint8_t* before = screen_.data() + size_t(y) * size_t(width_);
                if (std::memcmp(now, before, size_t(width_)) == 0)
                    continue;
                int x0 = 0, x1 = width_;
                while (now[x0] == before[x0])
                    ++x0;
                while (now[x1 - 1] == before[x1 - 1])
                    --x1;
                left = std::min(left, x0);
                right = std::max(right, x1);
                top = std::min(top, y);
                bottom = y + 1;
            }
            if (right <= left) {
                TGIFGraphicControlExtension& control = *image.Frames[image.Frames.Count() - 1]->ControlBlock;
                control.Delay = uint16_t(std::min(int(control.Delay) + delay, 65535));
                return;
            }
        }
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetGeometry(left, top, right - left, bottom - top);
        for (int y = top; y < bottom; ++y) {
            const uint8_t* now = indices.data() + size_t(y) * size_t(width_) + size_t(left);
            uint8_t* row = frame->RowAt(y - top);
            if (!differences) {
                std::memcpy(row, now, size_t(right - left));
                continue;
            }
            const uint8_t* before = screen_.data() + size_t(y) * size_t(width_) + size_t(left);
            for (int x = 0; x < right - left; ++x)
                row[x] = now[x] == before[x] ? uint8_t(transparent_) : now[x];
        }
        const int index = image.AddFrame(std::move(frame));
        TGIFSubImage& added = *image.Frames[index];
        if (index == 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(added);
            loop->LoopCount = 0;
            added.Extensions.Append(std::move(loop));
        }
        auto control = std::make_unique<TGIFGraphicControlExtension>(added);
        control->Delay = uint16_t(std::min(delay, 65535));
        if (differences) {
            control->SetTransparent(true);
            control->SetTransparentIndex(transparent_);
        }
        added.Extensions.Append(std::move(control));
        screen_.swap(indices);
    }

    // The picture into a screen of indices with error diffusion; a picture
    // of another size (the video changed its size) is cut to the screen,
    // or padded with the first color. Its colors are given up afterwards.
    void Map(TVideoPicture& picture, std::vector<uint8_t>& indices, TNearestColorLookup& lookup) const
    {
        indices.assign(size_t(width_) * size_t(height_), 0);
        const TBGRRowSource source{std::min(width_, picture.Width), std::min(height_, picture.Height),
                                   [&picture](int y) {
                                       return picture.Bgr.data() + size_t(y) * size_t(picture.Width) * 3;
                                   }};
        const int width = width_;
        DitherImage(source, [&indices, width](int y) { return indices.data() + size_t(y) * size_t(width); }, lookup,
                    ditherFloydSteinberg);
        picture.Bgr = {};
        picture.Bgr.shrink_to_fit();
    }

    void Keep(double start, TVideoPicture picture)
    {
        if (!kept_.empty()) {
            // A later picture of the same time is the one shown.
            if (kept_.back().Start == start && kept_.back().Picture.Width == picture.Width &&
                kept_.back().Picture.Height == picture.Height) {
                kept_.back().Picture = std::move(picture);
                return;
            }
            // The same picture shown again only lengthens the frame before.
            if (kept_.back().Picture.Seconds == picture.Seconds)
                return;
        }
        if (int(kept_.size()) >= MaxVideoFrames)
            throw GIFException("Image is too large");
        // The pictures wait for the palette as 3 bytes a pixel: they may
        // take what the finished animation may.
        pixelsKept_ += uint64_t(picture.Width) * uint64_t(picture.Height);
        if (3 * pixelsKept_ > GIFMemoryLimits.MaxDocumentPixels)
            throw GIFException("Image is too large");
        Sample(picture);
        kept_.push_back({start, std::move(picture)});
    }

    // The palette learns from every second row and every third pixel of
    // it: plenty for 256 colors, and a sixth of the work.
    void Sample(const TVideoPicture& picture)
    {
        for (int y = (sampledRows_++) & 1; y < picture.Height; y += 2) {
            const uint8_t* row = picture.Bgr.data() + size_t(y) * size_t(picture.Width) * 3;
            for (int x = y % 3; x < picture.Width; x += 3)
                histogram_.Add(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        }
    }

    bool Report(int percent)
    {
        if (!options_.Progress)
            return true;
        return options_.Progress(std::clamp(percent, 0, 100));
    }

    TVideoSource& source_;
    const TVideoImportOptions& options_;
    TCellHistogram histogram_;
    std::vector<TKeptPicture> kept_;
    int width_ = 0;
    int height_ = 0;
    // The screen as the frames so far leave it, and the transparent index.
    std::vector<uint8_t> screen_;
    int transparent_ = 0;
    uint64_t pixelsKept_ = 0;
    double from_ = 0;
    double end_ = 0;
    double lastEnd_ = 0;
    int sampledRows_ = 0;
};

} // namespace

std::vector<int> VideoFrameDelays(const std::vector<double>& starts, double end)
{
    std::vector<int> delays;
    for (size_t i = 0; i < starts.size(); ++i) {
        const double until = i + 1 < starts.size() ? starts[i + 1] : end;
        const long long from = std::llround(starts[i] * 100);
        const long long to = std::llround(until * 100);
        delays.push_back(int(std::clamp<long long>(to - from, 1, 65535)));
    }
    return delays;
}

bool ImportVideo(TGIFImage& image, TVideoSource& source, const TVideoImportOptions& options)
{
    TVideoImporter importer(source, options);
    if (!importer.Read() || !importer.Build(image)) {
        image.Reset();
        return false;
    }
    return true;
}

} // namespace fl
