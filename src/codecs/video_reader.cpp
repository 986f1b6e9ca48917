#include "codecs/video_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files.h"

#include "codecs/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace morvel {

namespace {

struct ScalerFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

constexpr std::int64_t kNoFrame = INT64_MIN;

// The library writes warnings to standard error by default; the program reports its own errors.
void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool validRate(AVRational rate) {
    return rate.num > 0 && rate.den > 0;
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
}

// The "JPEG" YUV formats are the plain ones with full-range values; the scaler wants the plain
// format and the range said separately.
AVPixelFormat plainYuvFormat(AVPixelFormat format, bool& fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

}  // namespace

struct VideoReader::Impl {
    AvFormatPtr format;
    AvCodecPtr codec;
    ScalerPtr scaler;
    AvPacketPtr packet;
    AvFramePtr current;  // the frame last returned (or the best candidate while decoding on)
    AvFramePtr pending;  // a decoded frame that lies beyond the frame last returned
    AvFramePtr work;     // receives the next decoded frame
    AVStream* stream = nullptr;
    AVRational frameDuration{1, 1};  // one frame, in seconds
    std::int32_t count = 0;
    // Frames are numbered in the order they are shown, from 0 for the first frame the stream
    // shows; zero is that frame's time stamp. (An AVI file written with B-frames may start its
    // time stamps at 1.)
    std::int64_t zero = 0;
    bool zeroKnown = false;

    // Where decoding stands: the frame numbers of current and pending, the frame last returned.
    std::int64_t currentIndex = kNoFrame;
    std::int64_t pendingIndex = kNoFrame;
    std::int64_t lastReturned = kNoFrame;
    std::int64_t lastDecoded = kNoFrame;
    bool inputEnded = false;  // the demuxer is at its end and the decoder is draining
    // A seek into a file without an index may land between key frames; the frames decoded
    // before the next key frame lack their references and are not shown.
    bool awaitingKeyFrame = false;

    // Paletted videos carry their palette only on the packet where it starts to apply, and a
    // seek skips that packet: the reader keeps the last palette seen and gives it to the
    // decoder again with the first packet after a seek.
    std::vector<std::uint8_t> palette;
    bool paletteAfterSeek = false;

    // The scaler's output, kept from frame to frame. Its fast converters write whole blocks of
    // pixels, past the end of a row and of the last row, so they get rows with room to spare and
    // the pixels are copied into the picture from there.
    std::vector<std::uint8_t> rgbRows;

    bool hasCurrent() const { return currentIndex != kNoFrame; }
    bool hasPending() const { return pendingIndex != kNoFrame; }

    VideoReader::OpenResult open(const std::string& path);
    LoadResult readFrame(int n, Image& out);

    std::int64_t timestampOf(std::int64_t n) const;
    std::int64_t frameNumberOf(const AVFrame& frame);
    bool canDecodeOn(std::int64_t n) const;
    void forgetDecodedFrames();
    bool seekTo(std::int64_t timestamp);
    bool decodeFromStart(std::int64_t n);
    bool decodeUpTo(std::int64_t n);
    void rememberPalette(AVPacket& videoPacket);
    std::int64_t earlierSeekTarget(std::int64_t target, int attempt) const;
    LoadResult convert(const AVFrame& frame, Image& out);
};

VideoReader::OpenResult VideoReader::Impl::open(const std::string& path) {
    silenceLibraryLog();
    // Only regular files: a FIFO or device would block or never end.
    if (!IsRegularFile(path)) return OpenResult::CannotOpen;

    // The path is a file name, never a URL or a protocol such as "concat:" or "pipe:".
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* rawFormat = nullptr;
    const std::string url = "file:" + path;
    const int opened = avformat_open_input(&rawFormat, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return OpenResult::CannotOpen;  // the library freed the context
    format.reset(rawFormat);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) return OpenResult::CannotOpen;

    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* candidate = format->streams[i];
        // Cover pictures of audio files are single pictures, not videos.
        if (candidate->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(candidate->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            stream = candidate;
            break;
        }
    }
    if (!stream) return OpenResult::NoVideoStream;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (format->streams[i] != stream) format->streams[i]->discard = AVDISCARD_ALL;
    }

