#include "sound/sound_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "codecs/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace morvel {

namespace {

struct ResamplerFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

// Beyond this many channels FFmpeg has no standard downmix to stereo.
constexpr int kMostChannels = 8;

void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// A layout the resampler can mix down: the standard orders of up to eight channels. A stream
// that names only its channel count gets the standard layout of that count.
bool usableLayout(const AVChannelLayout& given, AVChannelLayout& usable) {
    const int channels = given.nb_channels;
    if (channels < 1 || channels > kMostChannels) return false;
    if (given.order == AV_CHANNEL_ORDER_NATIVE) return av_channel_layout_copy(&usable, &given) == 0;
    if (given.order != AV_CHANNEL_ORDER_UNSPEC) return false;
    av_channel_layout_default(&usable, channels);
    return usable.order == AV_CHANNEL_ORDER_NATIVE;
}

// Turns decoded frames into the one sample form, appending to `out`. The resampler is made for
// the first frame and made anew when a stream changes its rate or layout midway.
class Resampler {
public:
    bool append(const AVFrame* frame, std::vector<float>& out, std::string& error) {
        if (!m_context || frame->sample_rate != m_rate || frame->format != m_format ||
            av_channel_layout_compare(&frame->ch_layout, &m_layout) != 0) {
            drain(out);
            if (!configure(frame, error)) return false;
        }
        return convert(frame->extended_data, frame->nb_samples, out);
    }

    void drain(std::vector<float>& out) {
        if (m_context) convert(nullptr, 0, out);
    }

    ~Resampler() { av_channel_layout_uninit(&m_layout); }

private:
    bool configure(const AVFrame* frame, std::string& error) {
        AVChannelLayout input{};
        if (!usableLayout(frame->ch_layout, input)) {
            error = sound_error::kLayout;
            return false;
        }
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* context = nullptr;
        const int made = swr_alloc_set_opts2(&context, &stereo, AV_SAMPLE_FMT_FLT,
                                             SoundSamples::kRate, &input,
                                             static_cast<AVSampleFormat>(frame->format),
                                             frame->sample_rate, 0, nullptr);
        // A mono sound is the same in both speakers at its own level, not 3 dB lower.
        static constexpr double kMonoToStereo[2] = {1.0, 1.0};
        if (made >= 0 && input.nb_channels == 1) swr_set_matrix(context, kMonoToStereo, 1);
        av_channel_layout_uninit(&input);
        m_context.reset(context);
        if (made < 0 || swr_init(context) < 0) {
            m_context.reset();
            error = sound_error::kFormat;
            return false;
        }
        m_rate = frame->sample_rate;
        m_format = frame->format;
        av_channel_layout_uninit(&m_layout);
        av_channel_layout_copy(&m_layout, &frame->ch_layout);
        return true;
    }

    bool convert(const std::uint8_t* const* input, int count, std::vector<float>& out) {
        const int room = swr_get_out_samples(m_context.get(), count);
        if (room <= 0) return true;
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(room) * SoundSamples::kChannels);
        std::uint8_t* target = reinterpret_cast<std::uint8_t*>(out.data() + at);
        const int written = swr_convert(m_context.get(), &target, room,
                                        const_cast<const std::uint8_t**>(input), count);
        out.resize(at + static_cast<std::size_t>(std::max(written, 0)) * SoundSamples::kChannels);
        return written >= 0;
    }

    ResamplerPtr m_context;
    int m_rate = 0;
    int m_format = -1;
    AVChannelLayout m_layout{};
};

// The stream's length in seconds when the file states it exactly (a header's sample count),
// not when the demuxer guessed it from the bit rate; negative when unknown.
double statedSeconds(const AVFormatContext* format, const AVStream* stream) {
    if (format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return -1;
    if (stream->duration > 0) return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    return -1;
}

std::uint32_t little32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// FFmpeg reads a WAV file whose data chunk states more bytes than the file holds without a
// word, up to the file's end; such a file was cut short. Streamed WAV files state 0 or ~0.
bool wavCutShort(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char head[4096];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    if (got < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
    for (std::size_t at = 12; at + 8 <= got;) {
        const std::uint32_t length = little32(head + at + 4);
        if (std::memcmp(head + at, "data", 4) == 0) {
            return length != 0 && length != 0xFFFFFFFFu &&
                   static_cast<long long>(at) + 8 + length > static_cast<long long>(size);
        }
        at += 8 + static_cast<std::size_t>(length) + (length & 1);
    }
    return false;
}

bool decodeFrames(AVCodecContext* codec, AVFrame* frame, Resampler& resampler,
                  std::vector<float>& out, int& decodeErrors, std::string& error) {
    for (;;) {
        const int got = avcodec_receive_frame(codec, frame);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
        if (got < 0) {
            ++decodeErrors;
            return true;
        }
        const bool ok = resampler.append(frame, out, error);
        av_frame_unref(frame);
        if (!ok) return false;
    }
}

}  // namespace

bool DecodeSoundFile(const std::string& path, SoundSamples& sound, std::string& error) {
    silenceLibraryLog();
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
        error = sound_error::kNotSound;
        return false;
    }
    AvFormatPtr format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        error = sound_error::kDamaged;
        return false;
    }
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        error = sound_error::kNoSound;
        return false;
    }
    AVStream* stream = format->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder) {
        error = sound_error::kCoding;
        return false;
    }
    AvCodecPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0 ||
        avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        error = sound_error::kCoding;
        return false;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    }

    std::vector<float> out;
    const double stated = statedSeconds(format.get(), stream);
    if (stated > 0 && stated < 6 * 3600.0) {
        out.reserve(static_cast<std::size_t>(stated * SoundSamples::kRate + SoundSamples::kRate) *
                    SoundSamples::kChannels);
    }
    AvPacketPtr packet(av_packet_alloc());
    AvFramePtr frame(av_frame_alloc());
    Resampler resampler;
    int packets = 0;
    int decodeErrors = 0;
    bool readError = false;
    for (;;) {
        const int read = av_read_frame(format.get(), packet.get());
        if (read < 0) {
            readError = read != AVERROR_EOF;
            break;
        }
        if (packet->stream_index == index) {
            ++packets;
            if (avcodec_send_packet(codec.get(), packet.get()) < 0) ++decodeErrors;
            if (!decodeFrames(codec.get(), frame.get(), resampler, out, decodeErrors, error)) return false;
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    if (!decodeFrames(codec.get(), frame.get(), resampler, out, decodeErrors, error)) return false;
    resampler.drain(out);

    const long long decoded = static_cast<long long>(out.size()) / SoundSamples::kChannels;
    if (decoded == 0) {
        error = decodeErrors > 0 || readError ? sound_error::kDamaged : sound_error::kEmpty;
        return false;
    }
    // A damaged stream decodes partly; a few bad packets in a long file (a cut at the end)
    // are borne, more are not.
    if (readError || decodeErrors > 2 + packets / 100) {
        error = sound_error::kDamaged;
        return false;
    }
    // A truncated file ends well before the length its header states.
    const double seconds = static_cast<double>(decoded) / SoundSamples::kRate;
    if ((stated > 0 && seconds + 0.1 < stated * 0.98) || wavCutShort(path)) {
        error = sound_error::kDamaged;
        return false;
    }
    for (float& value : out) value = std::clamp(value, -1.0f, 1.0f);
    out.shrink_to_fit();
    sound.samples = std::move(out);
    return true;
}

}  // namespace morvel
