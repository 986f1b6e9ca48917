#pragma once

#include <vector>

#include "sound/sound_samples.h"

namespace morvel {

// The sample frames of the sound that play with one film frame: [first, first + count).
struct SoundSlice {
    long long first = 0;
    long long count = 0;
};

// Film frame n (from 0) at `rate` frames per second, with the sound starting at film frame
// `offset` (negative: the sound's first -offset frames' worth comes before the film and is not
// heard). Parts of the slice outside the sound are cut off, so count may be 0.
SoundSlice FrameSlice(const SoundSamples& sound, int frame, int rate, int offset);

// What the waveform shows of one frame: the largest magnitude and the root mean square of its
// slice over both channels, each in [0, 1]; 0 for a frame without sound.
struct SoundBar {
    float peak = 0;
    float rms = 0;
};

// One bar per film frame: only the film's span of the sound is looked at.
std::vector<SoundBar> SoundBars(const SoundSamples& sound, int frames, int rate, int offset);

}  // namespace morvel
