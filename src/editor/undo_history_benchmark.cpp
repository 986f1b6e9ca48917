// What undo and redo of a brush stroke cost: the squares the stroke changed are written back,
// composed again and scaled into the canvas, nothing else. And how much memory the history
// takes for many strokes on a 24-megapixel frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "editor/benchmark_scene.h"
#include "editor/editor_test_state.h"
#include "editor/undo_history.h"

namespace morvel {
namespace {

using benchmarks::median;
using benchmarks::millisecondsOf;
using benchmarks::PaintingScene;

// One stroke of `dabs` dabs from canvas (x, y) to (x + dx, y + dy).
void stroke(EditorTestState& state, int x, int y, int dx, int dy, int dabs) {
    state.view.buttonDown = true;
    MouseAction(state.document, state.session, state.view, state.services, kMousePressed, x, y);
    for (int i = 1; i <= dabs; ++i) {
        MouseAction(state.document, state.session, state.view, state.services, kMouseDragged,
                    x + dx * i / dabs, y + dy * i / dabs);
    }
    MouseAction(state.document, state.session, state.view, state.services, kMouseReleased, x + dx,
                y + dy);
    state.view.buttonDown = false;
}

// A stroke of 100 mouse events of size 30 across a quarter of the frame (half its width and
// height), undone and redone in turn. The third argument is the brush's hardness.
void UndoRedoStroke(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    EditorTestState& state = scene.state;
    state.view.toolSettings.hardness = static_cast<int>(run.range(2));
    const Image& canvas = state.view.canvas;
    const float zoom = state.view.zoom;
    const int across = static_cast<int>(state.session.images.composite.width() * zoom / 2);
    const int down = static_cast<int>(state.session.images.composite.height() * zoom / 2);
    stroke(state, canvas.width() / 4, canvas.height() / 4, across, down, 100);
    std::vector<double> undos;
    std::vector<double> redos;
    for (auto _ : run) {
        undos.push_back(millisecondsOf(
            [&] { UndoEdit(state.document, state.session, state.view, state.services); }));
        redos.push_back(millisecondsOf(
            [&] { RedoEdit(state.document, state.session, state.view, state.services); }));
    }
    run.counters["median_undo_ms"] = median(undos);
    run.counters["median_redo_ms"] = median(redos);
    run.counters["history_MB"] = static_cast<double>(state.session.history.bytes) / (1 << 20);
}

// 100 strokes of 20 dabs of size 30 at different places: the memory the history keeps.
void HistoryMemory(benchmark::State& run) {
    PaintingScene scene(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    EditorTestState& state = scene.state;
    for (auto _ : run) {
        ClearEditHistory(state.session);
        for (int i = 0; i < 100; ++i) {
            stroke(state, 50 + (i * 53) % 700, 50 + (i * 31) % 450, 120, 40, 20);
        }
    }
    run.counters["steps"] = static_cast<double>(state.session.history.steps.size());
    run.counters["history_MB"] = static_cast<double>(state.session.history.bytes) / (1 << 20);
}

BENCHMARK(UndoRedoStroke)
    ->Args({6000, 4000, 100})
    ->Args({6000, 4000, 50})
    ->Args({1920, 1080, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(HistoryMemory)->Args({6000, 4000})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
