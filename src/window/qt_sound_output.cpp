#include "window/qt_sound_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

namespace morvel {

// The samples from a position on, silence before the sound's start and after its end.
class QtSoundOutput::Source : public QIODevice {
public:
    Source(std::shared_ptr<const SoundSamples> sound, long long first, long long count,
           bool holdClock)
        : m_sound(std::move(sound)), m_at(first), m_end(first + count), m_holdClock(holdClock) {}

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return m_holdClock || m_at < m_end ? kFrameBytes * 4096 + QIODevice::bytesAvailable() : 0;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        long long frames = maxSize / kFrameBytes;
        if (!m_holdClock) frames = std::min(frames, m_end - m_at);
        if (frames <= 0) return 0;
        auto* out = reinterpret_cast<float*>(data);
        const long long soundFrames = m_sound->frameCount();
        for (long long i = 0; i < frames; ++i, ++m_at) {
            const bool heard = m_at >= 0 && m_at < soundFrames && m_at < m_end;
            for (int c = 0; c < SoundSamples::kChannels; ++c)
                *out++ = heard ? m_sound->samples[static_cast<std::size_t>(
                                     m_at * SoundSamples::kChannels + c)]
                               : 0.0f;
        }
        return frames * kFrameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr qint64 kFrameBytes = SoundSamples::kChannels * sizeof(float);
    std::shared_ptr<const SoundSamples> m_sound;
    long long m_at;
    long long m_end;
    bool m_holdClock;
};

QtSoundOutput::QtSoundOutput() = default;

QtSoundOutput::~QtSoundOutput() {
    stop();
}

bool QtSoundOutput::start(std::shared_ptr<const SoundSamples> sound, long long first,
                          long long count, bool holdClock) {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(SoundSamples::kRate);
    format.setChannelCount(SoundSamples::kChannels);
    format.setSampleFormat(QAudioFormat::Float);
    if (!device.isFormatSupported(format)) return false;
    m_source = std::make_unique<Source>(std::move(sound), first, count, holdClock);
    m_source->open(QIODevice::ReadOnly);
    m_sink = std::make_unique<QAudioSink>(device, format);
    // A short buffer: a step's slice is heard at once and the clock is close to the speaker.
    m_sink->setBufferSize(SoundSamples::kRate / 20 * SoundSamples::kChannels * sizeof(float));
    m_sink->start(m_source.get());
    if (m_sink->error() != QAudio::NoError) {
        stop();
        return false;
    }
    return true;
}

double QtSoundOutput::playedSeconds() const {
    return m_sink ? static_cast<double>(m_sink->processedUSecs()) / 1e6 : 0.0;
}

bool QtSoundOutput::lost() const {
    // Stopped without stop(): the backend gave up the stream (the device went away).
    return m_sink && (m_sink->state() == QAudio::StoppedState ||
                      m_sink->error() == QAudio::IOError || m_sink->error() == QAudio::FatalError);
}

void QtSoundOutput::stop() {
    if (m_sink) m_sink->stop();
    m_sink.reset();
    m_source.reset();
}

}  // namespace morvel
