// Opening a project of camera pictures through OpenProject, as "Öffnen ..." does: 200 frames,
// each with two 6000 x 4000 JPEGs whose thumbnails the frame strip needs. The pictures are four
// files under 400 names (hard links: a few gigabytes of distinct pictures would measure the disk
// more than the program); each name is read, decoded and cached on its own. The first opening
// finds the thumbnail cache empty, opening again finds every picture in it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/picture_io.h"
#include "editor/editor_test_state.h"
#include "platform/files.h"
#include "platform/null_shell.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"

namespace morvel {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A photograph-like picture: smooth gradients with fine noise, so that it compresses like one.
Image cameraPicture(std::uint32_t seed) {
    Image image = *Image::create(kWidth, kHeight);
    std::uint32_t noise = seed * 2654435761u + 1u;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = image.row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int jitter = static_cast<int>(noise % 13) - 6;
            p[0] = static_cast<std::uint8_t>((x * 255 / kWidth + jitter + seed * 40) & 0xFF);
            p[1] = static_cast<std::uint8_t>((y * 255 / kHeight - jitter) & 0xFF);
            p[2] = static_cast<std::uint8_t>(((x + y) * 255 / (kWidth + kHeight)) ^ (seed * 16));
        }
    }
    return image;
}

// The pictures and a project file of `frames` frames referring to them, made once, removed at
// the end of the program.
class CameraProject {
public:
    explicit CameraProject(int frames) {
        m_folder = TemporaryFolder() + "morvel_open_benchmark_" + std::to_string(getpid()) + "/";
        MakeFolder(m_folder);
        for (std::uint32_t i = 0; i < 4; ++i) {
            m_pictures.push_back(m_folder + "IMG_000" + std::to_string(i) + ".JPG");
            SavePictureFile(cameraPicture(i), m_pictures.back(), PictureFormat::Jpeg);
        }
        std::vector<ProjectFileFrame> entries(static_cast<std::size_t>(frames));
        for (std::size_t k = 0; k < entries.size(); ++k) {
            for (std::size_t layer = 0; layer < 2; ++layer) {
                const std::string name = m_folder + "DSC_" + std::to_string(2 * k + layer) + ".JPG";
                ::link(m_pictures[(2 * k + layer) % 4].c_str(), name.c_str());
                entries[k].layerSource[layer] = name;
            }
        }
        ::setenv("XDG_CACHE_HOME", cache().c_str(), 1);
        ProjectHeader header;
        header.title = "Kamera";
        header.maskTemplate = "masks/$Project_$Nr.png";
        m_project = m_folder + "Kamera.mvl";
        WriteFileBytes(m_project, SerializeProjectFile(header, entries));
    }
    ~CameraProject() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::string cache() const { return m_folder + "cache"; }
    const std::string& projectFile() const { return m_project; }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
    std::vector<std::string> m_pictures;
    std::string m_project;
};

const CameraProject& cameraProject(int frames) {
    static const CameraProject project(frames);
    return project;
}

void openCameraProject(benchmark::State& bench, bool cached) {
    const int frames = static_cast<int>(bench.range(0));
    const CameraProject& project = cameraProject(frames);
    for (auto _ : bench) {
        bench.PauseTiming();
        std::error_code ignored;
        if (!cached) std::filesystem::remove_all(project.cache(), ignored);
        bench.ResumeTiming();
        NullShell shell;
        EditorTestState state(shell, project.folder(), project.folder());
        OpenProject(state.document, state.session, state.view, state.services,
                    project.projectFile());
        if (state.document.frames.size() != frames) bench.SkipWithError("the project did not open");
        benchmark::DoNotOptimize(state.document.frames.size());
    }
    bench.counters["frames"] = frames;
    bench.counters["s_per_frame"] =
        benchmark::Counter(static_cast<double>(frames) * static_cast<double>(bench.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void BM_OpenCameraProjectFirstTime(benchmark::State& bench) {
    openCameraProject(bench, false);
}
void BM_OpenCameraProjectAgain(benchmark::State& bench) {
    openCameraProject(bench, true);
}
BENCHMARK(BM_OpenCameraProjectFirstTime)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(BM_OpenCameraProjectAgain)
    ->Arg(200)
    ->Iterations(3)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
