// What a brush stroke and the brush outline cost on the canvas: each dab composes its rectangle
// and scales the canvas pixels it covers again; each hover only moves the outline. The frame is
// shown at fit zoom in a 1000 x 700 canvas; the figures are medians per mouse event.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/mask_tools.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"
#include "platform/null_shell.h"

namespace morvel {
namespace {

Image noise(int width, int height, unsigned seed) {
    Image image = *Image::create(width, height);
    unsigned state = seed;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.row(y);
        for (int i = 0; i < width * 3; ++i) {
            state = state * 1664525u + 1013904223u;
            row[i] = static_cast<std::uint8_t>(state >> 24);
        }
    }
    return image;
}

// A displayed frame of two layers with a white mask, at fit zoom, eraser of size 30.
struct Scene {
    NullShell shell;
    ProgramState state{shell, "/nonexistent/", "/nonexistent/"};

    Scene(int width, int height) {
        state.redrawPause = 0;
        state.images.layer1 = noise(width, height, 1);
        state.images.layer2 = noise(width, height, 2);
        state.images.mask = *Image::create(width, height);
        state.images.mask.fill(255, 255, 255);
        state.images.composite = *Image::create(width, height);
        state.images.canvas = *Image::create(1000, 700);
        FrameRecord& frame = state.frames.add();
        frame.layerSource = {"layer1", "layer2"};
        frame.maskNumber = 1;
        state.nextMaskNumber = 2;
        state.cache.layerSource = frame.layerSource;
        state.cache.maskNumber = 1;
        state.cache.displayedFrame = &frame;
        state.cache.displayedIndex = 0;
        state.cache.dirty = Rect{0, width, 0, height};
        ComposeFrame(state, kMaskChanged);
        SelectTool(state, +Gadget::Eraser);
        state.view.brushSize = 30;
        ZoomFit(state);
    }
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

template <typename F>
double millisecondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One iteration: a press and 100 dabs across the picture; the release, which composes the whole
// frame once, is measured by StrokeEnd.
void EraserDabs(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    ProgramState& state = scene.state;
    std::vector<double> dabs;
    for (auto _ : run) {
        state.view.buttonDown = true;
        MouseAction(state, kMousePressed, 100, 100);
        for (int i = 0; i < 100; ++i) {
            const int x = 100 + i * 7;
            const int y = 100 + (i * 37) % 450;
            dabs.push_back(millisecondsOf([&] { MouseAction(state, kMouseDragged, x, y); }));
        }
        run.PauseTiming();
        MouseAction(state, kMouseReleased, 800, 300);
        state.view.buttonDown = false;
        run.ResumeTiming();
    }
    run.counters["median_dab_ms"] = median(dabs);
}

void StrokeEnd(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    ProgramState& state = scene.state;
    for (auto _ : run) {
        run.PauseTiming();
        state.view.buttonDown = true;
        MouseAction(state, kMousePressed, 100, 100);
        run.ResumeTiming();
        MouseAction(state, kMouseReleased, 110, 100);
        state.view.buttonDown = false;
    }
}

void Hovers(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    ProgramState& state = scene.state;
    std::vector<double> hovers;
    for (auto _ : run) {
        for (int i = 0; i < 100; ++i) {
            const int x = 100 + i * 7;
            const int y = 100 + (i * 37) % 450;
            hovers.push_back(millisecondsOf([&] { MouseAction(state, kMouseDragged, x, y); }));
        }
    }
    run.counters["median_hover_ms"] = median(hovers);
}

// What the incremental canvas saves: a redraw of everything at fit zoom (a zoom or a scroll).
void FullRedraw(benchmark::State& run) {
    Scene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    for (auto _ : run) {
        InvalidateCanvas(scene.state);
        RedrawCanvas(scene.state, -1, -1, 0, 0);
    }
}

BENCHMARK(EraserDabs)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(Hovers)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(StrokeEnd)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
