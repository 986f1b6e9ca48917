#pragma once

#include <QAudioSink>
#include <QIODevice>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/sound_output.h"

namespace morvel {

// Plays the film's sound through Qt Multimedia's QAudioSink on the system's default device
// (PulseAudio or PipeWire). The samples are pushed from memory by a timer of our own, as much as
// the device has room for: Qt's pull mode stops asking after its first period when the program
// waits in its own event loops, as it does while the film plays.
class QtSoundOutput : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool start(std::shared_ptr<const SoundSamples> sound, long long first, long long count,
               bool holdClock) override;
    double playedSeconds() const override;
    bool lost() const override;
    void stop() override;

private:
    class Source;
    // Writes what the device has room for.
    void feed() const;

    std::unique_ptr<Source> m_source;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_device = nullptr;  // the sink's, while it plays
    QTimer m_feeder;
    mutable std::vector<char> m_chunk;
};

}  // namespace morvel
