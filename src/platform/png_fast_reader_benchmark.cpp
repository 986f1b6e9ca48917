// Decoding a camera-like 1920 x 1080 RGB PNG: libpng against the fast reader. The picture is
// one made by the shared bench data generator (gen_data.py --size 1920x1080), looked for in
// $MORVEL_BENCH_DATA (default /tmp/morvel-bench).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/png_codec.h"
#include "platform/png_fast_reader.h"

namespace morvel {
namespace {

const std::vector<std::uint8_t>* cameraPng() {
    static const std::optional<std::vector<std::uint8_t>> bytes = [] {
        const char* root = std::getenv("MORVEL_BENCH_DATA");
        return ReadFileBytes(std::string(root ? root : "/tmp/morvel-bench") +
                             "/1920x1080/layer1_000.png");
    }();
    return bytes ? &*bytes : nullptr;
}

template <typename Decode>
void decodeLoop(benchmark::State& state, Decode decode) {
    const auto* bytes = cameraPng();
    if (!bytes) {
        state.SkipWithError("no picture: run gen_data.py --size 1920x1080 first");
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

BENCHMARK(BM_DecodeCameraPngLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCameraPngFast)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
