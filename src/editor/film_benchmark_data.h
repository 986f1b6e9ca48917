#pragma once

// A project of camera-sized frames for the playback and frame-step benchmarks, made of the
// pictures that ../shared/bench/gen_data.py writes (run it with --size 6000x4000 -n 1 --jpegs 12):
// frame k shows big JPEG k over big JPEG k + 6 (the twelve cycled) through the generator's
// 6000 x 4000 mask (each frame's mask a working file of its own). Header only.

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "editor/edit_session.h"
#include "editor/editor_test_state.h"
#include "editor/view.h"
#include "platform/files.h"
#include "platform/null_shell.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel::benchmarks {

inline std::string benchmarkData() {
    const char* root = std::getenv("MORVEL_BENCH_DATA");
    return std::string(root ? root : "/tmp/morvel-bench") + "/";
}

// The canvas of a main window of about 1600 x 1000 pixels.
constexpr int kFilmCanvasWidth = 1500;
constexpr int kFilmCanvasHeight = 800;

struct FilmProject {
    static constexpr int kJpegs = 12;
    static constexpr int kMasks = 1;

    NullShell shell;
    std::string folder;
    EditorTestState state;
    bool complete = true;  // every picture the project names is there

    explicit FilmProject(int frames, Shell* own = nullptr)
        : folder(TemporaryFolder() + "morvel-film-" + std::to_string(::getpid()) + "/"),
          state(own ? *own : shell, folder, folder) {
        MakeFolder(folder);
        state.services.redrawPause = 0;
        state.view.canvas = *Image::create(kFilmCanvasWidth, kFilmCanvasHeight);
        const std::string data = benchmarkData();
        for (int k = 0; k < frames; ++k) {
            FrameRecord& frame = state.document.frames.append();
            for (int layer = 0; layer < 2; ++layer) {
                char name[64];
                std::snprintf(name, sizeof name, "jpeg6000x4000/big_%03d.jpg",
                              (k + layer * kJpegs / 2) % kJpegs);
                frame.layerSource[layer] = data + name;
                complete = complete && IsRegularFile(frame.layerSource[layer]);
            }
            char mask[64];
            std::snprintf(mask, sizeof mask, "6000x4000/mask_%03d.png", k % kMasks);
            frame.maskNumber = state.document.masks.nextNumber++;
            complete = complete && IsRegularFile(data + mask) &&
                       ::symlink((data + mask).c_str(),
                                 state.document.masks.workingFile(frame.maskNumber).c_str()) == 0;
        }
    }
    ~FilmProject() {
        for (int k = 0; k < state.document.frames.size(); ++k)
            ::unlink(state.document.masks.workingFile(state.document.frames.at(k).maskNumber).c_str());
        ::rmdir(folder.c_str());
    }
};

}  // namespace morvel::benchmarks
