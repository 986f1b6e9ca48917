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
CommandResult runStep(Document& document, EditSession& session, View& view, Services& services,
                      const EditTransaction& step, UndoDirection direction) {
    StepEffects effects;
    CommandResult result = CommandResult::Done;
    const std::size_t count = step.commands.size();
    for (std::size_t k = 0; k < count && result == CommandResult::Done; ++k) {
        const std::size_t at = direction == UndoDirection::Undo ? count - 1 - k : k;
        result = step.commands[at]->apply(document, session, view, services, direction, effects);
    }
    if (effects.firstChangedFrame >= 0) {
        const int shown = document.frames.indexOfId(effects.displayedBefore);
        const int last = document.frames.size() - 1;
        RefreshFrameStrip(document, session, view, services,
                          shown >= 0 ? shown : std::min(effects.firstChangedFrame, last));
    }
    return result;
}

bool step(Document& document, EditSession& session, View& view, Services& services,
          UndoDirection direction) {
    EndMaskEdit(document, session);
    EditHistory& history = session.history;
    const bool undo = direction == UndoDirection::Undo;
    if (undo ? history.done == 0 : history.done == history.steps.size()) return false;
    const EditTransaction& transaction = history.steps[undo ? history.done - 1 : history.done];
    switch (runStep(document, session, view, services, transaction, direction)) {
        case CommandResult::Done:
            history.revision = undo ? transaction.revisionBefore : transaction.revisionAfter;
            history.done += undo ? -1 : 1;
            return true;
        case CommandResult::Stale:
            ClearEditHistory(session);
            return false;
        case CommandResult::Failed:
            return false;
    }
    return false;
}

}  // namespace

void PushUndoStep(EditSession& session, EditTransaction step) {
    EditHistory& history = session.history;
    // A new edit drops what could be redone.
    while (history.steps.size() > history.done) {
        history.bytes -= history.steps.back().bytes;
        history.steps.pop_back();
    }
    history.bytes += step.bytes;
    step.revisionBefore = history.revision;
    step.revisionAfter = history.revision = ++history.lastRevision;
    history.steps.push_back(std::move(step));
    history.done = history.steps.size();
    dropOldSteps(history);
}

void PushUndoStep(EditSession& session, std::unique_ptr<const EditCommand> command) {
    EditTransaction step;
    step.add(std::move(command));
    PushUndoStep(session, std::move(step));
}

bool CanUndoEdit(const EditSession& session) {
    return session.history.done > 0;
}

bool CanRedoEdit(const EditSession& session) {
    return session.history.done < session.history.steps.size();
}

bool UndoEdit(Document& document, EditSession& session, View& view, Services& services) {
    return step(document, session, view, services, UndoDirection::Undo);
}

bool RedoEdit(Document& document, EditSession& session, View& view, Services& services) {
    return step(document, session, view, services, UndoDirection::Redo);
}

void ClearEditHistory(EditSession& session) {
    EditHistory& history = session.history;
    history.steps.clear();
    history.done = 0;
    history.bytes = 0;
    history.editing = false;
    history.current = MaskTileEdit{};
    history.currentTiles.clear();
}

void MarkProjectChanged(EditSession& session) {
    session.history.revision = ++session.history.lastRevision;
}

void MarkProjectSaved(EditSession& session) {
    session.history.savedRevision = session.history.revision;
}

bool ProjectChanged(const EditSession& session) {
    return session.history.revision != session.history.savedRevision;
}

void SetEditHistoryLimit(EditSession& session, std::size_t bytes) {
    session.history.limitBytes = bytes;
    dropOldSteps(session.history);
}

}  // namespace morvel
