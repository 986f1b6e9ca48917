#pragma once

#include <QAudioSink>
#include <QIODevice>
#include <memory>

#include "app/sound_output.h"

namespace morvel {

// Plays the film's sound through Qt Multimedia's QAudioSink on the system's default device
// (PulseAudio or PipeWire), pulling the samples from memory as the device asks.
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
    std::unique_ptr<Source> m_source;
    std::unique_ptr<QAudioSink> m_sink;
};

}  // namespace morvel
