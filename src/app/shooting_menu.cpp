#include "app/shooting_menu.h"

#include <algorithm>

#include "camera/camera_list.h"
#include "editor/capture_files.h"
#include "editor/capture_flow.h"
#include "editor/live_view.h"
#include "platform/text.h"

namespace morvel {

namespace {

void checkItems(Program& state) {
    MainWindowShell& window = state.services.shell;
    window.checkMenuItem(+MenuItem::LiveView, state.view.shooting.live);
    window.checkMenuItem(+MenuItem::DifferenceView, state.view.shooting.difference);
}

void chooseCamera(Program& state) {
    Shooting& shooting = state.view.shooting;
    const std::string url = state.services.shell.chooseCamera(
        CameraChooserFor(state.services.language.texts, shooting.cameraUrl, FindCameras()));
    if (url.empty()) return;
    const bool wasLive = shooting.live;
    if (wasLive) StopLiveView(state.document, state.session, state.view, state.services);
    if (ChooseCamera(state.view, state.services, url) || wasLive)
        StartLiveView(state.document, state.session, state.view, state.services);
    checkItems(state);
}

void toggleLive(Program& state) {
    if (state.view.shooting.live)
        StopLiveView(state.document, state.session, state.view, state.services);
    else
        StartLiveView(state.document, state.session, state.view, state.services);
    checkItems(state);
}

}  // namespace

void StartWithCamera(Program& state, const std::string& url) {
    if (ChooseCamera(state.view, state.services, url))
        StartLiveView(state.document, state.session, state.view, state.services);
    checkItems(state);
}

std::string TakeCameraArgument(std::vector<std::string>& arguments) {
    std::string url;
    for (std::size_t i = 0; i < arguments.size();) {
        if (arguments[i] == "--camera" && i + 1 < arguments.size()) {
            url = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                            arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (arguments[i].rfind("--camera=", 0) == 0) {
            url = arguments[i].substr(9);
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return url;
}

CameraChooser CameraChooserFor(const LanguageTable& texts, const std::string& inUse,
                               const std::vector<CameraChoice>& found) {
    CameraChooser chooser;
    chooser.title = texts[Text::RequesterCameratitle];
    chooser.listLabel = texts[Text::RequesterCameralist];
    chooser.noneFound = texts[Text::RequesterCameranone];
    chooser.urlLabel = texts[Text::RequesterCameraurl];
    chooser.url = inUse;
    if (!inUse.empty() && std::none_of(found.begin(), found.end(),
                                       [&](const CameraChoice& c) { return c.url == inUse; }))
        chooser.cameras.push_back({inUse, inUse});
    for (const CameraChoice& choice : found) chooser.cameras.push_back({choice.url, choice.label});
    return chooser;
}

void AskShootingSettings(Program& state) {
    const LanguageTable& t = state.services.language.texts;
    ShootingSettingsDialog dialog;
    dialog.title = t[Text::RequesterShootingtitle];
    dialog.folderLabel = t[Text::RequesterCapturefolder];
    dialog.folderButton = t[Text::RequesterCapturefolderbutton];
    dialog.folderDefault = t[Text::RequesterCapturefolderdefault];
    dialog.templateLabel = t[Text::RequesterCapturetemplate];
    dialog.lastFramesLabel = t[Text::RequesterLastframes];
    dialog.onionOpacityLabel = t[Text::RequesterOnionopacity];
    dialog.cleanPlateLabel = t[Text::RequesterCleanplate];
    dialog.lastFramesMin = kLeastLastFrames;
    dialog.lastFramesMax = kMostLastFrames;
    CaptureSettings& settings = state.view.shooting.settings;
    ShootingSettingsFields fields{settings.folder, settings.nameTemplate, settings.lastFrames,
                                  settings.onionOpacity, settings.keepCleanPlate};
    if (state.services.shell.editShootingSettings(dialog, fields))
        TakeShootingSettings(state.services, fields, settings);
}

void TakeShootingSettings(Services& services, const ShootingSettingsFields& fields,
                          CaptureSettings& settings) {
    const std::string& typed = fields.folder;
    const std::size_t first = typed.find_first_not_of(" \t");
    std::string folder;
    if (first != std::string::npos)
        folder = typed.substr(first, typed.find_last_not_of(" \t") + 1 - first);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    settings.folder = folder;
    settings.lastFrames = std::clamp(fields.lastFrames, kLeastLastFrames, kMostLastFrames);
    settings.onionOpacity = std::clamp(fields.onionOpacity, 0, 100);
    settings.keepCleanPlate = fields.keepCleanPlate;
    const std::string& names = fields.nameTemplate;
    // A template must tell the takes and the frames apart, or captures would overwrite each other.
    if (ReplaceAllIgnoreCase(names, "$Nr", "") != names &&
        ReplaceAllIgnoreCase(names, "$Layer", "") != names)
        settings.nameTemplate = names;
    else
        services.reporter().report(ErrorKind::CaptureTemplate, ErrorPlace::Capture, 0, names);
}

void ShootingMenu(Program& state, MenuItem item, const DispatchHooks& hooks) {
    Shooting& shooting = state.view.shooting;
    switch (item) {
        case MenuItem::ChooseCamera:
            chooseCamera(state);
            break;
        case MenuItem::LiveView:
            toggleLive(state);
            break;
        case MenuItem::CaptureKey1:
        case MenuItem::CaptureKey2:
            // Return is a capture only while the camera's picture is on the canvas.
            if (!shooting.live) break;
            [[fallthrough]];
        case MenuItem::CaptureLayer1:
        case MenuItem::CaptureLayer2: {
            const bool second = item == MenuItem::CaptureLayer2 || item == MenuItem::CaptureKey2;
            BeginCapture(state.document, state.session, state.view, state.services, second ? 1 : 0);
            break;
        }
        case MenuItem::PlayLastFrames:
            if (hooks.playLastFrames) hooks.playLastFrames(state);
            break;
        case MenuItem::ShootingSettings:
            AskShootingSettings(state);
            break;
        case MenuItem::DifferenceView:
            shooting.difference = !shooting.difference;
            shooting.liveNumber = 0;  // the newest picture again, with or without it
            checkItems(state);
            break;
        default:
            break;
    }
}

bool ShootingNeedsTicks(const Program& state) {
    return state.view.shooting.live || state.view.shooting.pending.active;
}

void ShootingTick(Program& state) {
    if (FinishCapture(state.document, state.session, state.view, state.services))
        state.view.shooting.liveNumber = 0;  // live again over the frame just shown
    ShowNewestLive(state.document, state.session, state.view, state.services);
    if (!state.view.shooting.live) checkItems(state);
}

}  // namespace morvel
