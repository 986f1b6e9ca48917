#include "export/video_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "sound/sound_samples.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace morvel {

namespace {

constexpr int kSoundRate = SoundSamples::kRate;
constexpr int kSoundChannels = SoundSamples::kChannels;
// Samples per sound packet where the codec takes any number (PCM).
constexpr int kPcmPacket = 1024;

struct Encoding {
    const char* muxer;
    const char* videoCodec;
    AVPixelFormat pixels;
    const char* soundCodec;
    AVSampleFormat samples;
};

Encoding encodingOf(VideoFormat format) {
    if (format == VideoFormat::Mov)
        return {"mov", "prores_ks", AV_PIX_FMT_YUV422P10LE, "pcm_s16le", AV_SAMPLE_FMT_S16};
    return {"mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", AV_SAMPLE_FMT_FLTP};
}

std::int16_t toShort(float value) {
    const float clamped = std::clamp(value, -1.0f, 1.0f);
    return static_cast<std::int16_t>(clamped * 32767.0f + (clamped >= 0 ? 0.5f : -0.5f));
}

}  // namespace

const char* VideoExtension(VideoFormat format) {
    return format == VideoFormat::Mov ? ".mov" : ".mp4";
}

struct VideoWriter::Streams {
    // The encoders' notes about every video would go to the program's standard error.
    Streams() : logLevel(av_log_get_level()) { av_log_set_level(AV_LOG_ERROR); }
    ~Streams() {
        sws_freeContext(scaler);
        av_frame_free(&picture);
        av_frame_free(&sound);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
        av_log_set_level(logLevel);  // after the encoders' closing notes
    }

