// morvel-render: renders a saved project as a numbered image sequence, with the same reader and
// the same composition as the window, so its files are byte-identical to the window's export.

#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "editor/view.h"
#include "export/image_sequence.h"
#include "i18n/load_language.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/name_template.h"
#include "project/project_file.h"
#include "session/crash_protection.h"
#include "session/project_lifecycle.h"
#include "session/sound_fault.h"
#include "tools/console_shell.h"
#include "editor/undo_history.h"
#include "tools/render_avi.h"
#include "tools/render_carry.h"
#include "tools/render_options.h"
#include "tools/render_video.h"
#include "sound/sound_decoder.h"

namespace {

using namespace morvel;
using Clock = std::chrono::steady_clock;

// Set by Ctrl+C or a termination request: the render stops after the frames under way, and the
// private working folder is still removed.
std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) {
    g_interrupted = true;
}

// A working folder of our own: a window program running at the same time keeps its mask
// working files in the shared temporary folder, and ours must not touch them.
class PrivateWorkingFolder {
public:
    PrivateWorkingFolder() {
        std::string pattern = TemporaryFolder() + "morvel-render-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
    }
    ~PrivateWorkingFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// "frame k of N, x fps, time left" on one line of a terminal.
class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : m_enabled(enabled), m_start(Clock::now()) {}

    void show(int written, int total) {
        if (!m_enabled) return;
        const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        const double perSecond = seconds > 0 ? written / seconds : 0;
        const int left = perSecond > 0 ? static_cast<int>((total - written) / perSecond + 0.5) : 0;
        std::fprintf(stderr, "\rframe %d of %d, %.1f frames/s, %d:%02d left ", written, total,
                     perSecond, left / 60, left % 60);
        std::fflush(stderr);
        m_visible = true;
    }
    void clear() {
        if (!m_visible) return;
        std::fprintf(stderr, "\r\033[K");
        m_visible = false;
    }

private:
    bool m_enabled;
    bool m_visible = false;
    Clock::time_point m_start;
};

// The output's folder, created with its parents when missing. When that fails, each frame
// reports that it cannot be written.
void makeOutputFolder(const std::string& output) {
    const std::string folder = FolderPart(output);
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
}

// "frames: N" and "digits: D" (the width of the numbers in the file names), for scripts that
// split a render into ranges.
int printInfo(const RenderOptions& options) {
    ConsoleShell shell;
    Services services(shell, FindProgramFiles(ExecutableFolder()));
    LoadLanguage(services.language, shell, services.files, "");
    const auto bytes = ReadFileBytes(options.project, kMaxProjectFileBytes);
    const ErrorReporter reporter = services.reporter();
    if (!bytes) {
        reporter.report(ErrorKind::LoadProject, ErrorPlace::OpenProject, 2, options.project);
        return 1;
    }
    const ProjectFileContents contents = ParseProjectFile(*bytes);
    if (!contents.identified) {
        reporter.report(ErrorKind::LoadProject, ErrorPlace::OpenProject, 1, options.project);
        return 1;
    }
    if (contents.cutShort()) {
        shell.showMessage({}, ReplaceAll(services.language.texts[Text::RequesterCutshort], "$NR",
                                         std::to_string(contents.framesRead)));
    }
    const int frames = static_cast<int>(contents.frames.size());
    std::printf("frames: %d\ndigits: %d\n", frames, DigitCount(frames));
    return 0;
}

