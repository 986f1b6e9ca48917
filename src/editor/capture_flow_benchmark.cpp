// How long a capture takes from the key to its thumbnail in the strip and its frame on a
// 1500 x 800 canvas, with a folder camera serving camera-sized JPEGs (6000 x 4000, made by
// ../shared/bench/gen_data.py --size 6000x4000 -n 1 --jpegs 12), with the canvas at
// "Ganzes Bild" and with the neighbours decoded ahead as in the window. On a loaded machine the
// times wait for the cores; cpu_ms, the processor time all threads spent per capture (also on
// the work a capture leaves for later, such as decoding neighbours ahead), does not.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "editor/capture_flow.h"
#include "editor/decode_ahead.h"
#include "editor/film_benchmark_data.h"
#include "editor/frame_selection.h"
#include "editor/zoom.h"

namespace morvel {
namespace {

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void CaptureKeyToCanvas(benchmark::State& bench) {
    const bool cleanPlate = bench.range(0) != 0;
    benchmarks::FilmProject film(0);
    EditorTestState& state = film.state;
    DecodeAhead decodeAhead;
    state.session.pictureReader = &decodeAhead;
    if (!ChooseCamera(state.view, state.services, "folder:" + benchmarks::benchmarkData() + "jpeg6000x4000")) {
        bench.SkipWithError("no pictures: run gen_data.py --size 6000x4000 -n 1 --jpegs 12");
        return;
    }
    state.view.shooting.settings.folder = film.folder + "captures/";
    state.view.shooting.settings.keepCleanPlate = cleanPlate;
    Shooting& shooting = state.view.shooting;
    using Clock = std::chrono::steady_clock;
    double cameraSeconds = 0;  // the key until the file is on disk
    double programSeconds = 0;  // from there to the thumbnail and the canvas
    const auto captureOne = [&](int layer) {
        const auto start = Clock::now();
        BeginCapture(state.document, state.session, state.view, state.services, layer);
        while (shooting.camera->busy()) std::this_thread::sleep_for(std::chrono::microseconds(200));
        const auto written = Clock::now();
        while (!FinishCapture(state.document, state.session, state.view, state.services))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        cameraSeconds += std::chrono::duration<double>(written - start).count();
        programSeconds += std::chrono::duration<double>(Clock::now() - written).count();
    };
    captureOne(0);
    if (cleanPlate) captureOne(1);
    ZoomFit(state.document, state.session, state.view, state.services);
    cameraSeconds = programSeconds = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double processorBefore = processorSeconds();
    for (auto _ : bench) {
        bench.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the animator moves the puppet
        bench.ResumeTiming();
        captureOne(0);
    }
    // What the last capture left for later is done within the next pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bench.counters["cpu_ms"] =
        1000 * (processorSeconds() - processorBefore) / static_cast<double>(bench.iterations());
    bench.counters["camera_ms"] = 1000 * cameraSeconds / static_cast<double>(bench.iterations());
    bench.counters["program_ms"] = 1000 * programSeconds / static_cast<double>(bench.iterations());
}
BENCHMARK(CaptureKeyToCanvas)->Arg(0)->Arg(1)->ArgName("clean_plate")->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
