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

namespace {

constexpr qint64 kFrameBytes = SoundSamples::kChannels * sizeof(float);
constexpr double kBytesPerSecond = double(SoundSamples::kRate) * kFrameBytes;

}  // namespace

QtSoundOutput::QtSoundOutput() {
    m_feeder.setTimerType(Qt::PreciseTimer);
    m_feeder.setInterval(10);
    QObject::connect(&m_feeder, &QTimer::timeout, [this] { feed(); });
}

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
    m_sink->setBufferSize(static_cast<qsizetype>(kBytesPerSecond / 20));
    m_device = m_sink->start();
    if (!m_device || m_sink->error() != QAudio::NoError) {
        stop();
        return false;
    }
    feed();
    m_feeder.start();
    return true;
}

void QtSoundOutput::feed() const {
    if (!m_device || !m_source) return;
    qint64 room = m_sink->bytesFree();
    room -= room % kFrameBytes;
    if (room <= 0) return;
    m_chunk.resize(static_cast<std::size_t>(room));
    const qint64 got = m_source->read(m_chunk.data(), room);
    if (got > 0) m_device->write(m_chunk.data(), got);
}

double QtSoundOutput::playedSeconds() const {
    if (!m_sink) return 0.0;
    feed();  // the film asks every frame: the device never waits for the timer
    // What the device has played: the backend counts what left its buffer, not what was
    // written to it (subtracting the buffer put the pictures 37 ms behind the speaker).
    return static_cast<double>(m_sink->processedUSecs()) / 1e6;
}

bool QtSoundOutput::lost() const {
    // Stopped without stop(): the backend gave up the stream (the device went away).
    return m_sink && (m_sink->state() == QAudio::StoppedState ||
                      m_sink->error() == QAudio::IOError || m_sink->error() == QAudio::FatalError);
}

void QtSoundOutput::stop() {
    m_feeder.stop();
    m_device = nullptr;
    if (m_sink) m_sink->stop();
    m_sink.reset();
    m_source.reset();
}

}  // namespace morvel
