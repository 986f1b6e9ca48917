#pragma once

#include <memory>

#include "sound/sound_samples.h"

namespace morvel {

// Where the film's sound is heard: the window plays it through the system's audio device. The
// core only starts, asks the clock and stops, so that it stays free of the window system.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Plays `count` sample frames of `sound` from sample frame `first` (negative: that much
    // silence first; past the sound's end: silence), replacing what plays now; then silence
    // until stop when `holdClock` (the film's clock runs on), else it ends. False when no audio
    // device can play.
    virtual bool start(std::shared_ptr<const SoundSamples> sound, long long first, long long count,
                       bool holdClock) = 0;
    // Seconds the device has played since start: the clock the pictures follow.
    virtual double playedSeconds() const = 0;
    // True when the device stopped playing by itself since start: it went away or failed.
    virtual bool lost() const = 0;
    virtual void stop() = 0;
};

}  // namespace morvel
