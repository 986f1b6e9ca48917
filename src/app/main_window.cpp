#include "app/main_window.h"

#include "app/remembered_workplace.h"
#include "app/tutorial.h"

#include "editor/canvas.h"
#include "editor/frame_selection.h"
#include "editor/mask_tool.h"
#include "editor/mask_tools.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"
#include "session/project_lifecycle.h"

namespace morvel {

namespace {

// Fixed places of the layout: the canvas's top-left corner, the scroll bars' thickness, the
// layer-rows picture's column and size, the frame strip's height.
constexpr int kCanvasX = 35;
constexpr int kCanvasY = 30;
constexpr int kScrollBarThickness = 15;
constexpr int kLayerRowsX = 5;
constexpr int kLayerRowsWidth = 27;
constexpr int kLayerRowsHeight = 97;
constexpr int kFrameStripHeight = 120;

// Background colours of the frame strip's rows: layer 1 above, layer 2 below.
constexpr std::uint32_t kLayer1RowColour = 0xF396A2;  // 243, 150, 162
constexpr std::uint32_t kLayer2RowColour = 0x94D7FE;  // 148, 215, 254
constexpr int kStripRowWidth = 65000000;

MenuEntry item(const std::string& label, MenuItem number) {
    MenuEntry entry;
    entry.label = label;
    entry.item = +number;
    return entry;
}

MenuEntry item(const std::string& label, MenuItem number, bool enabled) {
    MenuEntry entry = item(label, number);
    entry.enabled = enabled;
    return entry;
}

MenuEntry separator() {
    MenuEntry entry;
    entry.separator = true;
    return entry;
}

MenuEntry submenu(const std::string& label, std::vector<MenuEntry> entries) {
    MenuEntry entry;
    entry.label = label;
    entry.entries = std::move(entries);
    return entry;
}

MenuEntry checkItem(const std::string& label, MenuItem number, bool checked) {
    MenuEntry entry = item(label, number);
    entry.checkable = true;
    entry.checked = checked;
    return entry;
}

// Playback first, then what the canvas shows.
std::vector<MenuEntry> viewMenu(const Program& state) {
    const LanguageTable& t = state.services.language.texts;
    const CanvasPicture shown = state.view.canvasPicture;
    return {item(t[Text::MainMenuPlay], MenuItem::Play),
            item(t[Text::MainMenuPlaybackrate], MenuItem::PlaybackRate),
            checkItem(t[Text::MainMenuOnionskin], MenuItem::OnionSkin, state.view.onionSkin),
            checkItem(t[Text::MainMenuMutesound], MenuItem::MuteSound, state.sound.muted),
            separator(),
            checkItem(t[Text::MainMenuViewlayer1], MenuItem::ViewLayer1,
                      shown == CanvasPicture::Layer1),
            checkItem(t[Text::MainMenuViewlayer2], MenuItem::ViewLayer2,
                      shown == CanvasPicture::Layer2),
            checkItem(t[Text::MainMenuViewresult], MenuItem::ViewResult,
                      shown == CanvasPicture::Result),
            checkItem(t[Text::MainMenuShowmask], MenuItem::ShowMask, state.view.maskOverlay)};
}

// The camera, live view, both takes and what helps shooting them.
std::vector<MenuEntry> shootingMenu(const Program& state) {
    const LanguageTable& t = state.services.language.texts;
    const Shooting& shooting = state.view.shooting;
    return {item(t[Text::MainMenuChoosecamera], MenuItem::ChooseCamera),
            checkItem(t[Text::MainMenuLiveview], MenuItem::LiveView, shooting.live),
            separator(),
            item(t[Text::MainMenuCapturelayer1], MenuItem::CaptureLayer1),
            item(t[Text::MainMenuCapturelayer2], MenuItem::CaptureLayer2),
            separator(),
            item(t[Text::MainMenuPlaylast], MenuItem::PlayLastFrames),
            checkItem(t[Text::MainMenuDifference], MenuItem::DifferenceView, shooting.difference),
            separator(),
            item(t[Text::MainMenuShootingsettings], MenuItem::ShootingSettings)};
}

// The recent projects, newest first, numbered for the keyboard ("&" doubled in their paths).
std::vector<MenuEntry> recentProjects(const Program& state) {
    const std::vector<std::string>& recent = state.services.workplace.recentProjects;
    std::vector<MenuEntry> entries;
    for (std::size_t i = 0; i < recent.size() && i < kRecentProjectCount; ++i) {
        std::string path;
        for (char c : recent[i]) path += c == '&' ? std::string("&&") : std::string(1, c);
        const std::string number = i < 9 ? "&" + std::to_string(i + 1) : std::to_string(i + 1);
        entries.push_back(item(number + "  " + path,
                               static_cast<MenuItem>(+MenuItem::FirstRecentProject +
                                                     static_cast<int>(i))));
    }
    if (entries.empty())
        entries.push_back(item(state.services.language.texts[Text::MainMenuNorecentprojects],
                               MenuItem::FirstRecentProject, false));
    return entries;
}

std::vector<MenuEntry> menuBar(const Program& state) {
    const LanguageTable& t = state.services.language.texts;
    const bool frames = !state.document.frames.empty();
    std::vector<MenuEntry> languages;
    const auto& available = state.services.language.available;
    for (std::size_t i = 0; i < available.size(); ++i) {
        MenuEntry language;
        language.label = available[i];
        language.item = +MenuItem::FirstLanguage + static_cast<int>(i);
        language.checked = available[i] == state.services.language.current;
        languages.push_back(std::move(language));
    }
    return {
        submenu(
            t[Text::MainMenuProject],
            {item(t[Text::MainMenuNew], MenuItem::New), item(t[Text::MainMenuOpen], MenuItem::Open),
             submenu(t[Text::MainMenuRecentprojects], recentProjects(state)),
             item(t[Text::MainMenuSave], MenuItem::Save, frames),
             item(t[Text::MainMenuSaveas], MenuItem::SaveAs, frames), separator(),
             submenu(t[Text::MainMenuExport],
                     {item(t[Text::MainMenuImageexport], MenuItem::ImageExport, frames),
                      item(t[Text::MainMenuAviexport], MenuItem::AviExport, frames),
                      item(t[Text::MainMenuVideoexport], MenuItem::VideoExport, frames)}),
             separator(), item(t[Text::MainMenuLoadsound], MenuItem::LoadSound),
             item(t[Text::MainMenuRemovesound], MenuItem::RemoveSound),
             item(t[Text::MainMenuSoundoffset], MenuItem::SoundOffset), separator(),
             item(t[Text::MainMenuQuit], MenuItem::Quit)}),
        submenu(t[Text::MainMenuEdit],
                {item(t[Text::MainMenuUndo], MenuItem::Undo, CanUndoEdit(state.session)),
                 item(t[Text::MainMenuRedo], MenuItem::Redo, CanRedoEdit(state.session)),
                 separator(), item(t[Text::MainMenuDeleteframe], MenuItem::DeleteFrame, frames),
                 item(t[Text::MainMenuDuplicateframe], MenuItem::DuplicateFrame, frames),
                 item(t[Text::MainMenuInsertframe], MenuItem::InsertFrame), separator(),
                 item(t[Text::MainMenuCarrymask], MenuItem::CarryMask),
                 item(t[Text::MainMenuCarrymasks], MenuItem::CarryMasks)}),
        submenu(t[Text::MainMenuView], viewMenu(state)),
        submenu(t[Text::MainMenuShooting], shootingMenu(state)),
        submenu(t[Text::MainMenuOptions],
                {submenu(t[Text::MainMenuLanguage], std::move(languages)),
                 item(t[Text::MainMenuOpenmvl], MenuItem::AssociateFiles)}),
        submenu(t[Text::MainMenuHelp], {item(TutorialLabel(state), MenuItem::Tutorial),
                                        item(t[Text::MainMenuAbout], MenuItem::About)}),
    };
}

GadgetPlan gadget(Gadget number, GadgetKind kind, int x, int y, int width, int height) {
    GadgetPlan plan;
    plan.number = +number;
    plan.kind = kind;
    plan.x = x;
    plan.y = y;
    plan.width = width;
    plan.height = height;
    return plan;
}

GadgetPlan pictureGadget(Gadget number, GadgetKind kind, int x, int y, int width, int height,
                         Picture picture, const std::string& tooltip = {}) {
    GadgetPlan plan = gadget(number, kind, x, y, width, height);
    plan.picture = picture;
    plan.tooltip = tooltip;
    return plan;
}

GadgetPlan ranged(GadgetPlan plan, int minimum, int maximum, int state) {
    plan.minimum = minimum;
    plan.maximum = maximum;
    plan.state = state;
    return plan;
}

std::vector<GadgetPlan> gadgets(const Program& state) {
    const LanguageTable& t = state.services.language.texts;
    using K = GadgetKind;
    std::vector<GadgetPlan> list;
    list.push_back(gadget(Gadget::Canvas, K::Canvas, 35, 30, 640, 480));
    list.push_back(ranged(gadget(Gadget::HorizontalScrollBar, K::HorizontalScrollBar, 35, 510, 640,
                                 kScrollBarThickness),
                          0, 640, 0));
    list.push_back(ranged(
        gadget(Gadget::VerticalScrollBar, K::VerticalScrollBar, 675, 30, kScrollBarThickness, 480),
        0, 480, 0));
    int y = 30;
    for (const RegisteredTool& tool : RegisteredTools()) {
        GadgetPlan button = pictureGadget(static_cast<Gadget>(tool.button), K::PictureButton, 5, y,
                                          27, 27, tool.row.icon.picture, t[tool.row.tooltip]);
        button.pixels = tool.row.icon.pixels;
        list.push_back(button);
        y += 30;
    }
    // The tool bar starts as the user left it.
    const ToolSettings tools = StartToolSettings(state.services.workplace);
    list.push_back(pictureGadget(
        Gadget::BrushShape, K::ClickablePicture, 35, 5, 20, 20,
        tools.brushShape == kSquareBrushImage ? Picture::SquareBrush : Picture::RoundBrush));
    GadgetPlan size = ranged(gadget(Gadget::BrushSize, K::SpinField, 55, 5, 35, 20), kMinBrushSize,
                             kMaxBrushSize, tools.brushSize);
    size.tooltip = t[Text::SettingsSize];
    list.push_back(size);
    list.push_back(
        pictureGadget(Gadget::TransparencyIcon, K::Picture, 100, 5, 20, 20, Picture::Transparency));
    GadgetPlan transparency =
        ranged(gadget(Gadget::Transparency, K::SpinField, 120, 5, 35, 20), 0, 100,
               TransparencyOfEraseGrey(tools.eraseGrey));
    transparency.tooltip = t[Text::SettingsTransparency];
    list.push_back(transparency);
    // Labelled gadgets are as wide as the longest shipped translation needs ("Hardness 100",
    // "Image entière"); the window widens them further for a language that needs more.
    GadgetPlan hardness =
        ranged(gadget(Gadget::Hardness, K::SpinField, 160, 5, 100, 20), 0, 100, tools.hardness);
    hardness.label = t[Text::SettingsHardness];
    hardness.tooltip = t[Text::SettingsHardnesstip];
    list.push_back(hardness);
    list.push_back(pictureGadget(Gadget::ZoomIn, K::PictureButton, 35, 4, 22, 22, Picture::ZoomIn,
                                 t[Text::SettingsZoomin]));
    list.push_back(pictureGadget(Gadget::ZoomOut, K::PictureButton, 60, 4, 22, 22, Picture::ZoomOut,
                                 t[Text::SettingsZoomout]));
    GadgetPlan fit = gadget(Gadget::ZoomFit, K::PushButton, 85, 5, 90, 20);
    fit.label = t[Text::SettingsZoomfit];
    list.push_back(fit);
    GadgetPlan oneToOne = gadget(Gadget::ZoomOneToOne, K::PushButton, 175, 5, 30, 20);
    oneToOne.label = t[Text::SettingsZoom1to1];
    list.push_back(oneToOne);
    list.push_back(pictureGadget(Gadget::LayerRowsPicture, K::Picture, kLayerRowsX, 492,
                                 kLayerRowsWidth, kLayerRowsHeight, Picture::LayerRows));
    GadgetPlan strip = gadget(Gadget::FrameStrip, K::FrameStrip, 35, 490, 660, kFrameStripHeight);
    strip.tooltip = t[Text::ElseLayersdescription];
    list.push_back(strip);
    GadgetPlan upper = gadget(Gadget::Layer1Row, K::StripRow, 0, 0, kStripRowWidth, 48);
    upper.colour = kLayer1RowColour;
    upper.enabled = false;
    list.push_back(upper);
    GadgetPlan lower = gadget(Gadget::Layer2Row, K::StripRow, 0, 49, kStripRowWidth, 48);
    lower.colour = kLayer2RowColour;
    lower.enabled = false;
    list.push_back(lower);
    GadgetPlan marker = pictureGadget(Gadget::FrameMarker, K::FrameMarker, kFrameMarkerHidden, 1,
                                      66, 97, Picture::FrameMarker);
    marker.enabled = false;
    list.push_back(marker);
    return list;
}

}  // namespace

MainWindowPlan MainWindowPlanFor(const Program& state) {
    const LanguageTable& t = state.services.language.texts;
    MainWindowPlan plan;
    plan.title = WindowTitleFor(t[Text::ElseNewtitle]);
    plan.locale = t[Text::LanguageLocale];
    if (const auto place =
            StartWindowPlace(state.services.workplace, state.services.shell.screenAreas())) {
        plan.x = place->x;
        plan.y = place->y;
        plan.clientWidth = place->width;
        plan.clientHeight = place->height;
    }
    plan.menuBar = menuBar(state);
    plan.popupMenu = {item(t[Text::PopUpMenuDelete], MenuItem::DeleteLayer),
                      item(t[Text::PopUpMenuRepeat], MenuItem::RepeatLayer),
                      separator(),
                      item(t[Text::MainMenuDeleteframe], MenuItem::DeleteFrame),
                      item(t[Text::MainMenuDuplicateframe], MenuItem::DuplicateFrame),
                      item(t[Text::MainMenuInsertframe], MenuItem::InsertFrame)};
    plan.shortcuts = {{"Ctrl+N", +MenuItem::New},
                      {"Ctrl+O", +MenuItem::Open},
                      {"Ctrl+S", +MenuItem::Save},
                      {"Ctrl+Delete", +MenuItem::DeleteLayer},
                      {"Ctrl+R", +MenuItem::RepeatLayer},
                      {"Ctrl+Z", +MenuItem::Undo},
                      {"Ctrl+Shift+Z", +MenuItem::Redo},
                      {"Ctrl+Y", +MenuItem::Redo},
                      {"Left", +MenuItem::PreviousFrame},
                      {"Right", +MenuItem::NextFrame},
                      {"Home", +MenuItem::FirstFrame},
                      {"End", +MenuItem::LastFrame},
                      {"Space", +MenuItem::Play},
                      {"1", +MenuItem::ViewLayer1},
                      {"2", +MenuItem::ViewLayer2},
                      {"3", +MenuItem::ViewResult},
                      {"M", +MenuItem::ShowMask},
                      {"O", +MenuItem::OnionSkin},
                      {"Shift+Delete", +MenuItem::DeleteFrame},
                      {"Ctrl+D", +MenuItem::DuplicateFrame},
                      {"Ctrl+I", +MenuItem::InsertFrame},
                      {"Ctrl+M", +MenuItem::CarryMask},
                      {"L", +MenuItem::LiveView},
                      {"Return", +MenuItem::CaptureKey1},
                      {"Shift+Return", +MenuItem::CaptureKey2},
                      {"K", +MenuItem::PlayLastFrames},
                      {"D", +MenuItem::DifferenceView},
                      {"S", +MenuItem::MuteSound}};
    const std::span<const RegisteredTool> tools = RegisteredTools();
    for (std::size_t i = 0; i < tools.size(); ++i) {
        if (!tools[i].row.shortcut.empty())
            plan.shortcuts.push_back({std::string(tools[i].row.shortcut),
                                      +MenuItem::FirstToolKey + static_cast<int>(i)});
    }
    plan.gadgets = gadgets(state);
    return plan;
}

bool BuildMainWindow(Program& state) {
    state.view.canvasPicture = CanvasPicture::Result;  // the plan's menu shows these
    state.view.maskOverlay = false;
    state.view.onionSkin = false;
    if (!state.services.shell.buildMainWindow(MainWindowPlanFor(state))) {
        state.services.reporter().report(ErrorKind::Window, ErrorPlace::MainWindow, 0);
        state.services.mustEnd = true;
        return false;
    }
    View& view = state.view;
    // The plan's title names a new project; an open project's title comes back with the next
    // event.
    if (state.document.header.projectFilePath.empty())
        view.titleText = state.services.language.texts[Text::ElseNewtitle];
    view.windowTitle.clear();
    view.undoItemEnabled = CanUndoEdit(state.session);  // as the plan built them
    view.redoItemEnabled = CanRedoEdit(state.session);
    view.frameItemsEnabled = !state.document.frames.empty();
    // As the plan's option gadgets show them.
    view.toolSettings = StartToolSettings(state.services.workplace);
    view.zoom = 1.0f;
    view.offsetX = 0;
    view.offsetY = 0;
    view.buttonDown = false;
    view.cursorInside = false;
    SelectTool(state.view, state.services, "eraser");
    LayoutMainWindow(state);
    if (state.services.mustEnd) return false;
    RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    return !state.services.mustEnd;
}

void RetextMainWindow(Program& state) {
    state.services.shell.retextMainWindow(MainWindowPlanFor(state));
    View& view = state.view;
    if (state.document.header.projectFilePath.empty())
        view.titleText = state.services.language.texts[Text::ElseNewtitle];
    view.windowTitle.clear();  // shown again in the new language by the next update
    view.undoItemEnabled = CanUndoEdit(state.session);  // as the plan set them
    view.redoItemEnabled = CanRedoEdit(state.session);
    view.frameItemsEnabled = !state.document.frames.empty();
}

void LayoutMainWindow(Program& state) {
    MainWindowShell& window = state.services.shell;
    ClientSize client = window.clientSize();
    if (client.width < kMinClientWidth) window.setClientSize(kMinClientWidth, client.height);
    client = window.clientSize();
    if (client.height < kMinClientHeight) window.setClientSize(client.width, kMinClientHeight);
    client = window.clientSize();
    const int w = client.width;
    const int h = client.height;

    // A sound track's waveform row takes its height from the canvas.
    const int waveform = state.sound.shown ? kWaveformRowHeight : 0;
    const int canvasWidth = w - 55;
    const int canvasHeight = h - 180 - waveform;
    state.view.canvas = Image();
    auto canvas = Image::create(canvasWidth, canvasHeight);
    if (!canvas) {
        state.services.reporter().report(ErrorKind::CreateImage, ErrorPlace::WindowLayout, 200, {},
                                         canvasWidth, canvasHeight);
        state.services.mustEnd = true;
        return;
    }
    state.view.canvas = std::move(*canvas);
    InvalidateCanvas(state.view);
    window.placeGadget(+Gadget::VerticalScrollBar, canvasWidth + kCanvasX, kCanvasY,
                       kScrollBarThickness, canvasHeight);
    window.placeGadget(+Gadget::HorizontalScrollBar, kCanvasX, canvasHeight + kCanvasY, canvasWidth,
                       kScrollBarThickness);
    UpdateScrollBars(state.session, state.view, state.services);
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    window.placeGadget(+Gadget::LayerRowsPicture, kLayerRowsX, h - 123 - waveform,
                       kLayerRowsWidth, kLayerRowsHeight);
    window.placeGadget(+Gadget::FrameStrip, kCanvasX, h - 125 - waveform, w - 40,
                       kFrameStripHeight + waveform);
}

}  // namespace morvel
