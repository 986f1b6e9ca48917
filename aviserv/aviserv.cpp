// AVIServ: writes AVI videos through FFmpeg for the programs that load it. The C interface keeps
// one writer per loaded library; the programs load it for one export and unload it after.

#include "aviserv/aviserv.h"

#include <strings.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#define AVISERV_ENTRY extern "C" __attribute__((visibility("default")))

namespace {

// Largest side accepted: what every codec offered here can store.
constexpr int kMaxSide = 16384;

struct Codec {
    AVCodecID id;
    AVPixelFormat pixelFormat;  // what the encoder is given
};

// The codec the environment asks for; Motion-JPEG when nothing or something unknown is set.
Codec chosenCodec() {
    const char* name = std::getenv(AVISERV_CODEC_VARIABLE);
    const std::string value = name ? name : "";
    if (strcasecmp(value.c_str(), "ffv1") == 0) return {AV_CODEC_ID_FFV1, AV_PIX_FMT_BGR0};
    if (strcasecmp(value.c_str(), "rgb") == 0) return {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24};
    // Full chroma resolution: coloured edges of composed frames stay sharp.
    return {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ444P};
}

// One video being written.
class Writer {
public:
    ~Writer() { release(); }

    bool open(const char* path, const AviWriterRecord& record) {
        m_width = record.width;
        m_height = record.height;
        const Codec codec = chosenCodec();
        if (avformat_alloc_output_context2(&m_format, nullptr, "avi", path) < 0 || !m_format)
            return false;
        const AVCodec* encoder = avcodec_find_encoder(codec.id);
        if (!encoder) return false;
        m_stream = avformat_new_stream(m_format, nullptr);
        m_codec = avcodec_alloc_context3(encoder);
        if (!m_stream || !m_codec) return false;
        m_codec->width = m_width;
        m_codec->height = m_height;
        m_codec->pix_fmt = codec.pixelFormat;
        m_codec->time_base = AVRational{1, record.frameRate};
        m_codec->framerate = AVRational{record.frameRate, 1};
        m_codec->gop_size = 1;
        if (codec.id == AV_CODEC_ID_MJPEG) {
            // A fixed, fine quantiser: high quality whatever the picture holds.
            m_codec->flags |= AV_CODEC_FLAG_QSCALE;
            m_codec->global_quality = FF_QP2LAMBDA * 1;
            m_codec->qmin = m_codec->qmax = 1;
            m_codec->color_range = AVCOL_RANGE_JPEG;
        }
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(m_codec, encoder, nullptr) < 0) return false;
        if (avcodec_parameters_from_context(m_stream->codecpar, m_codec) < 0) return false;
        m_stream->time_base = m_codec->time_base;
        m_stream->avg_frame_rate = m_codec->framerate;

        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_frame || !m_packet) return false;
        m_frame->format = m_codec->pix_fmt;
        m_frame->width = m_width;
        m_frame->height = m_height;
        if (av_frame_get_buffer(m_frame, 0) < 0) return false;
        m_scaler = sws_getContext(
            m_width, m_height, AV_PIX_FMT_RGB24, m_width, m_height, m_codec->pix_fmt,
            SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
        if (!m_scaler) return false;

        // A seekable file: the muxer goes back to complete the headers and, past 1 GB, the
        // OpenDML index that keeps large videos playable.
        if (avio_open(&m_format->pb, path, AVIO_FLAG_WRITE) < 0) return false;
        m_path = path;
        return true;
    }

    // A PCM stream for the whole track; only before the first frame, while the header waits.
    bool addSound(const AviSound& sound) {
        if (m_headerWritten || m_soundStream || sound.sampleRate <= 0 || sound.channels < 1 ||
            sound.channels > 2 || sound.frames < 0 || (sound.frames > 0 && !sound.samples)) {
            return false;
        }
        m_soundStream = avformat_new_stream(m_format, nullptr);
        if (!m_soundStream) return false;
        AVCodecParameters* p = m_soundStream->codecpar;
        p->codec_type = AVMEDIA_TYPE_AUDIO;
        p->codec_id = AV_CODEC_ID_PCM_S16LE;
        p->sample_rate = sound.sampleRate;
        av_channel_layout_default(&p->ch_layout, sound.channels);
        p->bits_per_coded_sample = 16;
        p->block_align = 2 * sound.channels;
        p->bit_rate = static_cast<std::int64_t>(sound.sampleRate) * 16 * sound.channels;
        m_soundStream->time_base = AVRational{1, sound.sampleRate};
        m_sound = sound;
        m_soundSamples.assign(sound.samples, sound.samples + sound.frames * sound.channels);
        m_sound.samples = nullptr;
        return true;
    }

    bool add(const AviBitmap& bitmap) {
        if (bitmap.width != m_width || bitmap.height != m_height || !bitmap.pixels ||
            bitmap.stride < m_width * 3) {
            return false;
        }
        if (av_frame_make_writable(m_frame) < 0) return false;
        const std::uint8_t* source[1] = {bitmap.pixels};
        const int sourceStride[1] = {bitmap.stride};
        sws_scale(m_scaler, source, sourceStride, 0, m_height, m_frame->data, m_frame->linesize);
        if (!writeHeader()) return false;
        m_frame->pts = m_nextPts++;
        return encode(m_frame) && writeSoundUpTo(m_nextPts);
    }

