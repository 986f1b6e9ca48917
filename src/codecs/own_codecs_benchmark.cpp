#include <benchmark/benchmark.h>

#include "codecs/bmp_codec.h"
#include "codecs/tga_codec.h"

namespace morvel {
namespace {

// Speed of the codecs written here (BMP, TGA) on a 20-megapixel frame, the size the program is
// used with.
Image frame() {
    Image image = *Image::create(5472, 3648);
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* row = image.row(y);
        for (int i = 0; i < image.width() * 3; ++i) row[i] = static_cast<std::uint8_t>(i + y);
    }
    return image;
}

void encodeBmp(benchmark::State& state) {
    const Image image = frame();
    for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(image));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.byteCount()));
}
BENCHMARK(encodeBmp)->Unit(benchmark::kMillisecond);

void decodeBmp(benchmark::State& state) {
    const Image image = frame();
    const std::vector<std::uint8_t> bytes = EncodeBmp(image);
    for (auto _ : state) {
        Image out;
        benchmark::DoNotOptimize(DecodeBmp(bytes, out));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(decodeBmp)->Unit(benchmark::kMillisecond);

void decodeTga(benchmark::State& state) {
    const Image image = frame();
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = image.width() & 0xFF;
    bytes[13] = image.width() >> 8;
    bytes[14] = image.height() & 0xFF;
    bytes[15] = image.height() >> 8;
    bytes[16] = 24;
    bytes.resize(18 + static_cast<std::size_t>(image.width()) * image.height() * 3, 0x40);
    for (auto _ : state) {
        Image out;
        benchmark::DoNotOptimize(DecodeTga(bytes, out));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(decodeTga)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
