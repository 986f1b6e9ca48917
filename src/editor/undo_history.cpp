#include "editor/undo_history.h"

#include <algorithm>

#include "editor/frame_selection.h"

namespace morvel {

namespace {

void dropOldSteps(EditHistory& history) {
    while (history.bytes > history.limitBytes && !history.steps.empty()) {
        history.bytes -= history.steps.front().bytes;
        history.steps.pop_front();
        if (history.done > 0) --history.done;
    }
}

// Runs a step's commands, backwards to undo; the frame strip is laid out once at the end when
// they changed the frame list.
CommandResult runStep(ProgramState& state, const EditTransaction& step, UndoDirection direction) {
    StepEffects effects;
    CommandResult result = CommandResult::Done;
    const std::size_t count = step.commands.size();
    for (std::size_t k = 0; k < count && result == CommandResult::Done; ++k) {
        const std::size_t at = direction == UndoDirection::Undo ? count - 1 - k : k;
        result = step.commands[at]->apply(state, direction, effects);
    }
    if (effects.firstChangedFrame >= 0) {
        const int shown = state.document.frames.indexOfId(effects.displayedBefore);
        const int last = state.document.frames.size() - 1;
        RefreshFrameStrip(state, shown >= 0 ? shown : std::min(effects.firstChangedFrame, last));
    }
    return result;
}

bool step(ProgramState& state, UndoDirection direction) {
    EndMaskEdit(state);
    EditHistory& history = state.history;
    const bool undo = direction == UndoDirection::Undo;
    if (undo ? history.done == 0 : history.done == history.steps.size()) return false;
    const EditTransaction& transaction = history.steps[undo ? history.done - 1 : history.done];
    switch (runStep(state, transaction, direction)) {
        case CommandResult::Done:
            history.done += undo ? -1 : 1;
            return true;
        case CommandResult::Stale:
            ClearEditHistory(state);
            return false;
        case CommandResult::Failed:
            return false;
    }
    return false;
}

}  // namespace

void PushUndoStep(ProgramState& state, EditTransaction step) {
    EditHistory& history = state.history;
    // A new edit drops what could be redone.
    while (history.steps.size() > history.done) {
        history.bytes -= history.steps.back().bytes;
        history.steps.pop_back();
    }
    history.bytes += step.bytes;
    history.steps.push_back(std::move(step));
    history.done = history.steps.size();
    dropOldSteps(history);
}

void PushUndoStep(ProgramState& state, std::unique_ptr<const EditCommand> command) {
    EditTransaction step;
    step.add(std::move(command));
    PushUndoStep(state, std::move(step));
}

bool CanUndoEdit(const ProgramState& state) {
    return state.history.done > 0;
}

bool CanRedoEdit(const ProgramState& state) {
    return state.history.done < state.history.steps.size();
}

bool UndoEdit(ProgramState& state) {
    return step(state, UndoDirection::Undo);
}

bool RedoEdit(ProgramState& state) {
    return step(state, UndoDirection::Redo);
}

void ClearEditHistory(ProgramState& state) {
    EditHistory& history = state.history;
    history.steps.clear();
    history.done = 0;
    history.bytes = 0;
    history.editing = false;
    history.current = MaskTileEdit{};
    history.currentTiles.clear();
}

void SetEditHistoryLimit(ProgramState& state, std::size_t bytes) {
    state.history.limitBytes = bytes;
    dropOldSteps(state.history);
}

}  // namespace morvel
