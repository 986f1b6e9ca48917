#include "sound/sound_slices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace morvel {
namespace {

// `seconds` of silence with a 1 kHz tone of `amplitude` from `from` to `to` seconds.
SoundSamples toneBetween(double seconds, double from, double to, float amplitude) {
    SoundSamples sound;
    const auto frames = static_cast<long long>(seconds * SoundSamples::kRate);
    sound.samples.resize(static_cast<std::size_t>(frames * SoundSamples::kChannels));
    for (long long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / SoundSamples::kRate;
        if (t < from || t >= to) continue;
        const auto value = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * 1000 * t));
        sound.samples[i * 2] = value;
        sound.samples[i * 2 + 1] = value;
    }
    return sound;
}

TEST(SoundSlices, SlicesFollowTheRateAndTheOffset) {
    const SoundSamples sound = toneBetween(2.0, 0, 2.0, 0.5f);  // 96000 sample frames
    struct Case {
        int frame, rate, offset;
        long long first, count;
    };
    const Case cases[] = {
        {0, 24, 0, 0, 2000},      {1, 24, 0, 2000, 2000},   {47, 24, 0, 94000, 2000},
        {48, 24, 0, 96000, 0},    {3, 24, 2, 2000, 2000},   {1, 24, 2, 0, 0},
        {0, 24, -3, 6000, 2000},  {0, 12, 0, 0, 4000},      {2, 25, 0, 3840, 1920},
        {42, 24, -5, 94000, 2000}, {0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frame << " at " << c.rate << " offset " << c.offset);
        const SoundSlice slice = FrameSlice(sound, c.frame, c.rate, c.offset);
        EXPECT_EQ(slice.count, c.count);
        if (c.count > 0) {
            EXPECT_EQ(slice.first, c.first);
        }
    }
}

TEST(SoundSlices, BarsOfAKnownToneShowItWhereItSounds) {
    // At 24 frames a second, the tone sounds in frames 12 to 23 of the sound.
    const SoundSamples sound = toneBetween(2.0, 0.5, 1.0, 0.8f);
    for (int offset : {0, 4, -6}) {
        SCOPED_TRACE(offset);
        const auto bars = SoundBars(sound, 60, 24, offset);
        ASSERT_EQ(bars.size(), 60u);
        for (int n = 0; n < 60; ++n) {
            const int inSound = n - offset;
            if (inSound >= 12 && inSound < 24) {
                EXPECT_NEAR(bars[n].peak, 0.8f, 0.01f) << n;
                EXPECT_NEAR(bars[n].rms, 0.8f / std::numbers::sqrt2, 0.01f) << n;
            } else {
                EXPECT_EQ(bars[n].peak, 0.0f) << n;
                EXPECT_EQ(bars[n].rms, 0.0f) << n;
            }
        }
    }
}

TEST(SoundSlices, OnlyTheFilmsSpanIsLookedAt) {
    const SoundSamples sound = toneBetween(10.0, 0, 10.0, 0.5f);
    EXPECT_EQ(SoundBars(sound, 3, 24, 0).size(), 3u);
    EXPECT_TRUE(SoundBars(sound, 0, 24, 0).empty());
    EXPECT_TRUE(SoundBars(SoundSamples{}, 0, 24, 0).empty());
    const auto silent = SoundBars(SoundSamples{}, 4, 24, 0);
    ASSERT_EQ(silent.size(), 4u);
    EXPECT_EQ(silent[3].peak, 0.0f);
}

}  // namespace
}  // namespace morvel
