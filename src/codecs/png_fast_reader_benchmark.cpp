// Decoding a camera-like 1920 x 1080 RGB PNG: libpng against the fast reader; and a 6000 x 4000
// mask read reduced by 4 for playback: full decode and shrink against the reduced read. The
// pictures are made by the shared bench data generator (gen_data.py --size 1920x1080, --size
// 6000x4000), looked for in $MORVEL_BENCH_DATA (default /tmp/morvel-bench).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "codecs/png_codec.h"
#include "codecs/png_fast_reader.h"
#include "codecs/shrink_picture.h"

namespace morvel {
namespace {

std::optional<std::vector<std::uint8_t>> benchFile(const char* name) {
    const char* root = std::getenv("MORVEL_BENCH_DATA");
    return ReadFileBytes(std::string(root ? root : "/tmp/morvel-bench") + name);
}

const std::vector<std::uint8_t>* cameraPng() {
    static const auto bytes = benchFile("/1920x1080/layer1_000.png");
    return bytes ? &*bytes : nullptr;
}

const std::vector<std::uint8_t>* bigMaskPng() {
    static const auto bytes = benchFile("/6000x4000/mask_000.png");
    return bytes ? &*bytes : nullptr;
}

template <typename Decode>
void decodeLoop(benchmark::State& state, Decode decode,
                const std::vector<std::uint8_t>* bytes = cameraPng()) {
    if (!bytes) {
        state.SkipWithError("no picture: run gen_data.py with the size first");
        return;
    }
    Image image;
    for (auto _ : state) {
        decode(*bytes, image);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{image.width()} * image.height());
}

void BM_DecodeCameraPngLibpng(benchmark::State& state) {
    decodeLoop(state, [](const auto& bytes, Image& image) { DecodePngWithLibpng(bytes, image); });
}
void BM_DecodeCameraPngFast(benchmark::State& state) {
    Image probe;
    if (cameraPng() && DecodePngFast(*cameraPng(), probe) != FastPngResult::Decoded) {
        state.SkipWithError("the fast reader left the picture to libpng");
        return;
    }
    decodeLoop(state, [](const auto& bytes, Image& image) { DecodePngFast(bytes, image); });
}

constexpr int kPlaybackFactor = 4;

void BM_MaskFullDecodeAndShrink(benchmark::State& state) {
    decodeLoop(
        state,
        [](const auto& bytes, Image& image) {
            Image full;
            DecodePngFast(bytes, full);
            image = ShrinkPicture(full, kPlaybackFactor);
        },
        bigMaskPng());
}
void BM_MaskReducedRead(benchmark::State& state) {
    decodeLoop(
        state,
        [](const auto& bytes, Image& image) {
            if (DecodePngFastReduced(bytes, kPlaybackFactor, image) != FastPngResult::Decoded)
                image = {};
        },
        bigMaskPng());
}

BENCHMARK(BM_DecodeCameraPngLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCameraPngFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskFullDecodeAndShrink)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskReducedRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
