// How long a step to the next frame takes in the editor, from the key's SelectFrame to the
// canvas presented, on camera-sized frames (two 6000 x 4000 JPEGs and a mask each), with and
// without the neighbours decoded ahead, at 1:1 and at "Ganzes Bild" in a 1500 x 800 canvas.
// Between steps the program is left alone for 0.6 s, as a user looks at a frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/benchmark_scene.h"
#include "editor/canvas.h"
#include "editor/decode_ahead.h"
#include "editor/editor_test_state.h"
#include "editor/film_benchmark_data.h"
#include "editor/frame_selection.h"
#include "editor/zoom.h"

namespace morvel {
namespace {

// The most memory the process has held so far, in megabytes: run one case per process to see
// what the work images and the neighbours take.
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    return 0;
}

void FrameStep(benchmark::State& bench) {
    const bool fit = bench.range(0) != 0;
    const bool ahead = bench.range(1) != 0;
    benchmarks::FilmProject film(12);
    if (!film.complete) {
        bench.SkipWithError("no pictures: run gen_data.py --size 6000x4000 -n 1 --jpegs 12");
        return;
    }
    EditorTestState& state = film.state;
    DecodeAhead decodeAhead;
    if (ahead) state.session.pictureReader = &decodeAhead;
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    if (fit) ZoomFit(state.document, state.session, state.view, state.services);
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    std::vector<double> steps;
    int index = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        index = (index + 1) % state.document.frames.size();
        bench.ResumeTiming();
        steps.push_back(benchmarks::millisecondsOf([&] {
            SelectFrame(state.document, state.session, state.view, state.services, index);
        }));
    }
    state.session.pictureReader = nullptr;
    bench.counters["median_ms"] = benchmarks::median(steps);
    bench.counters["vmhwm_mb"] = peakMegabytes();
}

// Arguments: zoom (0 1:1, 1 "Ganzes Bild"), decode ahead (0 off, 1 on).
BENCHMARK(FrameStep)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Iterations(20)->Unit(
    benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
