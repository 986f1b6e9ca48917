#pragma once

#include <string>

#include "codecs/av_handles.h"
#include "platform/image.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace morvel {

// Converts a decoded frame to a 24-bit picture of width x height, through the caller's scaler
// (kept from call to call; freed by the caller with sws_freeContext). False when the frame's
// pixel format cannot be converted or memory is short.
bool ConvertAvFrame(const AVFrame& frame, int width, int height, SwsContext*& scaler, Image& out);

// FFmpeg's words for an error code.
std::string AvErrorText(int code);

}  // namespace morvel
