#include "app/remembered_workplace.h"

#include <algorithm>
#include <cstdlib>

#include "app/main_window.h"
#include "editor/canvas.h"
#include "editor/mask_tools.h"
#include "editor/zoom.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "session/project_lifecycle.h"

namespace morvel {

namespace {

// How much of the window must lie on a screen to count as on it.
constexpr int kLeastVisibleWidth = 100;
constexpr int kLeastVisibleHeight = 50;

bool onScreen(const ScreenRect& window, const ScreenRect& screen) {
    const int left = std::max(window.x, screen.x);
    const int right = std::min(window.x + window.width, screen.x + screen.width);
    const int top = std::max(window.y, screen.y);
    const int bottom = std::min(window.y + window.height, screen.y + screen.height);
    // The title bar must be reachable: the window's top lies on the screen.
    return right - left >= kLeastVisibleWidth && bottom - top >= kLeastVisibleHeight &&
           window.y >= screen.y && window.y < screen.y + screen.height;
}

// The project's zoom as the view shows it: the whole picture, or a factor with offsets.
ProjectZoom zoomShown(const Program& state) {
    const View& view = state.view;
    const Image& composite = state.session.images.composite;
    ProjectZoom zoom;
    zoom.project = state.document.header.projectFilePath;
    const float w1 = static_cast<float>(view.canvas.width());
    const float h1 = static_cast<float>(view.canvas.height());
    const float w2 = static_cast<float>(composite.width());
    const float h2 = static_cast<float>(composite.height());
    const float fit = w1 * h2 > w2 * h1 ? h1 / h2 : w1 / w2;  // as ZoomFit computes it
    zoom.fit = w2 > 0 && h2 > 0 && view.zoom == fit && view.offsetX == 0 && view.offsetY == 0;
    if (!zoom.fit) {
        zoom.zoom = view.zoom;
        zoom.offsetX = view.offsetX;
        zoom.offsetY = view.offsetY;
    }
    return zoom;
}

// The menus show the recent projects as they are now.
void rebuildMenus(Program& state) {
    state.services.shell.retextMainWindow(MainWindowPlanFor(state));
}

}  // namespace

FolderKeepingDialogs RequesterDialogs(Program& state, const char* requester) {
    return FolderKeepingDialogs(state.services.shell, state.services.workplace, requester,
                                state.document.header.projectFilePath);
}

void LoadWorkplace(Program& state) {
    state.services.workplace = ReadWorkplaceFile(state.services.files.settingsFolder);
}

void SaveWorkplace(Program& state) {
    Workplace& workplace = state.services.workplace;
    const ScreenRect place = state.services.shell.windowPlace();
    if (place.width > 0 && place.height > 0)
        workplace.window = WindowPlaceField{place.x, place.y, place.width, place.height};
    const ToolSettings& tools = state.view.toolSettings;
    workplace.brushSize = std::clamp(tools.brushSize, kMinBrushSize, kMaxBrushSize);
    workplace.hardness = std::clamp(tools.hardness, 0, 100);
    workplace.brushShape = tools.brushShape == kSquareBrushImage ? kSquareBrushImage
                                                                 : kRoundBrushImage;
    workplace.transparency = TransparencyOfEraseGrey(tools.eraseGrey);
    WriteWorkplaceFile(state.services.files.settingsFolder, workplace);
}

ToolSettings StartToolSettings(const Workplace& workplace) {
    ToolSettings settings;
    settings.brushSize = workplace.brushSize.value_or(settings.brushSize);
    settings.hardness = workplace.hardness.value_or(settings.hardness);
    settings.brushShape = workplace.brushShape.value_or(settings.brushShape);
    if (workplace.transparency)
        settings.eraseGrey = EraseGreyForTransparency(*workplace.transparency);
    return settings;
}

int TransparencyOfEraseGrey(int eraseGrey) {
    for (int v = 0; v <= 100; ++v)
        if (EraseGreyForTransparency(v) == eraseGrey) return v;
    return 100;  // no value of the field paints this grey: the field's start
}

std::optional<ScreenRect> StartWindowPlace(const Workplace& workplace,
                                           const std::vector<ScreenRect>& screens) {
    if (!workplace.window) return std::nullopt;
    const WindowPlaceField& w = *workplace.window;
    const ScreenRect place{w.x, w.y, w.width, w.height};
    if (screens.empty()) return place;
    for (const ScreenRect& screen : screens)
        if (onScreen(place, screen)) return place;
    return std::nullopt;
}

void ShowRememberedZoom(Program& state) {
    const std::string& project = state.document.header.projectFilePath;
    if (project.empty() || state.document.frames.empty()) return;
    const ProjectZoom* kept = state.services.workplace.zoomOf(project);
    const Image& composite = state.session.images.composite;
    const bool usable = kept && !kept->fit && kept->zoom >= kMinZoom && kept->zoom <= kMaxZoom &&
                        std::abs(kept->offsetX) < composite.width() &&
                        std::abs(kept->offsetY) < composite.height();
    if (!usable) {
        ZoomFit(state.document, state.session, state.view, state.services);
        return;
    }
    state.view.zoom = kept->zoom;
    state.view.offsetX = kept->offsetX;
    state.view.offsetY = kept->offsetY;
    UpdateScrollBars(state.session, state.view, state.services);
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
}

void FollowWorkplace(Program& state) {
    const std::string& project = state.document.header.projectFilePath;
    if (project.empty() || state.document.frames.empty()) return;
    Workplace& workplace = state.services.workplace;
    const bool listed =
        !workplace.recentProjects.empty() && workplace.recentProjects.front() == project;
    if (!listed) {
        workplace.rememberProject(project);
        rebuildMenus(state);
    }
    workplace.rememberZoom(zoomShown(state));
}

void OpenRecentProject(Program& state, int place) {
    std::vector<std::string>& recent = state.services.workplace.recentProjects;
    if (place < 0 || place >= static_cast<int>(recent.size())) return;
    const std::string project = recent[static_cast<std::size_t>(place)];
    OpenProject(state.document, state.session, state.view, state.services, project);
    if (state.document.header.projectFilePath == project) {
        ShowRememberedZoom(state);
    } else if (!IsRegularFile(project)) {
        std::erase(recent, project);  // its error was told by the open
        rebuildMenus(state);
    }
}

}  // namespace morvel
