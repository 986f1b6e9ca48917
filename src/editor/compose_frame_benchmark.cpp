// How fast the composition runs: a whole frame (export, frame change) and one brush dab.
// The blend reads three pictures and writes one; a plain copy of one picture reads one and
// writes one, so a blend at memory speed takes about twice the copy.
#include <benchmark/benchmark.h>

#include <cstring>

#include "editor/benchmark_scene.h"
#include "editor/compose_frame.h"
#include "editor/editor_test_state.h"
#include "platform/null_shell.h"

namespace morvel {
namespace {

using benchmarks::greyNoise;
using benchmarks::noise;

// A displayed frame with both layers and a mask already in the work images, as after the
// first composition: what follows only blends.
struct Scene {
    NullShell shell;
    EditorTestState state{shell, "/nonexistent/", "/nonexistent/"};

    Scene(int width, int height) {
        state.session.images.layer1 = noise(width, height, 1);
        state.session.images.layer2 = noise(width, height, 2);
        state.session.images.mask = greyNoise(width, height, 3);
        state.session.images.composite = *Image::create(width, height);
        FrameRecord& frame = state.document.frames.append();
        frame.layerSource = {"layer1", "layer2"};
        frame.maskNumber = 1;
        state.session.cache.layerSource = frame.layerSource;
        state.session.cache.maskNumber = 1;
        state.session.cache.displayedId = frame.id;
    }
};

// The whole frame after a mask edit, as at the end of a brush stroke: each row is blended aside
// and compared with the composite, so that the canvas rescales only what the edit changed. A
// frame change or an export, which loads pictures, blends straight into the composite.
void ComposeWholeFrame(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    const Image& composite = scene.state.session.images.composite;
    for (auto _ : run) {
        scene.state.session.cache.dirty = Rect{0, composite.width(), 0, composite.height()};
        benchmark::DoNotOptimize(ComposeFrame(scene.state.document, scene.state.session,
                                              scene.state.view, scene.state.services,
                                              kMaskChanged));
    }
    run.SetBytesProcessed(run.iterations() * static_cast<std::int64_t>(composite.byteCount()));
}

void CopyWholeFrame(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    const Image& from = scene.state.session.images.layer1;
    Image& to = scene.state.session.images.composite;
    for (auto _ : run) {
        std::memcpy(to.data(), from.data(), from.byteCount());
        benchmark::ClobberMemory();
    }
    run.SetBytesProcessed(run.iterations() * static_cast<std::int64_t>(from.byteCount()));
}

void ComposeOneDab(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    int x = 0;
    for (auto _ : run) {
        x = (x + 97) % (scene.state.session.images.composite.width() - 60);
        scene.state.session.cache.dirty =
            Rect{x, x + 60, 1000 % (scene.state.session.images.composite.height() - 60),
                 1000 % (scene.state.session.images.composite.height() - 60) + 60};
        benchmark::DoNotOptimize(ComposeFrame(scene.state.document, scene.state.session,
                                              scene.state.view, scene.state.services,
                                              kMaskChanged));
    }
}

BENCHMARK(ComposeWholeFrame)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(CopyWholeFrame)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeOneDab)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
