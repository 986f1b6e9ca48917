#include "app/start_up.h"

#include "app/main_window.h"
#include "editor/mask_tool.h"
#include "i18n/load_language.h"
#include "i18n/settings_file.h"
#include "platform/single_instance.h"
#include "project/session_journal.h"
#include "session/project_lifecycle.h"
#include "session/recovery.h"

namespace morvel {

namespace {

// The work images in the order they are made, each with the number its failure reports.
bool createWorkImages(ProgramState& state) {
    WorkImages& images = state.images;
    const struct {
        Image* image;
        int number;
    } order[] = {{&images.composite, 100},
                 {&images.canvas, 200},
                 {&images.layer1, 1},
                 {&images.layer2, 2},
                 {&images.mask, 0}};
    for (const auto& work : order) {
        *work.image = Image();
        auto image = Image::create(640, 480);
        if (!image) {
            state.reporter().report(ErrorKind::CreateImage, ErrorPlace::StartUp, work.number, {},
                                    640, 480);
            return false;
        }
        *work.image = std::move(*image);
    }
    return true;
}

constexpr int kExitStatus = 0;

}  // namespace

std::string ProjectArgument(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    std::string path = arguments.front();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

int RunProgram(ProgramState& state, EventSource& events, const std::vector<std::string>& arguments,
               const std::string& lockFolder, const DispatchHooks& hooks) {
    AddToolTexts(state.language.texts);
    LoadLanguage(state.language, state.shell, state.files, "");

    const InstanceLock lock(lockFolder, kInstanceName);
    if (lock.heldElsewhere()) {
        state.reporter().report(ErrorKind::OnlyOne, ErrorPlace::SingleInstance, 0);
        return kExitStatus;
    }
    if (!createWorkImages(state)) return kExitStatus;
    if (!BuildMainWindow(state)) return kExitStatus;
    // A session that ended without tidying up is offered before the window takes input.
    OfferRecovery(state);
    if (state.mustEnd) return kExitStatus;

    const std::string project = ProjectArgument(arguments);
    if (!project.empty()) OpenProject(state, project);
    if (state.mustEnd) return kExitStatus;
    UpdateSessionJournal(state);

    for (;;) {
        Event event;
        if (!hooks.idle || !events.waitEventFor(kIdleMilliseconds, event)) {
            if (hooks.idle) hooks.idle(state);
            event = events.waitEvent();
            if (hooks.busy) hooks.busy(state);
        }
        const LoopStep step = Dispatch(state, event, hooks);
        if (step == LoopStep::Fatal) return kExitStatus;
        if (step == LoopStep::End) break;
    }
    WriteSettingsFile(state.files.settingsFolder, state.language.current);
    return kExitStatus;
}

}  // namespace morvel
