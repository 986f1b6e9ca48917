#include "sound/sound_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support/temp_folder.h"
#include "test_support/tone_wav.h"

namespace morvel {
namespace {

using testing::TempFolder;
using testing::ToneSamples;
using testing::WavBytes;

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

// A 440 Hz tone of `seconds` at half amplitude (the source's own is an eighth), written by the ffmpeg command.
bool makeTone(const std::string& path, double seconds, const std::string& arguments) {
    const std::string command = "ffmpeg -v error -y -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
                                std::to_string(seconds) + "' -af volume=4 " + arguments + " '" + path + "'";
    return std::system(command.c_str()) == 0;
}

// The left channel's frequency between its first and last rising zero crossing, and its peak,
// without the first and last quarter second (encoders pad the ends, AAC starts with a click).
void measure(const SoundSamples& sound, double& frequency, float& peak) {
    long long first = -1;
    long long last = -1;
    int crossings = 0;
    peak = 0;
    for (long long i = SoundSamples::kRate / 4; i < sound.frameCount() - SoundSamples::kRate / 4; ++i) {
        const float before = sound.samples[(i - 1) * 2];
        const float now = sound.samples[i * 2];
        if (before < 0 && now >= 0) {
            if (first < 0) first = i;
            last = i;
            ++crossings;
        }
        peak = std::max(peak, std::abs(now));
    }
    frequency = last > first ? (crossings - 1) * double(SoundSamples::kRate) / (last - first) : 0;
}

TEST(SoundDecoder, OwnWavAtThePlaybackRateKeepsEverySample) {
    TempFolder folder;
    const auto tone = ToneSamples(1000, 0.8, 48000, 2, 4800);
    const std::string path = folder.write("tone.wav", WavBytes(tone, 48000, 2));
    SoundSamples sound;
    std::string error;
    ASSERT_TRUE(DecodeSoundFile(path, sound, error)) << error;
    ASSERT_EQ(sound.samples.size(), tone.size());
    for (std::size_t i = 0; i < tone.size(); ++i) {
        ASSERT_NEAR(sound.samples[i], tone[i] / 32768.0f, 1e-4f) << i;
    }
}

TEST(SoundDecoder, MonoBecomesTheSameInBothChannels) {
    TempFolder folder;
    const std::string path = folder.write("mono.wav", WavBytes(ToneSamples(500, 0.5, 48000, 1, 4800), 48000, 1));
    SoundSamples sound;
    std::string error;
    ASSERT_TRUE(DecodeSoundFile(path, sound, error)) << error;
    ASSERT_EQ(sound.frameCount(), 4800);
    for (long long i = 0; i < sound.frameCount(); ++i) {
        ASSERT_EQ(sound.samples[i * 2], sound.samples[i * 2 + 1]);
    }
}

TEST(SoundDecoder, EveryKindOfFileGivesTheToneAtTheRate) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg command";
    struct Case {
        const char* name;
        const char* arguments;
        double lengthSlack;  // encoders pad the start or end
    };
    const Case cases[] = {
        {"tone.wav", "-c:a pcm_s16le", 0.001},
        {"tone.flac", "-c:a flac", 0.001},
        {"tone.mp3", "-c:a libmp3lame -b:a 128k", 0.06},
        {"tone.ogg", "-c:a libvorbis", 0.06},
        {"tone.m4a", "-c:a aac -b:a 128k", 0.06},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        ASSERT_TRUE(makeTone(path, 2.0, c.arguments));
        SoundSamples sound;
        std::string error;
        ASSERT_TRUE(DecodeSoundFile(path, sound, error)) << error;
        EXPECT_NEAR(sound.seconds(), 2.0, c.lengthSlack);
        double frequency = 0;
        float peak = 0;
        measure(sound, frequency, peak);
        EXPECT_NEAR(frequency, 440, 1);
        EXPECT_NEAR(peak, 0.5, 0.05);
    }
}

TEST(SoundDecoder, BadFilesAreRefusedWithTheirReason) {
    TempFolder folder;
    const auto tone = ToneSamples(440, 0.5, 48000, 2, 48000);
    // A FLAC file whose middle half is overwritten with noise.
    std::vector<std::uint8_t> damaged;
    if (haveFfmpeg() && makeTone(folder.file("whole.flac"), 2.0, "-c:a flac")) {
        const std::string bytes = testing::ReadText(folder.file("whole.flac"));
        damaged.assign(bytes.begin(), bytes.end());
        for (std::size_t i = damaged.size() / 4; i < damaged.size() * 3 / 4; ++i) {
            damaged[i] = static_cast<std::uint8_t>((i * 7919) >> 3);
        }
    }
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    const std::string text = "Dies ist kein Ton, sondern ein Text.\n";
    std::vector<Case> cases = {
        {"text.wav", std::vector<std::uint8_t>(text.begin(), text.end()), "not a file whose format is known"},
        {"empty.wav", WavBytes({}, 48000, 2), "empty"},
        {"short.wav", WavBytes(tone, 48000, 2, static_cast<long long>(tone.size()) * 4), "cut short"},
        {"many.wav", WavBytes(ToneSamples(440, 0.5, 48000, 10, 4800), 48000, 10), "channel layout"},
        {"nothing.wav", {}, "not a file whose format is known"},
    };
    if (!damaged.empty()) cases.push_back({"damaged.flac", damaged, "damaged or cut short"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.write(c.name, c.bytes);
        SoundSamples sound;
        sound.samples = {0.25f, -0.25f};
        std::string error;
        EXPECT_FALSE(DecodeSoundFile(path, sound, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(sound.samples, (std::vector<float>{0.25f, -0.25f}));
    }
    SoundSamples sound;
    std::string error;
    EXPECT_FALSE(DecodeSoundFile(folder.file("missing.wav"), sound, error));
    EXPECT_FALSE(error.empty());
}

TEST(SoundDecoder, APictureHoldsNoSound) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg command";
    TempFolder folder;
    const std::string path = folder.file("picture.png");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i color=red:size=32x32 -frames:v 1 '" + path + "'").c_str()), 0);
    SoundSamples sound;
    std::string error;
    EXPECT_FALSE(DecodeSoundFile(path, sound, error));
    EXPECT_NE(error.find("no sound"), std::string::npos) << error;
}

}  // namespace
}  // namespace morvel
