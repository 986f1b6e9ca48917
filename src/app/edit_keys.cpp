#include "app/edit_keys.h"

#include <algorithm>

#include "editor/frame_selection.h"
#include "editor/undo_history.h"

namespace morvel {

namespace {

void stepHistory(Program& state, bool (*step)(Document&, EditSession&, View&, Services&)) {
    if (state.view.buttonDown) return;  // the stroke under way ends first
    const std::uint64_t shown = state.session.cache.displayChanges;
    if (step(state.document, state.session, state.view, state.services) &&
        state.session.cache.displayChanges != shown)
        ShowDisplayedFrameInStrip(state);
}

}  // namespace

void UndoFromMenu(Program& state) {
    stepHistory(state, UndoEdit);
}

void RedoFromMenu(Program& state) {
    stepHistory(state, RedoEdit);
}

void UpdateEditMenu(Program& state) {
    View& view = state.view;
    const bool undo = CanUndoEdit(state.session);
    const bool redo = CanRedoEdit(state.session);
    if (undo != view.undoItemEnabled) state.services.shell.enableMenuItem(+MenuItem::Undo, undo);
    if (redo != view.redoItemEnabled) state.services.shell.enableMenuItem(+MenuItem::Redo, redo);
    view.undoItemEnabled = undo;
    view.redoItemEnabled = redo;
    // Items that cannot act without frames are greyed.
    const bool frames = !state.document.frames.empty();
    if (frames != view.frameItemsEnabled) {
        for (MenuItem item : {MenuItem::Save, MenuItem::SaveAs, MenuItem::ImageExport,
                              MenuItem::AviExport, MenuItem::VideoExport, MenuItem::DeleteFrame,
                              MenuItem::DuplicateFrame})
            state.services.shell.enableMenuItem(+item, frames);
        view.frameItemsEnabled = frames;
    }
}

int FrameKeyTarget(const Program& state, MenuItem key) {
    const int count = state.document.frames.size();
    const int shown = state.session.cache.displayedIndex;
    if (count == 0 || shown < 0) return -1;
    if (state.view.buttonDown) return shown;
    int target = shown;
    switch (key) {
        case MenuItem::PreviousFrame:
            target = shown - 1;
            break;
        case MenuItem::NextFrame:
            target = shown + 1;
            break;
        case MenuItem::FirstFrame:
            target = 0;
            break;
        case MenuItem::LastFrame:
            target = count - 1;
            break;
        default:
            break;
    }
    return std::clamp(target, 0, count - 1);
}

void FrameKey(Program& state, MenuItem key) {
    const int target = FrameKeyTarget(state, key);
    if (target < 0 || state.view.buttonDown) return;
    if (target != state.session.cache.displayedIndex)
        StepToFrame(state.document, state.session, state.view, state.services, target);
    ShowDisplayedFrameInStrip(state);
}

void ShowDisplayedFrameInStrip(Program& state) {
    const int index = state.session.cache.displayedIndex;
    if (index >= 0)
        state.services.shell.ensureFrameVisible(index * kFrameColumnWidth, kFrameColumnWidth);
}

}  // namespace morvel
