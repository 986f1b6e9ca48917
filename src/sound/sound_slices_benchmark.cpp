// The waveform of a 5-minute track made ready: the whole file decoded and one bar per frame at
// 24 frames a second, for a 44.1 kHz stereo WAV and a 192 kb/s MP3 (the two kinds a film maker
// brings most), and the bars alone. The files are made once by the ffmpeg command in the
// temporary folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "sound/sound_decoder.h"
#include "sound/sound_slices.h"

namespace morvel {
namespace {

constexpr int kRate = 24;
constexpr int kFilmFrames = 5 * 60 * kRate;

// A 5-minute track: a tone under pink noise, so that the encoders have something to code.
std::string track(const std::string& extension, const std::string& codec) {
    const char* root = std::getenv("TMPDIR");
    const std::string path = std::string(root ? root : "/tmp") + "/morvel-bench-track." + extension;
    const std::string command =
        "test -s '" + path + "' || ffmpeg -v error -y -f lavfi -i 'sine=frequency=220:duration=300' "
        "-f lavfi -i 'anoisesrc=color=pink:amplitude=0.2:duration=300' -filter_complex amix=inputs=2 "
        "-ac 2 -ar 44100 " + codec + " '" + path + "'";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

void waveformOfFile(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("the ffmpeg command could not make the track");
        return;
    }
    for (auto _ : state) {
        SoundSamples sound;
        std::string error;
        if (!DecodeSoundFile(path, sound, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(SoundBars(sound, kFilmFrames, kRate, 0));
    }
}

void BM_WaveformOfWav(benchmark::State& state) {
    waveformOfFile(state, track("wav", "-c:a pcm_s16le"));
}
BENCHMARK(BM_WaveformOfWav)->Unit(benchmark::kMillisecond);

void BM_WaveformOfMp3(benchmark::State& state) {
    waveformOfFile(state, track("mp3", "-c:a libmp3lame -b:a 192k"));
}
BENCHMARK(BM_WaveformOfMp3)->Unit(benchmark::kMillisecond);

void BM_BarsOnly(benchmark::State& state) {
    SoundSamples sound;
    sound.samples.assign(static_cast<std::size_t>(300) * SoundSamples::kRate * SoundSamples::kChannels, 0.25f);
    for (auto _ : state) benchmark::DoNotOptimize(SoundBars(sound, kFilmFrames, kRate, 0));
}
BENCHMARK(BM_BarsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
