#include "app/dispatch.h"

#include <algorithm>

#include "app/edit_keys.h"
#include "app/film_sound.h"
#include "app/frame_counter.h"
#include "app/remembered_workplace.h"
#include "app/main_window.h"
#include "app/shooting_menu.h"
#include "app/tutorial.h"
#include "app/view_menu.h"
#include "editor/awaited_frame.h"
#include "editor/canvas_film.h"
#include "editor/carry_mask.h"
#include "editor/frame_operations.h"
#include "editor/mask_tool.h"
#include "editor/mask_tools.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/wheel.h"
#include "editor/whole_frames.h"
#include "editor/zoom.h"
#include "export/image_sequence.h"
#include "i18n/load_language.h"
#include "platform/gadgets.h"
#include "project/session_journal.h"
#include "session/crash_protection.h"
#include "session/project_lifecycle.h"

namespace morvel {

namespace {

ThumbnailAction thumbnailActionOf(GadgetEventType type) {
    switch (type) {
        case GadgetEventType::LeftClick:
            return ThumbnailAction::LeftClick;
        case GadgetEventType::RightClick:
            return ThumbnailAction::RightClick;
        case GadgetEventType::DragStart:
            return ThumbnailAction::DragStart;
        case GadgetEventType::Change:
            break;
    }
    return ThumbnailAction::Other;
}

void dispatchGadget(Program& state, const Event& event) {
    View& view = state.view;
    if (const ToolId tool = ToolOfButton(event.gadget); !tool.empty()) {
        SelectTool(state.view, state.services, tool);
        return;
    }
    switch (static_cast<Gadget>(event.gadget)) {
        case Gadget::Canvas:
            if (!view.tool.empty() && event.type == GadgetEventType::LeftClick) {
                view.buttonDown = true;
                MouseAction(state.document, state.session, state.view, state.services,
                            kMousePressed, event.x, event.y);
            }
            break;
        case Gadget::HorizontalScrollBar:
        case Gadget::VerticalScrollBar:
            ScrollTo(state.document, state.session, state.view, state.services, event.gadget);
            break;
        case Gadget::BrushSize:
            view.toolSettings.brushSize = state.services.shell.gadgetState(event.gadget);
            break;
        case Gadget::BrushShape:
            view.toolSettings.brushShape = view.toolSettings.brushShape + 1 > kSquareBrushImage
                                               ? kRoundBrushImage
                                               : view.toolSettings.brushShape + 1;
            state.services.shell.showBrushShape(view.toolSettings.brushShape);
            break;
        case Gadget::Transparency:
            view.toolSettings.eraseGrey =
                EraseGreyForTransparency(state.services.shell.gadgetState(event.gadget));
            break;
        case Gadget::Hardness:
            view.toolSettings.hardness =
                std::clamp(state.services.shell.gadgetState(event.gadget), 0, 100);
            break;
        case Gadget::ZoomIn:
            ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
            break;
        case Gadget::ZoomOut:
            ZoomByFactor(state.document, state.session, state.view, state.services, kZoomOutFactor);
            break;
        case Gadget::ZoomFit:
            ZoomFit(state.document, state.session, state.view, state.services);
            break;
        case Gadget::ZoomOneToOne:
            ZoomOneToOne(state.document, state.session, state.view, state.services);
            break;
        default:  // thumbnails (their position is the screen's) and the strip's own gadgets
            ThumbnailEvent(state.document, state.session, state.view, state.services,
                           static_cast<GadgetHandle>(event.gadget), thumbnailActionOf(event.type),
                           event.x, event.y);
            break;
    }
}

void dispatchDrop(Program& state, const Event& event) {
    // A copy: the import may replace the payload (a drag started from the refreshed strip).
    const std::string fileList =
        event.drop.privateFormat ? state.view.dragPayload : event.drop.fileList;
    if (fileList.empty()) return;  // e.g. our drag type from another instance of the program
    // A sound file among them becomes the sound track; the rest are imported as frames.
    std::string pictures;
    std::string soundFile;
    for (std::size_t at = 0; at <= fileList.size();) {
        const std::size_t end = std::min(fileList.find('\n', at), fileList.size());
        const std::string path = fileList.substr(at, end - at);
        at = end + 1;
        if (!event.drop.privateFormat && IsSoundFileName(path)) {
            if (soundFile.empty()) soundFile = path;
        } else if (!path.empty()) {
            pictures += (pictures.empty() ? "" : "\n") + path;
        }
    }
    if (!soundFile.empty()) LoadSoundFile(state, soundFile);
    if (pictures.empty()) return;
    ImportDroppedFiles(state.document, state.session, state.view, state.services,
                       DropLayerAt(event.y), pictures, event.x + event.drop.stripScroll);
}

// A language of the submenu: the window's texts change in place; the project stays open with
// its history.
void switchLanguage(Program& state, int item) {
    const auto& languages = state.services.language.available;
    const int index = item - +MenuItem::FirstLanguage;
    if (index < 0 || index >= static_cast<int>(languages.size())) return;  // no such item
    const std::string name = languages[static_cast<std::size_t>(index)];
    LoadLanguage(state.services.language, state.services.shell, state.services.files, name);
    RetextMainWindow(state);
}

void call(const std::function<void(Program&)>& operation, Program& state) {
    if (operation) operation(state);
}

// Returns true for the close command.
bool dispatchMenu(Program& state, int item, const DispatchHooks& hooks) {
    const int layer = state.view.popupTargetLayer;
    switch (static_cast<MenuItem>(item)) {
        case MenuItem::New:
            NewProject(state.document, state.session, state.view, state.services);
            break;
        case MenuItem::Open:
            OpenProject(state.document, state.session, state.view, state.services, "");
            ShowRememberedZoom(state);
            break;
        case MenuItem::Save:
            SaveProject(state.document, state.session, state.view, state.services, false);
            break;
        case MenuItem::SaveAs:
            SaveProject(state.document, state.session, state.view, state.services, true);
            break;
        case MenuItem::ImageExport: {
            if (hooks.exportImageSequence) {
                hooks.exportImageSequence(state);
                break;
            }
            FolderKeepingDialogs requesters = RequesterDialogs(state, kImagesRequester);
            ExportImageSequence(
                FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                [&] { StoreDisplayedMask(state.document, state.session, state.services); },
                nullptr, &requesters);
            break;
        }
        case MenuItem::AviExport:
            call(hooks.exportAviVideo, state);
            break;
        case MenuItem::VideoExport:
            call(hooks.exportVideo, state);
            break;
        case MenuItem::Quit:
            return true;
        case MenuItem::AssociateFiles:
            call(hooks.associateProjectFiles, state);
            break;
        case MenuItem::Tutorial:
            state.services.shell.openAddress(TutorialAddress(state));
            break;
        case MenuItem::About:
            call(hooks.showAboutBox, state);
            break;
        case MenuItem::DeleteLayer:
            DeleteLayer(state.document, state.session, state.view, state.services,
                        state.session.cache.displayedId, layer);
            break;
        case MenuItem::RepeatLayer:
            RepeatLayer(state.document, state.session, state.view, state.services,
                        state.session.cache.displayedId, layer, 1);
            break;
        case MenuItem::DeleteFrame:
            DeleteFrame(state.document, state.session, state.view, state.services,
                        state.session.cache.displayedId);
            break;
        case MenuItem::DuplicateFrame:
            DuplicateFrame(state.document, state.session, state.view, state.services,
                           state.session.cache.displayedId);
            break;
        case MenuItem::InsertFrame:
            InsertEmptyFrame(state.document, state.session, state.view, state.services,
                             state.session.cache.displayedId);
            break;
        case MenuItem::CarryMask:
            CarryMaskToDisplayed(state.document, state.session, state.view, state.services);
            break;
        case MenuItem::CarryMasks:
            call(hooks.carryMasks, state);
            break;
        case MenuItem::Undo:
            UndoFromMenu(state);
            break;
        case MenuItem::Redo:
            RedoFromMenu(state);
            break;
        case MenuItem::Play:
            call(hooks.play, state);
            break;
        case MenuItem::PlaybackRate:
            call(hooks.askPlaybackRate, state);
            break;
        case MenuItem::ViewLayer1:
        case MenuItem::ViewLayer2:
        case MenuItem::ViewResult:
        case MenuItem::ShowMask:
        case MenuItem::OnionSkin:
            ViewMenu(state, static_cast<MenuItem>(item));
            break;
        case MenuItem::ChooseCamera:
        case MenuItem::LiveView:
        case MenuItem::CaptureLayer1:
        case MenuItem::CaptureLayer2:
        case MenuItem::PlayLastFrames:
        case MenuItem::ShootingSettings:
        case MenuItem::DifferenceView:
        case MenuItem::CaptureKey1:
        case MenuItem::CaptureKey2:
            ShootingMenu(state, static_cast<MenuItem>(item), hooks);
            break;
        case MenuItem::PreviousFrame:
        case MenuItem::NextFrame:
        case MenuItem::FirstFrame:
        case MenuItem::LastFrame:
            // A step lets the frame's sound be heard, started before the frame is composed.
            if (item == +MenuItem::PreviousFrame || item == +MenuItem::NextFrame)
                ScrubFilmSound(state, FrameKeyTarget(state, static_cast<MenuItem>(item)));
            FrameKey(state, static_cast<MenuItem>(item));
            break;
        case MenuItem::LoadSound:
        case MenuItem::RemoveSound:
        case MenuItem::SoundOffset:
        case MenuItem::MuteSound:
            SoundMenu(state, static_cast<MenuItem>(item));
            break;
        default:
            // A tool's key while the button is up: a drag under way keeps its tool.
            if (const ToolId tool = ToolOfKey(item); !tool.empty()) {
                if (!state.view.buttonDown) SelectTool(state.view, state.services, tool);
                break;
            }
            if (item >= +MenuItem::FirstRecentProject && item <= +MenuItem::LastRecentProject)
                OpenRecentProject(state, item - +MenuItem::FirstRecentProject);
            if (item >= +MenuItem::FirstLanguage - 1) switchLanguage(state, item);
            break;  // the other numbers up to 999: nothing
    }
    return false;
}

void dispatchWheel(Program& state, const Event& event) {
    if (state.view.buttonDown) return;  // a drag keeps the view it started with
    switch (event.wheel.action) {
        case WheelAction::ScrollVertically:
            ScrollByWheel(state.document, state.session, state.view, state.services,
                          +Gadget::VerticalScrollBar, event.wheel.steps);
            break;
        case WheelAction::ScrollHorizontally:
            ScrollByWheel(state.document, state.session, state.view, state.services,
                          +Gadget::HorizontalScrollBar, event.wheel.steps);
            break;
        case WheelAction::Zoom:
            ZoomAtPoint(state.document, state.session, state.view, state.services,
                        event.wheel.steps, event.x, event.y);
            break;
    }
}

// Told to end by the system: no question is asked. Unsaved work stays in the session folder with
// its journal, for the next start to offer back; an unchanged project is closed as usual.
LoopStep endWithoutQuestions(Program& state) {
    if (!state.document.frames.empty() && ProjectChanged(state.session)) {
        StoreDisplayedMask(state.document, state.session, state.services);
        state.session.record.keep = true;
    } else {
        CloseProject(state.document, state.session, state.view, state.services);
    }
    return state.services.mustEnd ? LoopStep::Fatal : LoopStep::End;
}

LoopStep dispatchEvent(Program& state, const Event& event, const DispatchHooks& hooks) {
    bool close = false;
    switch (event.kind) {
        case EventKind::Gadget:
            dispatchGadget(state, event);
            break;
        case EventKind::LeftRelease:
            if (state.view.buttonDown) {
                MouseAction(state.document, state.session, state.view, state.services,
                            kMouseReleased, event.x, event.y);
                state.view.buttonDown = false;
            }
            break;
        case EventKind::MouseMove:
            MouseAction(state.document, state.session, state.view, state.services, kMouseDragged,
                        event.x, event.y);
            break;
        case EventKind::Resize:
            if (!event.minimised) LayoutMainWindow(state);
            break;
        case EventKind::Drop:
            dispatchDrop(state, event);
            break;
        case EventKind::Menu:
            close = dispatchMenu(state, event.menuItem, hooks);
            break;
        case EventKind::Close:
            close = true;
            break;
        case EventKind::Terminate:
            return endWithoutQuestions(state);
        case EventKind::Wheel:
            dispatchWheel(state, event);
            break;
        case EventKind::Background:
            call(hooks.background, state);
            break;
        case EventKind::None:
        case EventKind::Interrupt:  // only a playing film stops for it
            break;
    }
    if (state.services.mustEnd) return LoopStep::Fatal;
    if (!close) return LoopStep::Continue;
    if (CloseProject(state.document, state.session, state.view, state.services) == Answer::Cancel)
        return LoopStep::Continue;
    return state.services.mustEnd ? LoopStep::Fatal : LoopStep::End;
}

}  // namespace

namespace {

bool isFrameStep(const Event& event) {
    if (event.kind != EventKind::Menu) return false;
    switch (static_cast<MenuItem>(event.menuItem)) {
        case MenuItem::PreviousFrame:
        case MenuItem::NextFrame:
        case MenuItem::FirstFrame:
        case MenuItem::LastFrame:
            return true;
        default:
            return false;
    }
}

}  // namespace

LoopStep Dispatch(Program& state, const Event& event, const DispatchHooks& hooks) {
    // Only another step passes a frame still awaited: anything else (a stroke begun, a menu)
    // waits for its pictures, so that it works on the frame it sees.
    if (!isFrameStep(event) && event.kind != EventKind::None)
        FinishAwaitedFrame(state.document, state.session, state.view, state.services, true);
    const LoopStep step = dispatchEvent(state, event, hooks);
    if (step == LoopStep::Continue) {
        SyncFilmSound(state);
        UpdateEditMenu(state);
        UpdateFrameCounter(state);
        UpdateWindowTitle(state.session, state.view, state.services);
        if (event.kind != EventKind::MouseMove) FollowWorkplace(state);
    }
    // Mouse moves change no frame; a stroke is logged when it ends.
    if (event.kind != EventKind::MouseMove) {
        UpdateSessionJournal(state.document, state.session);
        TellSessionWriteFailure(state.session, state.services);
        TellNotices(state.session, state.services);
    }
    return step;
}

}  // namespace morvel
