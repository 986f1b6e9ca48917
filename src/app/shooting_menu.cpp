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
    std::vector<std::string> urls;
    std::string list;
    std::vector<CameraChoice> choices = FindCameras();
    if (!shooting.cameraUrl.empty() &&
        std::none_of(choices.begin(), choices.end(),
                     [&](const CameraChoice& c) { return c.url == shooting.cameraUrl; }))
        choices.insert(choices.begin(), {shooting.cameraUrl, shooting.cameraUrl});
    for (const CameraChoice& choice : choices) {
        urls.push_back(choice.url);
        list += std::to_string(urls.size()) + ": " + choice.label + "$$$";
    }
    const LanguageTable& t = state.services.language.texts;
    const std::string message =
        ReplaceAll(ReplaceAll(t[Text::RequesterCameratext], "$LIST", list), "$$$", "\n");
    const std::string answer = state.services.shell.requestText(
        t[Text::RequesterCameratitle], message, urls.empty() ? shooting.cameraUrl : "1");
    const std::string url = CameraAnswerUrl(answer, urls);
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

int askNumber(Program& state, Text message, int current, int low, int high) {
    const LanguageTable& t = state.services.language.texts;
    const std::string answer = state.services.shell.requestText(
        t[Text::RequesterShootingtitle], t[message], std::to_string(current));
    try {
        std::size_t used = 0;
        const int value = std::stoi(answer, &used);
        if (used == answer.size() && value >= low && value <= high) return value;
    } catch (const std::exception&) {
    }
    return current;
}

}  // namespace

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

std::string CameraAnswerUrl(const std::string& answer, const std::vector<std::string>& urls) {
    if (answer.empty()) return {};
    if (answer.find_first_not_of("0123456789") == std::string::npos && answer.size() < 4) {
        const std::size_t n = std::stoul(answer);
        return n >= 1 && n <= urls.size() ? urls[n - 1] : std::string();
    }
    return answer;
}

void AskShootingSettings(Program& state) {
    CaptureSettings& settings = state.view.shooting.settings;
    const LanguageTable& t = state.services.language.texts;
    Dialogs& dialogs = state.services.shell;
    const std::string folder = dialogs.requestFolder(t[Text::RequesterCapturefolder]);
    if (!folder.empty()) settings.folder = folder;
    const std::string names = dialogs.requestText(t[Text::RequesterShootingtitle],
                                                  t[Text::RequesterCapturetemplate], settings.nameTemplate);
    // A template must tell the takes and the frames apart, or captures would overwrite each other.
    if (!names.empty() && ReplaceAllIgnoreCase(names, "$Nr", "") != names &&
        ReplaceAllIgnoreCase(names, "$Layer", "") != names)
        settings.nameTemplate = names;
    settings.lastFrames = askNumber(state, Text::RequesterLastframes, settings.lastFrames, 1, 50);
    settings.onionOpacity = askNumber(state, Text::RequesterOnionopacity, settings.onionOpacity, 0, 100);
    const Answer keep = dialogs.ask(t[Text::RequesterShootingtitle], t[Text::RequesterCleanplate]);
    if (keep != Answer::Cancel) settings.keepCleanPlate = keep == Answer::Yes;
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
