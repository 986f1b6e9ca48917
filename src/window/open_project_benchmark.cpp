// Opening a long film in the window, as "Öffnen ..." does: the real main window offscreen, the
// frames of 320 x 240 picture pairs with a mask on every tenth, the thumbnails already cached.
// Timed from the request to the title shown and the strip painted (the thumbnails in view made);
// the time until every thumbnail is attached is a counter. Then saving it again. The
// pictures are a few files under many names (hard links), each name read and cached on its own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "codecs/picture_io.h"
#include "platform/files.h"
#include "project/name_template.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"
#include "window/frame_strip.h"
#include "window/qt_shell.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "open_project_benchmark";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

Image testPicture(int seed, int width, int height) {
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<std::uint8_t>(x + seed * 50),
                           static_cast<std::uint8_t>(y * 2 + seed), static_cast<std::uint8_t>(x ^ y));
    }
    return image;
}

// A project of `frames` frames, made once per size, removed at the end of the program.
class LongFilm {
public:
    explicit LongFilm(int frames) {
        m_folder = TemporaryFolder() + "morvel_long_film_" + std::to_string(getpid()) + "_" +
                   std::to_string(frames) + "/";
        MakeFolder(m_folder);
        MakeFolder(m_folder + "pictures");
        MakeFolder(m_folder + "masks");
        std::vector<std::string> originals;
        for (int i = 0; i < 8; ++i) {
            originals.push_back(m_folder + "original" + std::to_string(i) + ".jpg");
            SavePictureFile(testPicture(i, 320, 240), originals.back(), PictureFormat::Jpeg);
        }
        const std::string mask = m_folder + "mask.png";
        SavePictureFile(testPicture(9, 320, 240), mask, PictureFormat::Png);
        std::vector<ProjectFileFrame> entries(static_cast<std::size_t>(frames));
        const int digits = DigitCount(frames);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            for (std::size_t layer = 0; layer < 2; ++layer) {
                const std::string name =
                    m_folder + "pictures/" + std::to_string(2 * k + layer) + ".jpg";
                ::link(originals[(2 * k + layer) % originals.size()].c_str(), name.c_str());
                entries[k].layerSource[layer] = name;
            }
            if (k % 10 == 0) {
                entries[k].hasMask = true;
                std::string number = std::to_string(k + 1);
                number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
                ::link(mask.c_str(), (m_folder + "masks/Film_" + number + ".png").c_str());
            }
        }
        ProjectHeader header;
        header.title = "Film";
        header.maskTemplate = "masks/$Project_$Nr.png";
        m_project = m_folder + "Film.mvl";
        WriteFileBytes(m_project, SerializeProjectFile(header, entries));
    }
    ~LongFilm() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const std::string& folder() const { return m_folder; }
    const std::string& projectFile() const { return m_project; }

private:
    std::string m_folder;
    std::string m_project;
};

const LongFilm& longFilm(int frames) {
    static std::map<int, std::unique_ptr<LongFilm>> films;
    auto& film = films[frames];
    if (!film) {
        film = std::make_unique<LongFilm>(frames);
        ::setenv("XDG_CACHE_HOME", (film->folder() + "cache").c_str(), 1);
    }
    return *film;
}

double residentMegabytes() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// The main window as the program builds it, with an empty project.
struct Window {
    explicit Window(const std::string& folder)
        : state(shell, folder, folder) {
        state.services.redrawPause = 0;
        shell.attachCanvas(state.view.canvas);
        BuildMainWindow(state);
        QApplication::processEvents();
    }
    QtShell shell;
    Program state;
};

// Attaches the thumbnails made after opening between window events, until all are there.
void attachAllThumbnails(Program& state) {
    while (ThumbnailsBeingMade(state.view)) {
        QApplication::processEvents();
        AttachMadeThumbnails(state.document, state.session, state.view, state.services);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void openLongFilm(benchmark::State& bench) {
    application();
    const int frames = static_cast<int>(bench.range(0));
    const LongFilm& film = longFilm(frames);
    {
        Window warm(film.folder());  // fills the thumbnail cache
        OpenProject(warm.state.document, warm.state.session, warm.state.view,
                    warm.state.services, film.projectFile());
        attachAllThumbnails(warm.state);
    }
    double resident = 0;
    double allMade = 0;
    int widgets = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        auto window = std::make_unique<Window>(film.folder());
        Program& state = window->state;
        bench.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        OpenProject(state.document, state.session, state.view, state.services,
                    film.projectFile());
        QApplication::processEvents();  // the title and the strip painted
        bench.PauseTiming();
        if (state.document.frames.size() != frames) bench.SkipWithError("the film did not open");
        widgets = window->shell.mainWindow()->frameStrip()->thumbnailWidgets();
        // The thumbnails made afterwards, attached as the window's loop does: not timed.
        attachAllThumbnails(state);
        allMade = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        resident = residentMegabytes();
        CloseProject(state.document, state.session, state.view, state.services);
        window.reset();
        QApplication::processEvents();
        bench.ResumeTiming();
    }
    bench.counters["frames"] = frames;
    bench.counters["resident_MB"] = resident;
    bench.counters["all_thumbnails_s"] = allMade;
    bench.counters["strip_widgets"] = widgets;
}

void saveLongFilm(benchmark::State& bench) {
    application();
    const int frames = static_cast<int>(bench.range(0));
    const LongFilm& film = longFilm(frames);
    Window window(film.folder());
    Program& state = window.state;
    OpenProject(state.document, state.session, state.view, state.services, film.projectFile());
    attachAllThumbnails(state);
    for (auto _ : bench) {
        if (!WriteProjectFile(state.document, state.services.reporter()))
            bench.SkipWithError("the film was not saved");
    }
    bench.counters["frames"] = frames;
    CloseProject(state.document, state.session, state.view, state.services);
}

BENCHMARK(openLongFilm)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(saveLongFilm)->Arg(10000)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