    const AVCodecParameters* parameters = stream->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder) return OpenResult::NoDecoder;
    // A size the program cannot hold is a video it cannot decode.
    if ((parameters->width != 0 || parameters->height != 0) &&
        !Image::acceptableSize(parameters->width, parameters->height)) {
        return OpenResult::NoDecoder;
    }
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), parameters) < 0) {
        return OpenResult::NoDecoder;
    }
    codec->max_pixels = Image::kMaxPixels;
    codec->pkt_timebase = stream->time_base;
    codec->thread_count = 0;  // as many as the machine has
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return OpenResult::NoDecoder;

    packet.reset(av_packet_alloc());
    current.reset(av_frame_alloc());
    pending.reset(av_frame_alloc());
    work.reset(av_frame_alloc());
    if (!packet || !current || !pending || !work) return OpenResult::CannotOpen;

    AVRational rate = stream->avg_frame_rate;
    if (!validRate(rate)) rate = stream->r_frame_rate;
    if (!validRate(rate)) rate = av_inv_q(stream->time_base);  // one frame per time unit
    if (!validRate(rate)) rate = AVRational{25, 1};
    frameDuration = av_inv_q(rate);

    std::int64_t frames = stream->nb_frames;
    if (frames <= 0 && stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        frames = av_rescale_q(stream->duration, stream->time_base, frameDuration);
    }
    if (frames <= 0 && format->duration != AV_NOPTS_VALUE && format->duration > 0) {
        frames = av_rescale_q(format->duration, AV_TIME_BASE_Q, frameDuration);
    }
    // Every frame takes at least a byte of the file: a damaged header that claims billions of
    // frames must not make the import create them.
    const std::int64_t fileBytes = avio_size(format->pb);
    if (fileBytes > 0) frames = std::min(frames, fileBytes);
    count = clampToInt32(frames);

    // Decoding the first frame fixes the time stamp of frame 0 and leaves the reader ready to
    // give frames 0, 1, 2, ... without a seek. The demuxer still stands at the start of the file:
    // the packets read while probing the streams are given out again.
    if (decodeUpTo(0)) {
        lastReturned = 0;
    } else {
        forgetDecodedFrames();
    }
    if (!zeroKnown && stream->start_time != AV_NOPTS_VALUE) zero = stream->start_time;
    zeroKnown = true;
    return OpenResult::Ok;
}

std::int64_t VideoReader::Impl::timestampOf(std::int64_t n) const {
    return zero + av_rescale_q(n, frameDuration, stream->time_base);
}

