#pragma once

#include <vector>

namespace morvel {

// A sound decoded whole: interleaved float samples in [-1, 1]. Every sound file is decoded to
// this one form, so that the waveform, playback and the video writers never see a file's own.
struct SoundSamples {
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    std::vector<float> samples;  // kChannels values per sample frame

    long long frameCount() const { return static_cast<long long>(samples.size()) / kChannels; }
    double seconds() const { return static_cast<double>(frameCount()) / kRate; }
};

}  // namespace morvel
