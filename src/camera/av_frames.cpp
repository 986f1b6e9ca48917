#include "camera/av_frames.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
}

namespace morvel {

namespace {

// The scaler wants the plain YUV formats with the full value range said separately.
AVPixelFormat withoutFullRange(AVPixelFormat format, bool& fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
        default: return format;
    }
}

}  // namespace

bool ConvertAvFrame(const AVFrame& frame, int width, int height, SwsContext*& scaler, Image& out) {
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = withoutFullRange(static_cast<AVPixelFormat>(frame.format), fullRange);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(source);
    if (!descriptor || !sws_isSupportedInput(source)) return false;
    std::optional<Image> picture = Image::create(width, height);
    if (!picture) return false;
    const int flags = (width == frame.width && height == frame.height) ? SWS_POINT : SWS_BILINEAR;
    scaler = sws_getCachedContext(scaler, frame.width, frame.height, source, width, height,
                                  AV_PIX_FMT_RGB24, flags, nullptr, nullptr, nullptr);
    if (!scaler) return false;
    if (!(descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL))) {
        sws_setColorspaceDetails(scaler, sws_getCoefficients(frame.colorspace), fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    // The fast converters write whole blocks past a row's end: rows with room to spare first.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t stride = ((rowBytes + 63) & ~std::size_t{63}) + 64;
    thread_local std::vector<std::uint8_t> rows;
    rows.resize(stride * (static_cast<std::size_t>(height) + 2));
    std::uint8_t* const target[4] = {rows.data(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, target, targetStride) !=
        height) {
        return false;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(picture->row(y), rows.data() + y * stride, rowBytes);
    out = std::move(*picture);
    return true;
}

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace morvel