    // Sends what the encoder still holds and completes the file.
    bool finish() {
        bool ok = writeHeader() && encode(nullptr) && writeSoundUpTo(-1);
        if (m_headerWritten) ok = av_write_trailer(m_format) == 0 && ok;
        if (m_format && m_format->pb) ok = avio_closep(&m_format->pb) == 0 && ok;
        release();
        return ok;
    }

private:
    bool writeHeader() {
        if (m_headerWritten) return true;
        if (!m_format || !m_format->pb || avformat_write_header(m_format, nullptr) < 0) {
            if (m_format && m_format->pb) avio_closep(&m_format->pb);
            std::remove(m_path.c_str());
            return false;
        }
        m_headerWritten = true;
        return true;
    }

    // The sound up to the end of frame `frames` (-1: all of it), in packets of a tenth of a
    // second at most, so that the muxer interleaves it with the pictures.
    bool writeSoundUpTo(std::int64_t frames) {
        if (!m_soundStream) return true;
        const std::int64_t end =
            frames < 0 ? m_sound.frames
                       : std::min(m_sound.frames,
                                  av_rescale(frames, std::int64_t{m_sound.sampleRate} *
                                                         m_codec->framerate.den,
                                             m_codec->framerate.num));
        const std::int64_t chunk = std::max(1, m_sound.sampleRate / 10);
        while (m_soundWritten < end) {
            const std::int64_t count = std::min(chunk, end - m_soundWritten);
            const int bytes = static_cast<int>(count * m_sound.channels * 2);
            if (av_new_packet(m_packet, bytes) < 0) return false;
            std::memcpy(m_packet->data,
                        m_soundSamples.data() + m_soundWritten * m_sound.channels, bytes);
            m_packet->pts = m_packet->dts = m_soundWritten;
            m_packet->duration = count;
            m_packet->stream_index = m_soundStream->index;
            m_soundWritten += count;
            if (av_interleaved_write_frame(m_format, m_packet) < 0) return false;
        }
        return true;
    }

    bool encode(const AVFrame* frame) {
        if (avcodec_send_frame(m_codec, frame) < 0) return false;
        for (;;) {
            const int received = avcodec_receive_packet(m_codec, m_packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
            if (received < 0) return false;
            av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            if (av_interleaved_write_frame(m_format, m_packet) < 0) return false;
        }
    }

    void release() {
        sws_freeContext(m_scaler);
        m_scaler = nullptr;
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
        if (m_format) {
            if (m_format->pb) avio_closep(&m_format->pb);
            avformat_free_context(m_format);
            m_format = nullptr;
        }
        m_headerWritten = false;
    }

    int m_width = 0;
    int m_height = 0;
    AVFormatContext* m_format = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    std::int64_t m_nextPts = 0;
    bool m_headerWritten = false;
    std::string m_path;
    AVStream* m_soundStream = nullptr;
    AviSound m_sound{};
    std::vector<std::int16_t> m_soundSamples;
    std::int64_t m_soundWritten = 0;
};

// The library's state between the calls: ready after AVI_Init, a writer while a video is open.
bool g_ready = false;
std::unique_ptr<Writer> g_writer;
int g_programLogLevel = AV_LOG_INFO;  // FFmpeg's log level in the program before AVI_Init

bool acceptable(const AviWriterRecord& record) {
    return record.width > 0 && record.height > 0 && record.width <= kMaxSide &&
           record.height <= kMaxSide && record.frameRate > 0;
}

}  // namespace

AVISERV_ENTRY int32_t AVI_Init(void) {
    // FFmpeg's notes about every frame would go to the program's standard error; only errors
    // do while the library is ready.
    if (!g_ready) g_programLogLevel = av_log_get_level();
    av_log_set_level(AV_LOG_ERROR);
    g_ready = true;
    return 1;
}

AVISERV_ENTRY int32_t OpenAVIforWrite(const char* path, const AviWriterRecord* record) {
    if (!g_ready || g_writer || !path || !*path || !record || !acceptable(*record)) return 0;
    auto writer = std::make_unique<Writer>();
    if (!writer->open(path, *record)) return 0;
    g_writer = std::move(writer);
    return 1;
}

AVISERV_ENTRY int32_t AddFrameToAVI(const AviBitmap* bitmap, int32_t) {
    if (!g_writer || !bitmap) return 0;
    return g_writer->add(*bitmap) ? 1 : 0;
}

AVISERV_ENTRY int32_t AddSoundToAVI(const AviSound* sound) {
    if (!g_writer || !sound) return 0;
    return g_writer->addSound(*sound) ? 1 : 0;
}

AVISERV_ENTRY int32_t CloseAVIStreams(void) {
    if (!g_writer) return 0;
    const bool ok = g_writer->finish();
    g_writer.reset();
    return ok ? 1 : 0;
}

AVISERV_ENTRY int32_t AVI_Quit(void) {
    if (!g_ready) return 0;
    if (g_writer) CloseAVIStreams();
    av_log_set_level(g_programLogLevel);
    g_ready = false;
    return 1;
}
