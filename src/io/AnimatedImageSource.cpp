// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AnimatedImageSource.h"

#include <utility>
#include <vector>

#include "io/ImagingControl.h"

namespace fl {

namespace {

class TAnimatedImageSource final : public TVideoSource {
public:
    explicit TAnimatedImageSource(std::vector<TAnimatedPicture> pictures) : pictures_(std::move(pictures))
    {
        const TAnimatedPicture& first = pictures_.front();
        facts_.Width = first.Width;
        facts_.Height = first.Height;
        facts_.Frames = int64_t(pictures_.size());
        for (const TAnimatedPicture& picture : pictures_) {
            starts_.push_back(facts_.Seconds);
            facts_.Seconds += picture.Delay / 100.0;
        }
        if (facts_.Seconds > 0)
            facts_.FramesPerSecond = double(facts_.Frames) / facts_.Seconds;
    }

    const TVideoFacts& Facts() const override { return facts_; }

    void SeekTo(double seconds) override
    {
        next_ = 0;
        while (next_ + 1 < pictures_.size() && starts_[next_ + 1] <= seconds)
            ++next_;
    }

    bool Next(TVideoPicture& picture) override
    {
        if (next_ >= pictures_.size())
            return false;
        TAnimatedPicture& source = pictures_[next_];
        picture.Seconds = starts_[next_];
        picture.Duration = source.Delay / 100.0;
        picture.Width = source.Width;
        picture.Height = source.Height;
        picture.Bgr = source.Bgr;
        ++next_;
        return true;
    }

private:
    std::vector<TAnimatedPicture> pictures_;
    std::vector<double> starts_;
    size_t next_ = 0;
    TVideoFacts facts_;
};

} // namespace

std::unique_ptr<TVideoSource> OpenAnimatedImage(const std::string& path)
{
    std::vector<TAnimatedPicture> pictures;
    const std::string failure = ReadAnimatedImage(path, "WEBP", pictures);
    if (!failure.empty())
        throw EVideoError(failure);
    return std::make_unique<TAnimatedImageSource>(std::move(pictures));
}

} // namespace fl
