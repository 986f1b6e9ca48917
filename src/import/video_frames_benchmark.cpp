// Reading the frames of a full-HD video: in order (what the video import does), in random
// order (what the frame strip does when the user jumps around), and with the video opened and
// closed again for every frame (what the layer picture loader does).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "codecs/video_reader.h"
#include "import/avi_frames.h"
#include "platform/files.h"
#include "platform/null_shell.h"
#include "project/project_test_state.h"

namespace morvel {
namespace {

constexpr int kFrames = 50;

// A 1920 x 1080 MPEG-4 video with a key frame every 12 frames, made once for all benchmarks
// and removed when the program ends. Empty when ffmpeg is not there.
class BenchmarkVideo {
public:
    BenchmarkVideo() {
        const std::string path =
            TemporaryFolder() + "morvel_video_benchmark_" + std::to_string(getpid()) + ".avi";
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i 'testsrc2=size=1920x1080:rate=25,hue=H=0.4*n' "
            "-frames:v " +
            std::to_string(kFrames) + " -c:v mpeg4 -g 12 -q:v 4 '" + path + "' 2>/dev/null";
        if (std::system(command.c_str()) == 0) m_path = path;
    }
    ~BenchmarkVideo() {
        if (!m_path.empty()) std::remove(m_path.c_str());
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& videoPath() {
    static BenchmarkVideo video;
    return video.path();
}

std::vector<int> frameOrder(bool shuffled) {
    std::vector<int> order(kFrames);
    std::iota(order.begin(), order.end(), 0);
    if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    return order;
}

void readFrames(benchmark::State& state, bool shuffled) {
    const std::string& path = videoPath();
    if (path.empty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    const std::vector<int> order = frameOrder(shuffled);
    for (auto _ : state) {
        VideoReader reader;
        if (reader.open(path) != VideoReader::OpenResult::Ok) {
            state.SkipWithError("the video did not open");
            return;
        }
        Image frame;
        for (int n : order) {
            if (reader.readFrame(n, frame) != LoadResult::Ok) {
                state.SkipWithError("a frame did not decode");
                return;
            }
            benchmark::DoNotOptimize(frame.data());
        }
    }
    state.counters["frames/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

void BM_VideoFramesInOrder(benchmark::State& state) {
    readFrames(state, false);
}
void BM_VideoFramesRandomAccess(benchmark::State& state) {
    readFrames(state, true);
}

void BM_VideoFramesOpenFetchClosePerFrame(benchmark::State& state) {
    const std::string& path = videoPath();
    if (path.empty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    NullShell shell;
    ProjectTestState program(shell, TemporaryFolder(), TemporaryFolder());
    for (auto _ : state) {
        Image frame;
        for (int n = 0; n < kFrames; ++n) {
            if (!AccessAviFrames(program.services, &frame, MakeAviReference(n, path),
                                 kAviOpenFetchClose)) {
                state.SkipWithError("a frame did not decode");
                return;
            }
            benchmark::DoNotOptimize(frame.data());
        }
    }
    state.counters["frames/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_VideoFramesInOrder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VideoFramesRandomAccess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VideoFramesOpenFetchClosePerFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
