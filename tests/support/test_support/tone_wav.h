#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace morvel::testing {

// 16-bit samples of a sine tone, the same in every channel, interleaved.
inline std::vector<std::int16_t> ToneSamples(double frequency, double amplitude, int rate,
                                             int channels, long long frames) {
    std::vector<std::int16_t> samples;
    samples.reserve(static_cast<std::size_t>(frames * channels));
    for (long long i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
        for (int c = 0; c < channels; ++c) {
            samples.push_back(static_cast<std::int16_t>(std::lround(value * 32767)));
        }
    }
    return samples;
}

// The bytes of a PCM WAV file. `statedBytes` overrides the data size the header states (a
// truncated file states more than it holds).
inline std::vector<std::uint8_t> WavBytes(const std::vector<std::int16_t>& samples, int rate,
                                          int channels, long long statedBytes = -1) {
    std::vector<std::uint8_t> out;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto putTag = [&](const char* tag) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto stated = statedBytes >= 0 ? static_cast<std::uint32_t>(statedBytes) : dataBytes;
    putTag("RIFF");
    put32(36 + stated);
    putTag("WAVE");
    putTag("fmt ");
    put32(16);
    put16(1);
    put16(static_cast<std::uint16_t>(channels));
    put32(static_cast<std::uint32_t>(rate));
    put32(static_cast<std::uint32_t>(rate * channels * 2));
    put16(static_cast<std::uint16_t>(channels * 2));
    put16(16);
    putTag("data");
    put32(stated);
    for (std::int16_t s : samples) put16(static_cast<std::uint16_t>(s));
    return out;
}

}  // namespace morvel::testing
