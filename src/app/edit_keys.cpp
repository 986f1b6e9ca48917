#include "app/edit_keys.h"

#include <algorithm>

#include "editor/frame_selection.h"
#include "editor/undo_history.h"

namespace morvel {

namespace {

void stepHistory(ProgramState& state, bool (*step)(ProgramState&)) {
    if (state.view.buttonDown) return;  // the stroke under way ends first
    const std::uint64_t shown = state.cache.displayChanges;
    if (step(state) && state.cache.displayChanges != shown) ShowDisplayedFrameInStrip(state);
}

}  // namespace

void UndoFromMenu(ProgramState& state) {
    stepHistory(state, UndoEdit);
}

void RedoFromMenu(ProgramState& state) {
    stepHistory(state, RedoEdit);
}

void UpdateEditMenu(ProgramState& state) {
    ViewState& view = state.view;
    const bool undo = CanUndoEdit(state);
    const bool redo = CanRedoEdit(state);
    if (undo != view.undoItemEnabled) state.shell.enableMenuItem(+MenuItem::Undo, undo);
    if (redo != view.redoItemEnabled) state.shell.enableMenuItem(+MenuItem::Redo, redo);
    view.undoItemEnabled = undo;
    view.redoItemEnabled = redo;
}

void FrameKey(ProgramState& state, MenuItem key) {
    const int count = state.document.frames.size();
    const int shown = state.cache.displayedIndex;
    if (count == 0 || shown < 0 || state.view.buttonDown) return;
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
            return;
    }
    target = std::clamp(target, 0, count - 1);
    if (target != shown) SelectFrame(state, target);
    ShowDisplayedFrameInStrip(state);
}

void ShowDisplayedFrameInStrip(ProgramState& state) {
    const int index = state.cache.displayedIndex;
    if (index >= 0) state.shell.ensureFrameVisible(index * kFrameColumnWidth, kFrameColumnWidth);
}

}  // namespace morvel
