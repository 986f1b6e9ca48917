// What a brush stroke and the brush outline cost on the canvas: each dab composes its rectangle
// and scales the canvas pixels it covers again; each hover only moves the outline. The frame is
// shown at fit zoom in a 1000 x 700 canvas; the figures are medians per mouse event.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "editor/benchmark_scene.h"
#include "editor/brush_stroke.h"
#include "editor/canvas.h"
#include "editor/editor_test_state.h"
#include "editor/mask_tools.h"

namespace morvel {
namespace {

using benchmarks::median;
using benchmarks::millisecondsOf;
using benchmarks::PaintingScene;

// One iteration: a press and 100 dabs across the picture; the release, which composes the whole
// frame once, is measured by StrokeEnd.
void EraserDabs(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    EditorTestState& state = scene.state;
    std::vector<double> dabs;
    for (auto _ : run) {
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 100,
                    100);
        for (int i = 0; i < 100; ++i) {
            const int x = 100 + i * 7;
            const int y = 100 + (i * 37) % 450;
            dabs.push_back(millisecondsOf([&] {
                MouseAction(state.document, state.session, state.view, state.services,
                            kMouseDragged, x, y);
            }));
        }
        run.PauseTiming();
        MouseAction(state.document, state.session, state.view, state.services, kMouseReleased, 800,
                    300);
        state.view.buttonDown = false;
        run.ResumeTiming();
    }
    run.counters["median_dab_ms"] = median(dabs);
}

// The largest brush (150) close up: each dab scales up to the whole canvas again. The grey
// alternates between black and white, so that every dab changes its whole disc (the worst
// case; dabs of one grey overlap and change little). The argument is the zoom in hundredths.
void LargeDabsZoomedIn(benchmark::State& run) {
    PaintingScene scene(6000, 4000);
    EditorTestState& state = scene.state;
    state.view.zoom = static_cast<float>(run.range(0)) / 100.0f;
    state.view.offsetX = -2000;
    state.view.offsetY = -1500;
    state.view.toolSettings.brushSize = 150;
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    std::vector<double> dabs;
    for (auto _ : run) {
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 500,
                    350);
        for (int i = 0; i < 20; ++i) {
            const int x = 300 + i * 20;
            state.view.toolSettings.eraseGrey = (i % 2) * 255;
            dabs.push_back(millisecondsOf([&] {
                MouseAction(state.document, state.session, state.view, state.services,
                            kMouseDragged, x, 350);
            }));
        }
        run.PauseTiming();
        MouseAction(state.document, state.session, state.view, state.services, kMouseReleased, 700,
                    350);
        state.view.buttonDown = false;
        run.ResumeTiming();
    }
    run.counters["median_dab_ms"] = median(dabs);
}

// A joined stroke of size 60 at fit zoom: each mouse event moves 200 composite pixels, which
// the stroke fills with dabs (composition and canvas redraw included). The argument is the
// hardness: 100 hard dabs, below soft ones.
void JoinedStroke(benchmark::State& run) {
    PaintingScene scene(6000, 4000);
    EditorTestState& state = scene.state;
    state.view.toolSettings.brushSize = 60;
    state.view.toolSettings.hardness = static_cast<int>(run.range(0));
    const float zoom = state.view.zoom;
    std::vector<double> events;
    for (auto _ : run) {
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 50,
                    100);
        float x = 50;
        float y = 100;
        for (int i = 1; i <= 20; ++i) {
            // Alternately across and on a slant: 200 composite pixels either way.
            x += (i % 2 ? 200 : 160) * zoom;
            y += (i % 2 ? 0 : 120) * zoom;
            const int cx = static_cast<int>(std::lround(x));
            const int cy = static_cast<int>(std::lround(y));
            events.push_back(millisecondsOf([&] {
                MouseAction(state.document, state.session, state.view, state.services,
                            kMouseDragged, cx, cy);
            }));
        }
        run.PauseTiming();
        MouseAction(state.document, state.session, state.view, state.services, kMouseReleased, 900,
                    600);
        state.view.buttonDown = false;
        run.ResumeTiming();
    }
    run.counters["median_event_ms"] = median(events);
}

// A jump after a stall: one segment of about 120,000 composite pixels across the whole frame on
// its diagonal, with the canvas redraw. Arguments: brush size and hardness.
void LongJump(benchmark::State& run) {
    PaintingScene scene(6000, 4000);
    EditorTestState& state = scene.state;
    state.view.toolSettings.brushSize = static_cast<int>(run.range(0));
    state.view.toolSettings.hardness = static_cast<int>(run.range(1));
    ToolContext context(state.document, state.session, state.view, state.services);
    DabStroke stroke;
    for (auto _ : run) {
        stroke.begin(context, -54000, -36000, 0);
        stroke.extend(context, 60000, 40000, 0);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        run.PauseTiming();
        stroke.end();
        run.ResumeTiming();
    }
}

void StrokeEnd(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    EditorTestState& state = scene.state;
    for (auto _ : run) {
        run.PauseTiming();
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 100,
                    100);
        run.ResumeTiming();
        MouseAction(state.document, state.session, state.view, state.services, kMouseReleased, 110,
                    100);
        state.view.buttonDown = false;
    }
}

void Hovers(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    EditorTestState& state = scene.state;
    std::vector<double> hovers;
    for (auto _ : run) {
        for (int i = 0; i < 100; ++i) {
            const int x = 100 + i * 7;
            const int y = 100 + (i * 37) % 450;
            hovers.push_back(millisecondsOf([&] {
                MouseAction(state.document, state.session, state.view, state.services,
                            kMouseDragged, x, y);
            }));
        }
    }
    run.counters["median_hover_ms"] = median(hovers);
}

// What the incremental canvas saves: a redraw of everything at fit zoom (a zoom or a scroll).
void FullRedraw(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    for (auto _ : run) {
        InvalidateCanvas(scene.state.view);
        RedrawCanvas(scene.state.document, scene.state.session, scene.state.view,
                     scene.state.services, -1, -1, 0, 0);
    }
}

BENCHMARK(EraserDabs)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(Hovers)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(LargeDabsZoomedIn)->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(JoinedStroke)->Arg(100)->Arg(50)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(LongJump)->Args({1, 100})->Args({60, 100})->Args({60, 50})->Args({150, 0})->Unit(
    benchmark::kMillisecond);
BENCHMARK(StrokeEnd)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
