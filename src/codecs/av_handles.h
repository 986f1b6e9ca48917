#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace morvel {

// Owners of FFmpeg's objects, for every reader and writer that uses the library.
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

}  // namespace morvel
