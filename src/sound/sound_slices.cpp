#include "sound/sound_slices.h"

#include <algorithm>
#include <cmath>

namespace morvel {

namespace {

// The sample frame at which film frame n begins, counted from the sound's start.
long long sliceStart(long long n, int rate) {
    return n * SoundSamples::kRate / rate;
}

}  // namespace

SoundSlice FrameSlice(const SoundSamples& sound, int frame, int rate, int offset) {
    if (rate <= 0) return {};
    const long long n = static_cast<long long>(frame) - offset;
    const long long begin = std::max(sliceStart(n, rate), 0LL);
    const long long end = std::min(sliceStart(n + 1, rate), sound.frameCount());
    if (end <= begin) return {std::clamp(begin, 0LL, sound.frameCount()), 0};
    return {begin, end - begin};
}

std::vector<SoundBar> SoundBars(const SoundSamples& sound, int frames, int rate, int offset) {
    std::vector<SoundBar> bars(static_cast<std::size_t>(std::max(frames, 0)));
    for (int n = 0; n < frames; ++n) {
        const SoundSlice slice = FrameSlice(sound, n, rate, offset);
        if (slice.count == 0) continue;
        const float* values = sound.samples.data() + slice.first * SoundSamples::kChannels;
        const long long count = slice.count * SoundSamples::kChannels;
        float peak = 0;
        double squares = 0;
        for (long long i = 0; i < count; ++i) {
            peak = std::max(peak, std::abs(values[i]));
            squares += static_cast<double>(values[i]) * values[i];
        }
        bars[static_cast<std::size_t>(n)] = {peak, static_cast<float>(std::sqrt(squares / count))};
    }
    return bars;
}

}  // namespace morvel
