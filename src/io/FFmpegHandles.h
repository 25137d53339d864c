// SPDX-License-Identifier: GPL-3.0-or-later
// Owners of FFmpeg's handles, so that every path frees them.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace fl {

struct TInputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct TCodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct TPacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct TFrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct TScalerFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

} // namespace fl