// The sound file of --sound, decoded whole; false (with a message) when it cannot be read.
bool loadSound(const std::string& path, SoundSamples& sound) {
    std::string error;
    if (DecodeSoundFile(path, sound, error)) return true;
    std::fprintf(stderr, "morvel-render: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

int render(const RenderOptions& options) {
    PrivateWorkingFolder workingFolder;
    if (workingFolder.path().empty()) {
        std::fprintf(stderr, "morvel-render: cannot create a working folder in %s\n",
                     TemporaryFolder().c_str());
        return 1;
    }
    ConsoleShell shell;
    ProgressLine progress(!options.quiet && ::isatty(STDERR_FILENO));
    shell.beforeError = [&] { progress.clear(); };
    // The parts of the program a render needs: no canvas is shown, but opening and closing a
    // project go through the editing session as in the window.
    Services services(shell, FindProgramFiles(ExecutableFolder()));
    Document document(workingFolder.path());
    EditSession session;
    View view;
    services.makeThumbnails = false;  // nothing shows them; each picture is read once, to compose
    services.composeOnSelect = false;
    services.linkMasksOnOpen = true;  // masks are only read here
    services.pictureSearchFolder = options.search;
    // Only the range is composed: the rest of a long project is not looked at.
    services.openFirst = options.firstFrame - 1;
    services.openLast = options.lastFrame - 1;  // -1: to the end
    LoadLanguage(services.language, shell, services.files, "");

    OpenProject(document, session, view, services, options.project);
    TellNotices(session, services);
    if (shell.refusedFolders()) {  // rendering another shoot would be worse than nothing
        CloseProject(document, session, view, services);
        return 1;
    }
    const int count = document.frames.size();
    if (count == 0) {
        CloseProject(document, session, view, services);
        return shell.errorCount() > 0 ? 1 : 0;
    }
    if (options.avi || options.video) {
        SoundSamples sound;
        SoundPlacement track;
        if (!options.sound.empty()) {
            if (!loadSound(options.sound, sound)) {
                CloseProject(document, session, view, services);
                return 1;
            }
            track = {&sound, 0};
        } else if (!document.sound.empty()) {
            // The project's own track at its offset. One that cannot be read is told and the
            // video goes without it, as the window's export does after the same message.
            std::string error;
            if (DecodeSoundFile(document.sound.file, sound, error)) {
                track = {&sound, document.sound.offset};
            } else {
                ReportSoundFault(services, document.sound.file, error, 2);
            }
        }
        makeOutputFolder(options.output);
        const auto show = [&](int written, int total) { progress.show(written, total); };
        const auto stop = [] { return g_interrupted.load(); };
        if (options.video) {
            RenderVideo(document, session, services, options, track, show, stop);
        } else {
            RenderAvi(document, session, services, options, track, show, stop);
        }
        progress.clear();
        CloseProject(document, session, view, services);
        if (g_interrupted) std::fprintf(stderr, "morvel-render: interrupted\n");
        return g_interrupted ? 130 : shell.errorCount() > 0 ? 1 : 0;
    }
    SequenceJob job;
    job.pattern =
        ReplaceExtension(options.output, std::string(".<\?\?\?>.") + ExtensionFor(options.format));
    job.format = options.format;
    job.first = options.firstFrame - 1;
    job.last = options.lastFrame == 0 ? count - 1 : std::min(options.lastFrame, count) - 1;
    job.encoders = options.threads.value_or(
        static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    job.progress = [&](int written, int total) { progress.show(written, total); };
    job.stopRequested = [] { return g_interrupted.load(); };
    if (job.first <= job.last) {
        makeOutputFolder(options.output);
        WriteImageSequence(Film(document), services.reporter(), job);
    }
    progress.clear();
    CloseProject(document, session, view, services);
    if (g_interrupted) {
        std::fprintf(stderr, "morvel-render: interrupted\n");
        return 130;
    }
    return shell.errorCount() > 0 ? 1 : 0;
}

// --carry-masks: opens the project as the window does (its masks copied into the working folder,
// which is where the carried ones are written before the save copies them out).
int carryMasks(const RenderOptions& options) {
    PrivateWorkingFolder workingFolder;
    if (workingFolder.path().empty()) {
        std::fprintf(stderr, "morvel-render: cannot create a working folder in %s\n",
                     TemporaryFolder().c_str());
        return 1;
    }
    ConsoleShell shell;
    Services services(shell, FindProgramFiles(ExecutableFolder()));
    Document document(workingFolder.path());
    EditSession session;
    View view;
    services.makeThumbnails = false;
    services.composeOnSelect = false;
    services.pictureSearchFolder = options.search;
    LoadLanguage(services.language, shell, services.files, "");
    OpenProject(document, session, view, services, options.project);
    TellNotices(session, services);
    if (shell.refusedFolders()) {  // carrying masks over another shoot's pictures would be worse
        CloseProject(document, session, view, services);
        return 1;
    }
    const int count = document.frames.size();
    int status = shell.errorCount() > 0 ? 1 : 0;
    if (options.carryFirst <= count) {
        const int last = std::min(options.carryLast, count) - 1;
        status = std::max(status, CarryMasksOfProject(document, session, services,
                                                      options.carryFirst - 1, last, CarryOptions{},
                                                      [] { return g_interrupted.load(); }, stdout));
    } else if (count > 0) {
        std::fprintf(stderr, "morvel-render: the project has only %d frames\n", count);
        status = 1;
    }
    // Saved above: closing asks nothing of a console.
    MarkProjectSaved(session);
    CloseProject(document, session, view, services);
    if (g_interrupted) {
        std::fprintf(stderr, "morvel-render: interrupted\n");
        return 130;
    }
    return status;
}

}  // namespace

// Every frame allocates and frees pictures of many megabytes, on several threads. By default
// the C library maps each one afresh and unmaps it again, so the kernel clears and faults in
// every page for every picture (about a sixth of the CPU time of a render). One heap that keeps
// what it has been given lets the next frame's pictures reuse the same memory instead; the peak
// stays that of the frames in flight.
void keepPictureMemory() {
    ::mallopt(M_ARENA_MAX, 1);
    ::mallopt(M_MMAP_MAX, 0);
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

int main(int argc, char** argv) {
    keepPictureMemory();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedRenderOptions parsed = ParseRenderOptions(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "morvel-render: %s\nTry 'morvel-render --help'.\n",
                     parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::puts("morvel-render " MORVEL_VERSION);
        return 0;
    }
    if (parsed.options.info) return printInfo(parsed.options);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    if (parsed.options.carryMasks) return carryMasks(parsed.options);
    return render(parsed.options);
}