    bool openVideo(const VideoSettings& settings, const Encoding& encoding) {
        const AVCodec* codec = avcodec_find_encoder_by_name(encoding.videoCodec);
        videoStream = avformat_new_stream(format, nullptr);
        if (!codec || !videoStream || !(video = avcodec_alloc_context3(codec))) return false;
        // 4:2:0 and 4:2:2 need even sides.
        width = settings.width + (settings.width & 1);
        height = settings.height + (settings.height & 1);
        video->width = width;
        video->height = height;
        video->pix_fmt = encoding.pixels;
        video->time_base = AVRational{1, settings.fps};
        video->framerate = AVRational{settings.fps, 1};
        video->thread_count = 0;  // one per core
        video->color_primaries = AVCOL_PRI_BT709;
        video->color_trc = AVCOL_TRC_BT709;
        video->colorspace = AVCOL_SPC_BT709;
        video->color_range = AVCOL_RANGE_MPEG;
        video->sample_aspect_ratio = AVRational{1, 1};
        if (settings.format == VideoFormat::Mov) {
            av_opt_set(video->priv_data, "profile", "hq", 0);
            av_opt_set(video->priv_data, "vendor", "apl0", 0);
            // Camera frames carry sensor noise: at the profile's usual budget they come back
            // near 38.5 dB, with half as much again above 40 dB (the 4:2:2 bound is near 43).
            av_opt_set(video->priv_data, "bits_per_mb", "1500", 0);
        } else {
            av_opt_set(video->priv_data, "preset", "medium", 0);
            av_opt_set(video->priv_data, "crf", "18", 0);
            video->gop_size = std::max(1, settings.fps * 2);
        }
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(video, codec, nullptr) < 0) return false;
        if (avcodec_parameters_from_context(videoStream->codecpar, video) < 0) return false;
        videoStream->time_base = video->time_base;
        videoStream->avg_frame_rate = video->framerate;
        picture = av_frame_alloc();
        if (!picture) return false;
        picture->format = video->pix_fmt;
        picture->width = width;
        picture->height = height;
        // ProRes takes the colour description of its frame headers from the frames.
        picture->color_primaries = video->color_primaries;
        picture->color_trc = video->color_trc;
        picture->colorspace = video->colorspace;
        picture->color_range = video->color_range;
        if (av_frame_get_buffer(picture, 0) < 0) return false;
        // The vectorised conversion: exact rounding changes nothing measurable after the encoder.
        scaler = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, video->pix_fmt,
                                SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!scaler) return false;
        // Studio range with the HD matrix, as tagged above.
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
        return true;
    }

    bool openAudio(const Encoding& encoding) {
        const AVCodec* codec = avcodec_find_encoder_by_name(encoding.soundCodec);
        audioStream = avformat_new_stream(format, nullptr);
        if (!codec || !audioStream || !(audio = avcodec_alloc_context3(codec))) return false;
        audio->sample_fmt = encoding.samples;
        audio->sample_rate = kSoundRate;
        av_channel_layout_default(&audio->ch_layout, kSoundChannels);
        audio->time_base = AVRational{1, kSoundRate};
        if (audio->codec_id == AV_CODEC_ID_AAC) audio->bit_rate = 192000;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(audio, codec, nullptr) < 0) return false;
        if (avcodec_parameters_from_context(audioStream->codecpar, audio) < 0) return false;
        audioStream->time_base = audio->time_base;
        packetSamples = audio->frame_size > 0 ? audio->frame_size : kPcmPacket;
        sound = av_frame_alloc();
        if (!sound) return false;
        sound->format = audio->sample_fmt;
        sound->sample_rate = kSoundRate;
        sound->nb_samples = packetSamples;
        if (av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout) < 0) return false;
        return av_frame_get_buffer(sound, 0) >= 0;
    }

    bool encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
        if (avcodec_send_frame(codec, frame) < 0) return false;
        for (;;) {
            const int received = avcodec_receive_packet(codec, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
            if (received < 0) return false;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0) return false;
        }
    }

    // Encodes the held-back samples in packets of the codec's size; the last may be shorter.
    bool encodeSound(bool last) {
        const std::size_t packetValues = static_cast<std::size_t>(packetSamples) * kSoundChannels;
        std::size_t used = 0;
        while (pending.size() - used >= packetValues || (last && pending.size() > used)) {
            const int count = static_cast<int>(
                std::min(packetValues, pending.size() - used) / kSoundChannels);
            if (av_frame_make_writable(sound) < 0) return false;
            sound->nb_samples = count;
            const float* from = pending.data() + used;
            if (audio->sample_fmt == AV_SAMPLE_FMT_FLTP) {
                auto* left = reinterpret_cast<float*>(sound->data[0]);
                auto* right = reinterpret_cast<float*>(sound->data[1]);
                for (int i = 0; i < count; ++i) {
                    left[i] = from[2 * i];
                    right[i] = from[2 * i + 1];
                }
            } else {
                auto* out = reinterpret_cast<std::int16_t*>(sound->data[0]);
                for (int i = 0; i < count * kSoundChannels; ++i) out[i] = toShort(from[i]);
            }
            sound->pts = soundPts;
            soundPts += count;
            used += static_cast<std::size_t>(count) * kSoundChannels;
            if (!encode(audio, audioStream, sound)) return false;
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
        return true;
    }

    AVFormatContext* format = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    int width = 0;
    int height = 0;
    int packetSamples = 0;
    std::int64_t picturePts = 0;
    std::int64_t soundPts = 0;
    std::vector<float> pending;     // interleaved samples not yet encoded
    std::vector<std::uint8_t> padded;  // a picture of odd size, its last column or row repeated
    bool headerWritten = false;
    int logLevel;
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() {
    abandon();
}

bool VideoWriter::fail(Failure failure) {
    if (m_failure == Failure::None) m_failure = failure;
    return false;
}

bool VideoWriter::open(const std::string& path, const VideoSettings& settings) {
    abandon();
    m_failure = Failure::None;
    if (settings.width <= 0 || settings.height <= 0 || settings.fps <= 0 || IsFolder(path))
        return fail(Failure::Create);
    RemoveLeftoverStagingFiles(FolderPart(path));
    std::string temporary = StagingPattern(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(Failure::Create);
    ::fchmod(fd, 0644);
    ::close(fd);
    m_target = path;
    m_temporary = temporary;

    const Encoding encoding = encodingOf(settings.format);
    m_streams = std::make_unique<Streams>();
    Streams& s = *m_streams;
    if (avformat_alloc_output_context2(&s.format, nullptr, encoding.muxer, temporary.c_str()) < 0 ||
        !s.format || !(s.packet = av_packet_alloc()) || !s.openVideo(settings, encoding) ||
        (settings.sound && !s.openAudio(encoding))) {
        abandon();
        return fail(Failure::Create);
    }
    // The colour description in the container too, for players that read only that.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+write_colr", 0);
    const bool opened = avio_open(&s.format->pb, temporary.c_str(), AVIO_FLAG_WRITE) >= 0 &&
                        avformat_write_header(s.format, &options) >= 0;
    av_dict_free(&options);
    if (!opened) {
        abandon();
        return fail(Failure::Create);
    }
    s.headerWritten = true;
    return true;
}

bool VideoWriter::addFrame(const Image& picture) {
    if (!m_streams || m_failure != Failure::None) return false;
    Streams& s = *m_streams;
    if (picture.width() + (picture.width() & 1) != s.width ||
        picture.height() + (picture.height() & 1) != s.height) {
        return fail(Failure::Write);
    }
    const std::uint8_t* source = picture.data();
    int stride = static_cast<int>(picture.stride());
    if (picture.width() != s.width || picture.height() != s.height) {
        const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 3;
        s.padded.resize(rowBytes * s.height);
        for (int y = 0; y < s.height; ++y) {
            const std::uint8_t* from = picture.row(std::min(y, picture.height() - 1));
            std::uint8_t* to = s.padded.data() + rowBytes * y;
            std::memcpy(to, from, static_cast<std::size_t>(picture.width()) * 3);
            if (picture.width() != s.width) std::memcpy(to + rowBytes - 3, to + rowBytes - 6, 3);
        }
        source = s.padded.data();
        stride = static_cast<int>(rowBytes);
    }
    if (av_frame_make_writable(s.picture) < 0) return fail(Failure::Write);
    const std::uint8_t* planes[1] = {source};
    const int strides[1] = {stride};
    sws_scale(s.scaler, planes, strides, 0, s.height, s.picture->data, s.picture->linesize);
    s.picture->pts = s.picturePts++;
    return s.encode(s.video, s.videoStream, s.picture) || fail(Failure::Write);
}

bool VideoWriter::addSound(const float* samples, std::int64_t sampleFrames) {
    if (!m_streams || !m_streams->audio || m_failure != Failure::None) return false;
    Streams& s = *m_streams;
    s.pending.insert(s.pending.end(), samples, samples + sampleFrames * kSoundChannels);
    return s.encodeSound(false) || fail(Failure::Write);
}

bool VideoWriter::finish() {
    if (!m_streams || m_failure != Failure::None) {
        abandon();
        return fail(Failure::Finish);
    }
    Streams& s = *m_streams;
    bool ok = s.encode(s.video, s.videoStream, nullptr);
    if (ok && s.audio) ok = s.encodeSound(true) && s.encode(s.audio, s.audioStream, nullptr);
    ok = ok && av_write_trailer(s.format) == 0;
    // What the buffer still held fails only here on a full disk.
    avio_flush(s.format->pb);
    ok = ok && s.format->pb->error == 0;
    ok = avio_closep(&s.format->pb) == 0 && ok;
    if (!ok) {
        abandon();
        return fail(Failure::Write);
    }
    m_streams.reset();
    if (IsFolder(m_target) || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        abandon();
        return fail(Failure::Finish);
    }
    m_temporary.clear();
    return true;
}

void VideoWriter::abandon() {
    m_streams.reset();
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace morvel
