// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/AviReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "gif/GIFTypes.h"
#include "io/FFmpegHandles.h"
#include "platform/GIFException.h"

namespace fl {

namespace {

size_t RowBytes(int width, int bits)
{
    return ((size_t(width) * size_t(bits) + 31) / 32) * 4;
}

// The 40-byte info header of a bottom-up bitmap.
void PutInfoHeader(uint8_t* p, int width, int height, int bits, uint32_t imageSize, uint32_t colors)
{
    std::memset(p, 0, kBitmapInfoHeaderSize);
    PutLE32(p, uint32_t(kBitmapInfoHeaderSize));
    PutLE32(p + 4, uint32_t(width));
    PutLE32(p + 8, uint32_t(height));
    PutLE16(p + 12, 1);
    PutLE16(p + 14, uint16_t(bits));
    PutLE32(p + 20, imageSize);
    PutLE32(p + 32, colors);
}

} // namespace

struct TAviReader::TState {
    std::unique_ptr<AVFormatContext, TInputCloser> input;
    std::unique_ptr<AVCodecContext, TCodecFreer> codec;
    std::unique_ptr<AVPacket, TPacketFreer> packet;
    std::unique_ptr<AVFrame, TFrameFreer> frame;
    std::unique_ptr<SwsContext, TScalerFreer> scaler;
    int stream = -1;
    int64_t firstTimestamp = AV_NOPTS_VALUE;
    int64_t nextPosition = 0;
    bool draining = false;
    bool finished = false;
};

TAviReader::TAviReader(const std::string& path)
    : headers_(ReadAviHeaders(path)), state_(std::make_unique<TState>())
{
    av_log_set_level(AV_LOG_QUIET);
    TState& s = *state_;
    AVFormatContext* input = nullptr;
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi || avformat_open_input(&input, path.c_str(), avi, nullptr) < 0)
        throw EAviError(avimsg::OpenFile);
    s.input.reset(input);

    // The stream the header list calls the first video stream; the library
    // numbers streams in header order.
    const int ordinal = headers_.StreamOrdinal;
    if (ordinal >= 0 && unsigned(ordinal) < input->nb_streams &&
        input->streams[ordinal]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
        s.stream = ordinal;
    else
        for (unsigned i = 0; i < input->nb_streams && s.stream < 0; ++i)
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                s.stream = int(i);
    if (s.stream < 0)
        throw EAviError(avimsg::OpenStream);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        input->streams[i]->discard = int(i) == s.stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVCodecParameters* parameters = input->streams[s.stream]->codecpar;
    if (parameters->width <= 0 || parameters->height <= 0)
        throw EAviError(avimsg::ReadFormat);
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        throw EAviError(avimsg::StartDecompression);
    s.codec.reset(avcodec_alloc_context3(decoder));
    if (!s.codec || avcodec_parameters_to_context(s.codec.get(), parameters) < 0)
        throw EAviError(avimsg::StartDecompression);
    s.codec->thread_count = 0; // as many as the machine has
    if (avcodec_open2(s.codec.get(), decoder, nullptr) < 0)
        throw EAviError(avimsg::StartDecompression);
    s.packet.reset(av_packet_alloc());
    s.frame.reset(av_frame_alloc());
    if (!s.packet || !s.frame)
        throw EAviError(avimsg::BeginStreaming);
}

TAviReader::~TAviReader() = default;

bool TAviReader::ReadFrame(int64_t& position, std::vector<uint8_t>& dib)
{
    TState& s = *state_;
    AVFrame* frame = s.frame.get();
    for (;;) {
        if (s.finished)
            return false;
        const int received = avcodec_receive_frame(s.codec.get(), frame);
        if (received == 0)
            break;
        if (received == AVERROR_EOF) {
            s.finished = true;
            return false;
        }
        // A refused picture is skipped; the decoder is fed on rather than
        // asked again, which some decoders would answer with the same error.
        if (received != AVERROR(EAGAIN) && OnWarning)
            OnWarning(avimsg::Decompress);
        if (s.draining) {
            s.finished = true;
            return false;
        }
        // The decoder wants input: the next packet of the stream, or the
        // end of the stream so that it gives out what it holds.
        int read;
        while ((read = av_read_frame(s.input.get(), s.packet.get())) >= 0 &&
               s.packet->stream_index != s.stream)
            av_packet_unref(s.packet.get());
        if (read < 0) {
            s.draining = true;
            avcodec_send_packet(s.codec.get(), nullptr);
            continue;
        }
        const int sent = avcodec_send_packet(s.codec.get(), s.packet.get());
        av_packet_unref(s.packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN) && OnWarning)
            OnWarning(avimsg::Decompress);
    }

