#pragma once

#include <memory>

#include "platform/image.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace morvel {

// Owners of FFmpeg's objects.
struct AvFormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct AvCodecCloser {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct AvFrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct AvPacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using AvFormatPtr = std::unique_ptr<AVFormatContext, AvFormatCloser>;
using AvCodecPtr = std::unique_ptr<AVCodecContext, AvCodecCloser>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameFreer>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketFreer>;

// Converts a decoded frame to a 24-bit picture of width x height, through the caller's scaler
// (kept from call to call; freed by the caller with sws_freeContext). False when the frame's
// pixel format cannot be converted or memory is short.
bool ConvertAvFrame(const AVFrame& frame, int width, int height, SwsContext*& scaler, Image& out);

// FFmpeg's words for an error code.
std::string AvErrorText(int code);

}  // namespace morvel
