#include "app/start_up.h"

#include <chrono>

#include "app/frame_counter.h"
#include "app/remembered_workplace.h"
#include "app/main_window.h"
#include "app/shooting_menu.h"
#include "editor/awaited_frame.h"
#include "editor/capture_flow.h"
#include "editor/live_view.h"
#include "editor/mask_tool.h"
#include "i18n/load_language.h"
#include "i18n/settings_file.h"
#include "platform/single_instance.h"
#include "project/session_journal.h"
#include "session/crash_protection.h"
#include "session/project_lifecycle.h"
#include "session/recovery.h"

namespace morvel {

namespace {

// The work images in the order they are made, each with the number its failure reports.
bool createWorkImages(Program& state) {
    WorkImages& images = state.session.images;
    const struct {
        Image* image;
        int number;
    } order[] = {{&images.composite, 100},
                 {&state.view.canvas, 200},
                 {&images.layer1, 1},
                 {&images.layer2, 2}};
    for (const auto& work : order) {
        *work.image = Image();
        auto image = Image::create(640, 480);
        if (!image) {
            state.services.reporter().report(ErrorKind::CreateImage, ErrorPlace::StartUp,
                                             work.number, {}, 640, 480);
            return false;
        }
        *work.image = std::move(*image);
    }
    images.mask = GreyImage();
    auto mask = GreyImage::create(640, 480);
    if (!mask) {
        state.services.reporter().report(ErrorKind::CreateImage, ErrorPlace::StartUp, 0, {}, 640,
                                         480);
        return false;
    }
    images.mask = std::move(*mask);
    return true;
}

constexpr int kExitStatus = 0;

// How often the loop looks whether an awaited frame's pictures are ready.
constexpr int kAwaitedFrameMilliseconds = 10;
// How often the loop attaches the thumbnails made meanwhile.
constexpr int kThumbnailMilliseconds = 20;
// An awaited frame is composed only this long after the last event: while steps follow each
// other (a held key), only stand-ins show, as composing a large frame would hold the next back.
constexpr auto kStepsSettle = std::chrono::milliseconds(120);

}  // namespace

std::string ProjectArgument(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    std::string path = arguments.front();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

int RunProgram(Program& state, EventSource& events, const std::vector<std::string>& arguments,
               const std::string& lockFolder, const DispatchHooks& hooks) {
    AddToolTexts(state.services.language.texts);
    LoadLanguage(state.services.language, state.services.shell, state.services.files, "");

    const InstanceLock lock(lockFolder, kInstanceName);
    if (lock.heldElsewhere()) {
        state.services.reporter().report(ErrorKind::OnlyOne, ErrorPlace::SingleInstance, 0);
        return kExitStatus;
    }
    if (!createWorkImages(state)) return kExitStatus;
    LoadWorkplace(state);
    if (!BuildMainWindow(state)) return kExitStatus;
    TellCrashProtectionOff(state.services);
    // A session that ended without tidying up is offered before the window takes input.
    OfferRecovery(state.document, state.session, state.view, state.services);
    if (state.services.mustEnd) return kExitStatus;

    std::vector<std::string> rest = arguments;
    const std::string camera = TakeCameraArgument(rest);
    const std::string project = ProjectArgument(rest);
    if (!project.empty()) {
        OpenProject(state.document, state.session, state.view, state.services, project);
        ShowRememberedZoom(state);
    }
    if (state.services.mustEnd) return kExitStatus;
    FollowWorkplace(state);
    UpdateSessionJournal(state.document, state.session);
    TellSessionWriteFailure(state.session, state.services);
    UpdateFrameCounter(state);
    TellNotices(state.session, state.services);
    if (!camera.empty()) StartWithCamera(state, camera);

    auto lastEvent = std::chrono::steady_clock::now();
    for (;;) {
        Event event;
        // A frame shown by a stand-in is composed as soon as its pictures are ready and the
        // steps have settled.
        if (state.session.cache.awaited) {
            if (!events.waitEventFor(kAwaitedFrameMilliseconds, event)) {
                if (std::chrono::steady_clock::now() - lastEvent < kStepsSettle) {
                    PresentQuickStandIn(state.document, state.session, state.view,
                                        state.services);
                } else {
                    FinishAwaitedFrame(state.document, state.session, state.view,
                                       state.services, false);
                }
                continue;
            }
        } else if (ShootingNeedsTicks(state)) {
            // While shooting, the loop looks at the camera between events.
            if (!events.waitEventFor(kShootingTickMilliseconds, event)) {
                ShootingTick(state);
                continue;
            }
        } else if (ThumbnailsBeingMade(state.view)) {
            // An opened film's thumbnails are attached between events as they are made.
            const bool got = events.waitEventFor(kThumbnailMilliseconds, event);
            AttachMadeThumbnails(state.document, state.session, state.view, state.services);
            if (!got) continue;
        } else if (!hooks.idle || !events.waitEventFor(kIdleMilliseconds, event)) {
            if (hooks.idle) hooks.idle(state);
            event = events.waitEvent();
            if (hooks.busy) hooks.busy(state);
        }
        const LoopStep step = Dispatch(state, event, hooks);
        lastEvent = std::chrono::steady_clock::now();
        if (step == LoopStep::Fatal) return kExitStatus;
        if (step == LoopStep::End) break;
    }
    WriteSettingsFile(state.services.files.settingsFolder, state.services.language.current);
    SaveWorkplace(state);
    return kExitStatus;
}

}  // namespace morvel