    struct TUnref {
        AVFrame* f;
        ~TUnref() { av_frame_unref(f); }
    } unref{frame};

    // Positions follow the stream's time base, which counts samples; a
    // picture without a time stamp follows the previous one.
    const int64_t stamp = frame->best_effort_timestamp;
    if (stamp != AV_NOPTS_VALUE) {
        if (s.firstTimestamp == AV_NOPTS_VALUE)
            s.firstTimestamp = std::min<int64_t>(stamp, 0);
        position = stamp - s.firstTimestamp;
    } else {
        position = s.nextPosition;
    }
    s.nextPosition = position + 1;

    const int width = frame->width, height = frame->height;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
        uint64_t(width) * uint64_t(height) > GIFMemoryLimits.MaxFramePixels)
        throw GIFException("Image is too large");

    if (frame->format == AV_PIX_FMT_PAL8 && frame->data[1]) {
        const size_t rowBytes = RowBytes(width, 8);
        const size_t imageSize = rowBytes * size_t(height);
        dib.assign(kBitmapInfoHeaderSize + 1024 + imageSize, 0);
        PutInfoHeader(dib.data(), width, height, 8, uint32_t(imageSize), 256);
        uint8_t* table = dib.data() + kBitmapInfoHeaderSize;
        // The decoder's palette holds native 32-bit ARGB values.
        const auto* palette = reinterpret_cast<const uint32_t*>(frame->data[1]);
        for (int i = 0; i < 256; ++i) {
            table[4 * i] = uint8_t(palette[i]);
            table[4 * i + 1] = uint8_t(palette[i] >> 8);
            table[4 * i + 2] = uint8_t(palette[i] >> 16);
        }
        uint8_t* bits = table + 1024;
        for (int y = 0; y < height; ++y)
            std::memcpy(bits + size_t(height - 1 - y) * rowBytes,
                        frame->data[0] + ptrdiff_t(y) * frame->linesize[0], size_t(width));
        return true;
    }

    const size_t rowBytes = RowBytes(width, 24);
    const size_t imageSize = rowBytes * size_t(height);
    // Every byte is written below but the rows' padding, which no reader
    // looks at: a reused buffer need not be cleared first.
    dib.resize(kBitmapInfoHeaderSize + imageSize);
    PutInfoHeader(dib.data(), width, height, 24, uint32_t(imageSize), 0);
    s.scaler.reset(sws_getCachedContext(s.scaler.release(), width, height, AVPixelFormat(frame->format),
                                        width, height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr,
                                        nullptr));
    if (!s.scaler)
        throw EAviError(avimsg::Decompress);
    // Written from the last row up: the bitmap keeps its bottom row first.
    uint8_t* bits = dib.data() + kBitmapInfoHeaderSize;
    uint8_t* planes[4] = {bits + (size_t(height) - 1) * rowBytes, nullptr, nullptr, nullptr};
    int strides[4] = {-int(rowBytes), 0, 0, 0};
    if (sws_scale(s.scaler.get(), frame->data, frame->linesize, 0, height, planes, strides) != height)
        throw EAviError(avimsg::Decompress);
    return true;
}

} // namespace fl