std::int64_t VideoReader::Impl::frameNumberOf(const AVFrame& frame) {
    std::int64_t timestamp = frame.best_effort_timestamp;
    if (timestamp == AV_NOPTS_VALUE) timestamp = frame.pts;
    if (!zeroKnown && timestamp != AV_NOPTS_VALUE) {
        zero = timestamp;
        zeroKnown = true;
    }
    std::int64_t number;
    if (timestamp != AV_NOPTS_VALUE) {
        number =
            av_rescale_q_rnd(timestamp - zero, stream->time_base, frameDuration,
                             static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    } else {
        // Without a time stamp the frame follows the one before it.
        number = lastDecoded == kNoFrame ? 0 : lastDecoded + 1;
    }
    lastDecoded = number;
    return number;
}

// Decoding on from where the decoder stands reaches frame n no later than a seek would: n is
// the next frame, or the key frame a seek would start from is not beyond the decoded frames.
bool VideoReader::Impl::canDecodeOn(std::int64_t n) const {
    if (lastReturned == kNoFrame || !hasCurrent() || n <= lastReturned) return false;
    if (n == lastReturned + 1) return true;
    if (hasPending() && pendingIndex >= n) return true;
    const AVIndexEntry* key =
        avformat_index_get_entry_from_timestamp(stream, timestampOf(n), AVSEEK_FLAG_BACKWARD);
    if (!key || key->timestamp == AV_NOPTS_VALUE) return false;
    const std::int64_t keyFrame =
        av_rescale_q_rnd(key->timestamp - zero, stream->time_base, frameDuration,
                         static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    return keyFrame <= std::max(currentIndex, lastDecoded);
}

// After a seek nothing decoded before it may be used again: frames, references inside the
// decoder, and the end-of-input state.
void VideoReader::Impl::forgetDecodedFrames() {
    avcodec_flush_buffers(codec.get());
    av_frame_unref(current.get());
    av_frame_unref(pending.get());
    av_frame_unref(work.get());
    currentIndex = kNoFrame;
    pendingIndex = kNoFrame;
    lastReturned = kNoFrame;
    lastDecoded = kNoFrame;
    inputEnded = false;
    awaitingKeyFrame = false;
    paletteAfterSeek = true;
}

bool VideoReader::Impl::seekTo(std::int64_t timestamp) {
    forgetDecodedFrames();
    awaitingKeyFrame = true;
    return av_seek_frame(format.get(), stream->index, timestamp, AVSEEK_FLAG_BACKWARD) >= 0;
}

// Where to seek next when the key frame found for target shows only after the wanted frame
// (frames that follow a key frame in the file may be shown before it): the key frame before it.
std::int64_t VideoReader::Impl::earlierSeekTarget(std::int64_t target, int attempt) const {
    const AVIndexEntry* key =
        avformat_index_get_entry_from_timestamp(stream, target, AVSEEK_FLAG_BACKWARD);
    // Without a usable index (files searched by time stamps): step back further on every attempt.
    std::int64_t earlier =
        target - av_rescale_q(std::int64_t{8} << attempt, frameDuration, stream->time_base);
    if (key && key->timestamp != AV_NOPTS_VALUE && key->timestamp <= target) {
        earlier = std::min(earlier, key->timestamp - 1);
    }
    return earlier;
}

// Decodes from the very start of the file up to frame n: the slow way that always works. A seek
// by time stamp to the start may land later in files without an index; then the file is
// read again from its first byte.
bool VideoReader::Impl::decodeFromStart(std::int64_t n) {
    std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    start = std::min(start, zero);
    for (int way = 0; way < 2; ++way) {
        forgetDecodedFrames();
        const bool sought =
            way == 0 ? av_seek_frame(format.get(), stream->index, start, AVSEEK_FLAG_BACKWARD) >= 0
                     : av_seek_frame(format.get(), stream->index, 0, AVSEEK_FLAG_BYTE) >= 0;
        if (sought && decodeUpTo(n) && currentIndex <= n) return true;
    }
    return false;
}

// Decodes on until current holds frame n: the last frame whose number is at most n (a video
// shows a frame until the next one, so a dropped frame repeats the one before). A frame found
// beyond n is kept in pending for the next call. False when decoding fails or nothing was found.
bool VideoReader::Impl::decodeUpTo(std::int64_t n) {
    if (hasPending()) {
        if (pendingIndex > n) return hasCurrent();
        std::swap(current, pending);
        currentIndex = pendingIndex;
        pendingIndex = kNoFrame;
        av_frame_unref(pending.get());
        if (currentIndex == n) return true;
    }
    for (;;) {
        const int received = avcodec_receive_frame(codec.get(), work.get());
        if (received == 0) {
            const std::int64_t number = frameNumberOf(*work);
            if (awaitingKeyFrame && !work->key_frame) {
                av_frame_unref(work.get());
                continue;
            }
            awaitingKeyFrame = false;
            if (number <= n || !hasCurrent()) {
                std::swap(current, work);
                av_frame_unref(work.get());
                currentIndex = number;
                if (number >= n) return true;
            } else {
                std::swap(pending, work);
                av_frame_unref(work.get());
                pendingIndex = number;
                return true;
            }
        } else if (received == AVERROR(EAGAIN)) {
            if (inputEnded) return false;  // cannot happen with a well-behaved decoder
            const int read = av_read_frame(format.get(), packet.get());
            if (read < 0) {
                // End of the file (or an unreadable rest): let the decoder give what it holds.
                inputEnded = true;
                avcodec_send_packet(codec.get(), nullptr);
                continue;
            }
            // An empty packet would mean "end of input" to the decoder; AVI files use empty
            // chunks for dropped frames, which simply repeat the frame before.
            if (packet->stream_index == stream->index && packet->size > 0) {
                rememberPalette(*packet);
                // A packet the decoder refuses is skipped; the frames after it may still decode.
                avcodec_send_packet(codec.get(), packet.get());
            }
            av_packet_unref(packet.get());
        } else if (received == AVERROR_EOF) {
            return hasCurrent() && currentIndex <= n;
        } else {
            return false;
        }
    }
}

void VideoReader::Impl::rememberPalette(AVPacket& videoPacket) {
    std::size_t size = 0;
    const std::uint8_t* data = av_packet_get_side_data(&videoPacket, AV_PKT_DATA_PALETTE, &size);
    if (data) {
        palette.assign(data, data + size);
    } else if (paletteAfterSeek && !palette.empty()) {
        std::uint8_t* copy =
            av_packet_new_side_data(&videoPacket, AV_PKT_DATA_PALETTE, palette.size());
        if (copy) std::copy(palette.begin(), palette.end(), copy);
    }
    paletteAfterSeek = false;
}

LoadResult VideoReader::Impl::convert(const AVFrame& frame, Image& out) {
    if (!Image::acceptableSize(frame.width, frame.height)) return LoadResult::TooLarge;
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source =
        plainYuvFormat(static_cast<AVPixelFormat>(frame.format), fullRange);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(source);
    if (!descriptor) return LoadResult::Unsupported;

    std::optional<Image> picture = Image::create(frame.width, frame.height);
    if (!picture) return LoadResult::OutOfMemory;

    // Same size in and out: the flags only choose the converter. Without SWS_ACCURATE_RND the
    // scaler takes its fast YUV-to-RGB path (about ten times faster on full-HD frames), the one
    // ffmpeg itself uses by default.
    SwsContext* context = sws_getCachedContext(scaler.release(), frame.width, frame.height, source,
                                               frame.width, frame.height, AV_PIX_FMT_RGB24,
                                               SWS_BICUBIC, nullptr, nullptr, nullptr);
    scaler.reset(context);
    if (!context) return LoadResult::Unsupported;
    const bool isYuv = !(descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) &&
                       descriptor->nb_components >= 3;
    if (isYuv) {
        // The frame's own colour matrix (BT.709 for most HD video) and value range; the scaler
        // would otherwise assume BT.601 with limited range.
        sws_setColorspaceDetails(context, sws_getCoefficients(frame.colorspace), fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }

    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 3;
    const std::size_t rgbStride = ((rowBytes + 63) & ~std::size_t{63}) + 64;
    const std::size_t rgbBytes = rgbStride * (static_cast<std::size_t>(frame.height) + 2);
    if (rgbRows.size() < rgbBytes) {
        try {
            rgbRows.resize(rgbBytes);
        } catch (const std::bad_alloc&) {
            return LoadResult::OutOfMemory;
        }
    }
    std::uint8_t* const target[4] = {rgbRows.data(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(rgbStride), 0, 0, 0};
    const int rows =
        sws_scale(context, frame.data, frame.linesize, 0, frame.height, target, targetStride);
    if (rows != frame.height) return LoadResult::Damaged;
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(picture->row(y), rgbRows.data() + y * rgbStride, rowBytes);
    }
    out = std::move(*picture);
    return LoadResult::Ok;
}

LoadResult VideoReader::Impl::readFrame(int n, Image& out) {
    if (n < 0 || n >= count) return LoadResult::Damaged;
    bool found = false;
    if (hasCurrent() && n == lastReturned) {
        found = true;
    } else if (canDecodeOn(n)) {
        found = decodeUpTo(n);
    } else {
        // Seek to the key frame at or before frame n and decode on from there.
        std::int64_t target = timestampOf(n);
        for (int attempt = 0; attempt < 4; ++attempt) {
            if (!seekTo(target) || !decodeUpTo(n)) break;
            if (currentIndex <= n) {
                found = true;
                break;
            }
            target = earlierSeekTarget(target, attempt);
        }
        // Seeking failed or kept landing beyond n: start over from the beginning.
        if (!found) found = decodeFromStart(n);
    }
    if (!found) {
        forgetDecodedFrames();
        return LoadResult::Damaged;
    }
    lastReturned = n;
    const LoadResult result = convert(*current, out);
    if (result != LoadResult::Ok) lastReturned = kNoFrame;
    return result;
}

VideoReader::VideoReader() = default;

VideoReader::~VideoReader() = default;

VideoReader::OpenResult VideoReader::open(const std::string& path) {
    close();
    m_impl.reset(new (std::nothrow) Impl);
    if (!m_impl) return OpenResult::CannotOpen;
    const OpenResult result = m_impl->open(path);
    if (result != OpenResult::Ok) m_impl.reset();
    return result;
}

bool VideoReader::isOpen() const {
    return m_impl != nullptr;
}

int VideoReader::firstFrame() const {
    return 0;  // frames are counted from the first one shown
}

int VideoReader::frameCount() const {
    return m_impl ? m_impl->count : 0;
}

LoadResult VideoReader::readFrame(int n, Image& out) {
    if (!m_impl) return LoadResult::CannotOpen;
    return m_impl->readFrame(n, out);
}

void VideoReader::close() {
    m_impl.reset();
}

}  // namespace morvel
