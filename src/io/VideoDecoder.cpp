// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "gif/GIFTypes.h"
#include "io/FFmpegHandles.h"
#include "io/AnimatedImageSource.h"
#include "platform/GIFException.h"

namespace fl {

namespace {

double Seconds(AVRational rational)
{
    return rational.den == 0 ? 0 : double(rational.num) / double(rational.den);
}

class TFFmpegSource final : public TVideoSource {
public:
    explicit TFFmpegSource(const std::string& path)
    {
        av_log_set_level(AV_LOG_QUIET);
        AVFormatContext* input = nullptr;
        if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0)
            throw EVideoError(videomsg::OpenFile);
        input_.reset(input);
        if (avformat_find_stream_info(input, nullptr) < 0)
            throw EVideoError(videomsg::OpenFile);
        const AVCodec* decoder = nullptr;
        stream_ = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
        if (stream_ < 0)
            throw EVideoError(stream_ == AVERROR_DECODER_NOT_FOUND ? videomsg::StartDecoding : videomsg::NoStream);
        for (unsigned i = 0; i < input->nb_streams; ++i)
            input->streams[i]->discard = int(i) == stream_ ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        const AVStream& stream = *input->streams[stream_];
        const AVCodecParameters* parameters = stream.codecpar;
        if (parameters->width <= 0 || parameters->height <= 0)
            throw EVideoError(videomsg::StartDecoding);
        codec_.reset(avcodec_alloc_context3(decoder));
        if (!codec_ || avcodec_parameters_to_context(codec_.get(), parameters) < 0)
            throw EVideoError(videomsg::StartDecoding);
        codec_->thread_count = 0; // as many as the machine has
        if (avcodec_open2(codec_.get(), decoder, nullptr) < 0)
            throw EVideoError(videomsg::StartDecoding);
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!packet_ || !frame_)
            throw EVideoError(videomsg::StartDecoding);

        timeBase_ = Seconds(stream.time_base);
        startStamp_ = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
        facts_.Width = parameters->width;
        facts_.Height = parameters->height;
        facts_.FramesPerSecond = Seconds(stream.avg_frame_rate.num ? stream.avg_frame_rate : stream.r_frame_rate);
        if (stream.duration != AV_NOPTS_VALUE)
            facts_.Seconds = double(stream.duration) * timeBase_;
        else if (input->duration != AV_NOPTS_VALUE)
            facts_.Seconds = double(input->duration) / AV_TIME_BASE;
        facts_.Frames = stream.nb_frames > 0 ? stream.nb_frames
                                             : int64_t(facts_.Seconds * facts_.FramesPerSecond + 0.5);
    }

    const TVideoFacts& Facts() const override { return facts_; }

    void SeekTo(double seconds) override
    {
        if (seconds <= 0)
            return;
        const int64_t stamp = startStamp_ + int64_t(seconds / timeBase_);
        // A file that cannot seek is decoded from its start instead.
        if (av_seek_frame(input_.get(), stream_, stamp, AVSEEK_FLAG_BACKWARD) >= 0)
            avcodec_flush_buffers(codec_.get());
    }

    bool Next(TVideoPicture& picture) override
    {
        if (!Receive())
            return false;
        struct TUnref {
            AVFrame* frame;
            ~TUnref() { av_frame_unref(frame); }
        } unref{frame_.get()};
        const AVFrame& frame = *frame_;
        const int64_t stamp = frame.best_effort_timestamp;
        // A picture without a time follows the one before by a frame.
        picture.Seconds = stamp != AV_NOPTS_VALUE ? double(stamp - startStamp_) * timeBase_
                          : facts_.FramesPerSecond > 0 ? lastSeconds_ + 1 / facts_.FramesPerSecond
                                                       : lastSeconds_;
        lastSeconds_ = picture.Seconds;
        picture.Duration = frame.pkt_duration > 0 ? double(frame.pkt_duration) * timeBase_ : 0;
        const int width = frame.width, height = frame.height;
        if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
            uint64_t(width) * uint64_t(height) > GIFMemoryLimits.MaxFramePixels)
            throw GIFException("Image is too large");
        picture.Width = width;
        picture.Height = height;
        picture.Bgr.resize(size_t(width) * size_t(height) * 3);
        scaler_.reset(sws_getCachedContext(scaler_.release(), width, height, AVPixelFormat(frame.format), width,
                                           height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr));
        if (!scaler_)
            throw EVideoError(videomsg::Decode);
        uint8_t* planes[4] = {picture.Bgr.data(), nullptr, nullptr, nullptr};
        int strides[4] = {3 * width, 0, 0, 0};
        if (sws_scale(scaler_.get(), frame.data, frame.linesize, 0, height, planes, strides) != height)
            throw EVideoError(videomsg::Decode);
        return true;
    }

private:
    // Feeds the decoder until it gives a picture; false at the end.
    bool Receive()
    {
        for (;;) {
            if (finished_)
                return false;
            const int received = avcodec_receive_frame(codec_.get(), frame_.get());
            if (received == 0)
                return true;
            if (received == AVERROR_EOF || draining_) {
                finished_ = true;
                return false;
            }
            int read;
            while ((read = av_read_frame(input_.get(), packet_.get())) >= 0 && packet_->stream_index != stream_)
                av_packet_unref(packet_.get());
            if (read < 0) {
                draining_ = true;
                avcodec_send_packet(codec_.get(), nullptr);
                continue;
            }
            // A packet the decoder refuses is left out; the next may decode.
            avcodec_send_packet(codec_.get(), packet_.get());
            av_packet_unref(packet_.get());
        }
    }

    std::unique_ptr<AVFormatContext, TInputCloser> input_;
    std::unique_ptr<AVCodecContext, TCodecFreer> codec_;
    std::unique_ptr<AVPacket, TPacketFreer> packet_;
    std::unique_ptr<AVFrame, TFrameFreer> frame_;
    std::unique_ptr<SwsContext, TScalerFreer> scaler_;
    int stream_ = -1;
    double timeBase_ = 0;
    int64_t startStamp_ = 0;
    double lastSeconds_ = 0;
    bool draining_ = false;
    bool finished_ = false;
    TVideoFacts facts_;
};

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

} // namespace

std::unique_ptr<TVideoSource> OpenVideo(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw EVideoError(videomsg::OpenFile);
    // This FFmpeg reads only still WebP pictures.
    if (LowerExtension(path) == ".webp")
        return OpenAnimatedImage(path);
    return std::make_unique<TFFmpegSource>(path);
}

bool IsVideoFileName(const std::string& path)
{
    static const char* const extensions[] = {".mp4", ".m4v", ".webm", ".mov", ".mkv", ".avi", ".webp",
                                             ".apng", ".mpg", ".mpeg", ".ogv", ".flv", ".wmv", ".3gp"};
    const std::string extension = LowerExtension(path);
    return std::any_of(std::begin(extensions), std::end(extensions),
                       [&extension](const char* known) { return extension == known; });
}

} // namespace fl
