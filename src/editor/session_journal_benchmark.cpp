// What keeping the session's record costs the window's thread: at a stroke end on a 6000 x 4000
// frame the changed squares are handed to the writer (side by side with no session kept), and
// after a frame operation the journal of a long film is made again and handed over. The disk
// writes run on the writer's thread and are not counted here.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor/benchmark_scene.h"
#include "editor/editor_test_state.h"
#include "editor/frame_history.h"
#include "editor/mask_tiles_command.h"
#include "editor/undo_history.h"
#include "platform/files.h"
#include "project/session_journal.h"

namespace morvel {
namespace {

using benchmarks::median;
using benchmarks::millisecondsOf;
using benchmarks::PaintingScene;

std::string scratchFolder() {
    std::string folder = TemporaryFolder() + "morvel-journal-bench-XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    return folder + "/";
}

// A stroke of 100 dabs of size 30 across a quarter of the frame; only its end (the release,
// which closes the undo step and logs it) is timed. range(0): 1 with a session kept.
void StrokeEnd(benchmark::State& run) {
    PaintingScene scene(6000, 4000);
    EditorTestState& state = scene.state;
    const std::string folder = scratchFolder();
    if (run.range(0)) state.session.record.writer = std::make_shared<SessionWriter>(folder);
    const int x = state.view.canvas.width() / 4;
    const int y = state.view.canvas.height() / 4;
    const int across =
        static_cast<int>(state.session.images.composite.width() * state.view.zoom / 2);
    const int down =
        static_cast<int>(state.session.images.composite.height() * state.view.zoom / 2);
    std::vector<double> ends;
    std::vector<double> logs;
    std::size_t tiles = 0;
    for (auto _ : run) {
        ClearEditHistory(state.session);
        state.session.images.mask.fill(255);  // every stroke changes the mask
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed, x, y);
        for (int i = 1; i <= 100; ++i)
            MouseAction(state.document, state.session, state.view, state.services, kMouseDragged,
                        x + across * i / 100, y + down * i / 100);
        ends.push_back(millisecondsOf([&] {
            MouseAction(state.document, state.session, state.view, state.services, kMouseReleased,
                        x + across, y + down);
            UpdateSessionJournal(state.document, state.session);
        }));
        state.view.buttonDown = false;
        if (state.session.history.steps.empty()) std::abort();
        const auto& command = state.session.history.steps.back().commands.back();
        const MaskTileEdit& step = static_cast<const MaskTilesCommand&>(*command).edit();
        tiles = step.tiles.size();
        // The session's share of the stroke end alone: the step's squares handed to the writer.
        if (state.session.record.writer) {
            state.session.record.writer->flush();
            logs.push_back(millisecondsOf([&] { LogMaskTiles(state.session.record, step, true); }));
            state.session.record.writer->flush();  // the disk keeps up
        }
    }
    run.counters["median_stroke_end_ms"] = median(ends);
    run.counters["median_log_ms"] = median(logs);
    run.counters["tiles"] = static_cast<double>(tiles);
    state.session.record.writer.reset();
    std::system(("rm -rf '" + folder + "'").c_str());
}

// The journal after one frame operation in a film of range(0) frames whose two layers come from
// long camera paths and every other frame has a mask.
void JournalAfterFrameOperation(benchmark::State& run) {
    NullShell shell;
    EditorTestState state(shell, "/nonexistent/", "/nonexistent/");
    const std::string folder = scratchFolder();
    state.session.record.writer = std::make_shared<SessionWriter>(folder);
    const int frames = static_cast<int>(run.range(0));
    for (int i = 0; i < frames; ++i) {
        FrameRecord& frame = state.document.frames.append();
        const std::string number = std::to_string(10000 + i);
        frame.layerSource = {
            "/media/film/Aufnahmen/2026-12-07/Szene 4/Take 1/IMG_" + number + ".JPG",
            "/media/film/Aufnahmen/2026-12-07/Szene 4/Take 2/IMG_" + number + ".JPG"};
        frame.maskNumber = i % 2 ? i : 0;
    }
    UpdateSessionJournal(state.document, state.session);
    std::vector<double> updates;
    std::vector<double> operations;
    int toggle = 0;
    for (auto _ : run) {
        // The operation's own undo step (the frames before and after, compared) and the journal.
        operations.push_back(millisecondsOf([&] {
            BeginFrameOperation(state.document, state.session);
            state.document.frames.at(frames / 2).maskNumber = ++toggle;  // the frame list changed
            EndFrameOperation(state.document, state.session);
            UpdateSessionJournal(state.document, state.session);
        }));
        state.session.record.writer->flush();
        state.document.frames.at(frames / 2).maskNumber = ++toggle;
        updates.push_back(
            millisecondsOf([&] { UpdateSessionJournal(state.document, state.session); }));
        state.session.record.writer->flush();
    }
    run.counters["median_update_ms"] = median(updates);
    run.counters["median_step_and_update_ms"] = median(operations);
    run.counters["journal_KB"] = static_cast<double>(state.session.record.journal.size()) / 1024;
    state.session.record.writer.reset();
    std::system(("rm -rf '" + folder + "'").c_str());
}

BENCHMARK(StrokeEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(JournalAfterFrameOperation)->Arg(500)->Arg(6000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
