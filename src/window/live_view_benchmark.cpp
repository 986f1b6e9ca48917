// Live view in the real window: FFmpeg's test source at 1920 x 1080 and 24 pictures a second
// through the webcam code, shown in the canvas of a main window of about 1600 x 1000 pixels with
// the onion skin of a frame shot before on. Counts the distinct live pictures shown per second
// and the window thread's own work (its CPU time) per picture shown. Needs a display (Xvfb)
// or QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <time.h>

#include <QApplication>
#include <chrono>
#include <filesystem>

#include "app/dispatch.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/shooting_menu.h"
#include "editor/capture_flow.h"
#include "editor/live_view.h"
#include "platform/files.h"
#include "window/qt_shell.h"
#include "window/window_hooks.h"

namespace morvel {
namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void LiveViewInTheWindow(benchmark::State& bench) {
    static int argc = 1;
    static char name[] = "live_view_benchmark";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
    const std::string folder = TemporaryFolder();
    QtShell shell;
    Program state(shell, folder, folder);
    const DispatchHooks hooks = WindowHooks(shell);
    shell.attachCanvas(state.view.canvas);
    if (!BuildMainWindow(state)) {
        bench.SkipWithError("no main window");
        return;
    }
    shell.setClientSize(1600, 960);
    if (!ChooseCamera(state.view, state.services, "lavfi:testsrc2=size=1920x1080:rate=24")) {
        bench.SkipWithError("the lavfi source cannot be opened");
        return;
    }
    StartLiveView(state.document, state.session, state.view, state.services);
    // One frame shot, so that its layer 1 lies over the live picture as the onion skin.
    state.view.shooting.settings.folder = folder + "morvel-live-benchmark/";
    BeginCapture(state.document, state.session, state.view, state.services, 0);
    while (state.view.shooting.pending.active) ShootingTick(state);
    state.view.onionSkin = true;
    double shown = 0;
    double seconds = 0;
    double cpu = 0;
    for (auto _ : bench) {
        const std::uint64_t before = state.view.shooting.liveShown;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        // The program's loop for three seconds: events, and the camera looked at between them.
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
            Event event;
            if (shell.waitEventFor(kShootingTickMilliseconds, event))
                Dispatch(state, event, hooks);
            else
                ShootingTick(state);
        }
        cpu += threadSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        shown += static_cast<double>(state.view.shooting.liveShown - before);
    }
    state.view.shooting.camera.reset();
    std::filesystem::remove_all(state.view.shooting.settings.folder);
    bench.counters["live_per_second"] = shown / seconds;
    bench.counters["window_ms_per_live"] = shown > 0 ? 1000.0 * cpu / shown : 0;
    bench.counters["frames"] = state.document.frames.size();
    bench.counters["canvas_width"] = state.view.canvas.width();
    bench.counters["canvas_height"] = state.view.canvas.height();
}
BENCHMARK(LiveViewInTheWindow)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
