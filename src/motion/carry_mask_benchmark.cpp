// Masks carried over ten frames of a made-up shot: frame 0's true rig mask carried frame by
// frame, measured against the true mask of each frame (intersection over union of the marked
// pixels, the mean distance between the carried and the true edge) and timed per frame, on one
// core. Plain copying of the previous mask is the baseline.

#include <benchmark/benchmark.h>

#include <ctime>
#include <map>
#include <string>
#include <utility>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "motion/carry_mask.h"
#include "motion/testing/synthetic_film.h"

namespace morvel {
namespace {

constexpr int kFrames = 11;  // frame 0 and ten carried

const std::vector<testing::FilmFrame>& filmOf(int width, int height) {
    static std::map<std::pair<int, int>, std::vector<testing::FilmFrame>> films;
    auto& film = films[{width, height}];
    if (film.empty()) film = testing::MakeSyntheticFilm(width, height, kFrames);
    return film;
}

double intersectionOverUnion(const cv::Mat& a, const cv::Mat& b) {
    const double both = cv::countNonZero(a & b);
    const double either = cv::countNonZero(a | b);
    return either > 0 ? both / either : 1.0;
}

cv::Mat edgeOf(const cv::Mat& marked) {
    cv::Mat inner;
    cv::erode(marked, inner, cv::Mat::ones(3, 3, CV_8U));
    return marked & ~inner;
}

// The mean distance from each edge pixel of one mask to the nearest of the other's, both ways.
double meanEdgeDistance(const cv::Mat& a, const cv::Mat& b) {
    const cv::Mat edgeA = edgeOf(a);
    const cv::Mat edgeB = edgeOf(b);
    double sum = 0;
    double count = 0;
    for (const auto& [from, to] : {std::pair{edgeA, edgeB}, std::pair{edgeB, edgeA}}) {
        cv::Mat distance;
        cv::distanceTransform(~to, distance, cv::DIST_L2, cv::DIST_MASK_PRECISE);
        const int pixels = cv::countNonZero(from);
        if (pixels > 0) sum += cv::mean(distance, from)[0] * pixels;
        count += pixels;
    }
    return count > 0 ? sum / count : 0.0;
}

// The machine is shared: processor time of the one thread that works, not the clock.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// mode -1: the previous mask copied.
void BM_CarryTenFrames(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int mode = static_cast<int>(state.range(2));
    cv::setNumThreads(1);
    const auto& film = filmOf(width, height);
    CarryOptions options;
    options.mode = mode == 1 ? CarryMode::Offset : CarryMode::Flow;
    std::vector<GreyImage> masks;
    double carrying = 0;  // seconds of this thread's processor time
    for (auto _ : state) {
        masks.clear();
        masks.push_back(testing::GreyMaskOf(film[0].truth));
        for (int t = 1; t < kFrames; ++t) {
            if (mode < 0) {
                masks.push_back(masks.back());
                continue;
            }
            CarryPictures pictures{&film[t - 1].take1, &masks.back(), &film[t].take1,
                                   &film[t].take2, &film[t - 1].take2};
            const double start = threadSeconds();
            auto carried = CarryMask(pictures, width, height, options);
            carrying += threadSeconds() - start;
            if (!carried) {
                state.SkipWithError("no mask carried");
                return;
            }
            masks.push_back(std::move(*carried));
        }
    }
    state.counters["ms_per_frame"] =
        carrying * 1000 / (static_cast<double>(state.iterations()) * (kFrames - 1));
    double edge = 0;
    for (int t = 1; t < kFrames; ++t) {
        const cv::Mat marked = testing::MaskValues(masks[t]) >= 128;
        state.counters["iou" + std::to_string(t)] = intersectionOverUnion(marked, film[t].truth);
        if (t == kFrames - 1) edge = meanEdgeDistance(marked, film[t].truth);
    }
    state.counters["edge_px10"] = edge;
}

void sizesAndModes(benchmark::internal::Benchmark* b) {
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{6000, 4000}})
        for (int mode : {0, 1, -1}) b->Args({w, h, mode});
}

BENCHMARK(BM_CarryTenFrames)
    ->Apply(sizesAndModes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
