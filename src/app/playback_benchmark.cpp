// Playback of camera-sized frames (two 6000 x 4000 JPEGs and a 6000 x 4000 mask each) at
// "Ganzes Bild" in a 1500 x 800 canvas, through the cache of composed frames that the window
// plays from:
//   fill_fps       frames made per second by both worker threads, filling 200 frames
//   memory_MB      what the 200 entries take
//   late_12 / late_24   frames of 240 not ready when due or shown more than half a frame after,
//                  playing the filled cache at 12 and 24 frames per second in real time (the
//                  frame's picture decoded and copied into the canvas buffer, as the window does)
//   refill_ms      median time from the end of a stroke on the displayed frame to its entry being
//                  back: the window's idle wait, then taking the canvas into the cache
//   remake_ms      median time to make a dropped entry again from its files (a frame whose
//                  pictures changed on disk, or was dropped in anew)
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/dispatch.h"
#include "app/playback.h"
#include "editor/benchmark_scene.h"
#include "editor/canvas.h"
#include "editor/masks.h"
#include "editor/film_benchmark_data.h"
#include "editor/frame_selection.h"
#include "editor/playback_cache.h"
#include "editor/zoom.h"

namespace morvel {
namespace {

using Clock = std::chrono::steady_clock;

// Plays frames of the filled cache against the clock as the window's loop does; the count of
// frames not ready when due.
int playAgainstTheClock(const PlaybackCache& cache, int rate, int frames, Image& canvas) {
    const auto period = std::chrono::microseconds(1000000 / rate);
    auto due = Clock::now();
    int late = 0;
    Image picture;
    for (int shown = 0; shown < frames; ++shown) {
        std::this_thread::sleep_until(due);
        const int index = shown % cache.frameCount();
        bool wasLate = !cache.ready(index);
        while (!cache.ready(index)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cache.take(index, picture);
        canvas = picture;
        // Shown more than half a frame after it was due: late too.
        wasLate = wasLate || Clock::now() > due + period / 2;
        if (wasLate) ++late;
        due = std::max(due + period, Clock::now());
    }
    return late;
}

// The median time, over a few frames, from a stroke's end to the displayed frame's entry being
// back, leaving out the idle wait before it: the window's idle hook with the canvas as painted.
double refillAfterStroke(benchmarks::FilmProject& film) {
    EditorTestState& state = film.state;
    state.services.composeOnSelect = true;
    FilmPlayer player;
    std::vector<double> refills;
    for (int k : {10, 60, 110}) {
        SelectFrame(state.document, state.session, state.view, state.services, k);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        FillWhileIdle(state.document, state.session, state.view,
                      player);            // the film fills meanwhile, as in the window
        MarkMaskModified(state.session);  // as a stroke's end leaves it, the canvas already redrawn
        refills.push_back(benchmarks::millisecondsOf([&] {
            FillWhileIdle(state.document, state.session, state.view, player);
            while (!player.cache.ready(k))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }));
    }
    state.services.composeOnSelect = false;
    return benchmarks::median(refills);
}

void Playback(benchmark::State& bench) {
    benchmarks::FilmProject film(200);
    if (!film.complete) {
        bench.SkipWithError("no pictures: run gen_data.py --size 6000x4000 -n 1 --jpegs 12");
        return;
    }
    EditorTestState& state = film.state;
    state.services.composeOnSelect = false;
    state.session.images.composite = *Image::create(6000, 4000);
    ZoomFit(state.document, state.session, state.view, state.services);
    std::vector<FrameFiles> frames;
    for (int i = 0; i < state.document.frames.size(); ++i) {
        const FrameRecord& record = state.document.frames.at(i);
        frames.push_back(FilesOf(state.document, record));
    }
    FilmView view;
    view.geometry.zoom = state.view.zoom;
    view.canvasWidth = benchmarks::kFilmCanvasWidth;
    view.canvasHeight = benchmarks::kFilmCanvasHeight;
    view.carriedWidth = 6000;
    view.carriedHeight = 4000;
    for (auto _ : bench) {
        PlaybackCache cache;
        cache.setFilm(frames, view);
        const double fill = benchmarks::millisecondsOf([&] {
            cache.fillFrom(0);
            cache.waitIdle();
        });
        bench.counters["fill_fps"] = 200 * 1000.0 / fill;
        bench.counters["memory_MB"] = static_cast<double>(cache.memoryUsed()) / (1 << 20);
        bench.counters["late_12"] = playAgainstTheClock(cache, 12, 240, state.view.canvas);
        bench.counters["late_24"] = playAgainstTheClock(cache, 24, 240, state.view.canvas);
        std::vector<double> remakes;
        for (int k : {10, 60, 110, 160, 190}) {
            remakes.push_back(benchmarks::millisecondsOf([&] {
                cache.drop(k);
                while (!cache.ready(k)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }));
        }
        bench.counters["remake_ms"] = benchmarks::median(remakes);
        bench.counters["refill_ms"] = kIdleMilliseconds + refillAfterStroke(film);
        bench.counters["zoom"] = view.geometry.zoom;
    }
}

BENCHMARK(Playback)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
